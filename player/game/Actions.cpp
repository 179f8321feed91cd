// Hotspot actions: what a click on a hotspot, or an item dropped on one, does. The record is
// read field by field with some effects applied at once (variables, disappearance, quitting,
// sound stops); the rest follows in a fixed order once the file is read.
#include <optional>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/files/FileSystem.h"
#include "platform/seqfile/SeqFile.h"
#include "project/ActionRecords.h"
#include "project/RecordFields.h"

namespace storyloom {

namespace {

// The effects an action record has while it is read.
class ImmediateEffects : public ActionRecordSink {
  public:
    ImmediateEffects(Game& game, int areaIndex, int objectIndex)
        : game_(game), areaIndex_(areaIndex), objectIndex_(objectIndex) {}
    void ChangeVariable(const QString& name, qint32 value) override {
        game_.ChangeVariableValue(name, value);
    }
    void Disappear() override {
        if (objectIndex_ != 0)
            game_.services.inventory->RemovePickedObject(objectIndex_);
        else
            game_.state.vars.Disappear.Add(game_.state.frame.CurrentFrameName,
                                           static_cast<qint16>(areaIndex_));
    }
    void StopMusic() override { game_.ChannelPlayer(kMusicChannel).Stop(); }
    void StopDigitalSounds() override { game_.StopAnyWavOrMP3(); }
    void SetFadeDuration(double seconds) override { game_.state.AudioFadeDuration = seconds; }
    void SetChannel(int channel, const SoundChannel& entry) override {
        SoundChannel& ch = game_.state.SoundChannels[static_cast<size_t>(channel)];
        ch.Mode = entry.Mode;
        ch.CrossFade = entry.CrossFade;
        ch.Repeat = entry.Repeat;
        ch.PreviousVolume = ch.Volume;
        ch.Volume = entry.Volume;
        ch.FileName = entry.FileName;
        ch.KeepIfPlaying = false;
    }

  private:
    Game& game_;
    int areaIndex_;
    int objectIndex_;
};

}  // namespace

int Game::MakeAction(int AreaIndex, int ObjectIndex, bool bDoNotQuitDialogue) {
    Program& p = program;
    const FileSystem& fs = p.platform.files;
    state.StopMovie = true;
    p.InterruptTransition = true;
    p.StopRequested = false;

    int result = 0;
    ActionRecord a;
    try {
        const QString base = p.paths.FramesDataPath + state.frame.CurrentFrameName;
        {
            std::optional<SeqReader> reader = OpenActionRecord(
                fs, p.paths.FramesDataPath, state.frame.CurrentFrameName, AreaIndex,
                ObjectIndex != 0 ? services.inventory->PickedObjectName(ObjectIndex) : QString(),
                [&p] { return p.StopRequested; });
            if (!reader) return 0;
            ImmediateEffects effects(*this, AreaIndex, ObjectIndex);
            if (ReadActionRecord(*reader, a, effects)) return 1;
        }

        // ---- Execution ----------------------------------------------------------------------
        ScriptRequests& req = scripts.requests;
        if (p.StopRequested) return result;
        scripts.ResetModule();
        {
            QStringList pieces;
            // The text before the first separator is not an action (it names nothing).
            const QStringList descriptions = a.PluginActions.split(QChar(164));
            for (qsizetype i = 1; i < descriptions.size(); ++i)
                pieces << services.plugins->CodeForAction(descriptions.at(i));
            const QString pluginCode = pieces.join(kCrLf);
            const bool runScript = a.ScriptOn && !a.ScriptCode.isEmpty();
            if (!pluginCode.isEmpty() || runScript) {
                const QString text = pluginCode + kCrLf + (a.ScriptOn ? a.ScriptCode : QString());
                req.iHotspotNumber = AreaIndex;
                scripts.ExecuteVBScript(text, false);
                if (scripts.requests.bStopGame) return 1;
            }
        }
        if (a.GiveItemOn) services.inventory->AddPickedObject(a.GiveItemName, false);

        if (p.StopRequested) return result;
        if (a.PlayHotspotSound && !a.HotspotSoundFile.isEmpty()) {
            MediaPlayer& hotspot = ChannelPlayer(kMusicChannel);
            if (hotspot.PlayState() != MediaPlayer::Playing || a.StopHotspotSound != 0) {
                hotspot.Stop();
                hotspot.SetFileName(Located(p.paths.AreasPath + a.HotspotSoundFile));
                hotspot.SetPlayCount(a.RepeatHotspotSound ? 0 : 1);
                hotspot.SetVolume(VolumeForLevel(7));
                hotspot.Play();
            }
        }
        if (a.PlayFrameSound) {
            MediaPlayer& sound = ChannelPlayer(kFrameSoundChannel);
            sound.Stop();
            sound.SetFileName(Located(p.paths.FramesPath + a.FrameSoundFile));
            sound.SetPlayCount(1);
            sound.SetVolume(VolumeForLevel(8));
            sound.Play();
        } else if (a.StopFrameSound && a.StopAllSounds == 0) {
            ChannelPlayer(kFrameSoundChannel).Stop();
        }

        if (p.StopRequested) return result;
        if (ObjectIndex == 0 && a.StopAllSounds == 0) {
            const QString fm5 = base + QStringLiteral(".fm5");
            if (!fs.FileExists(fm5).isEmpty()) {
                SeqReader blocks = OpenSeqFile(fs, fm5);
                while (!blocks.AtEnd()) {
                    blocks.ReadVariant();
                    if (blocks.ReadInteger() == AreaIndex) {
                        for (int f = 3; f <= 10; ++f) blocks.ReadVariant();
                        services.sound->PlaySoundChannels(blocks);
                        break;
                    }
                    SkipToSeparator(blocks);
                }
            }
        }

        // A coming frame change leaves the channels to the frame opening.
        const bool lastVisitedJump =
            a.GoToLastVisited && a.GoToFrameOn == 0 && state.History.Count() > 1;
        const bool frameChangeComing =
            !req.sFrameToLoad.isEmpty() || a.GoToFrameOn != 0 || lastVisitedJump;
        if (a.PlayVideoOn != 0 || !frameChangeComing) {
            services.sound->StartChannelChanges();
            services.sound->EnableFadeTimer();
        }

        if (p.StopRequested) return result;
        if (a.PlayVideoOn != 0) {
            HideMenus();
            if (a.VideoAtPosition)
                services.video->PlayMovieWithStop(a.VideoFile, false, a.VideoLeft, a.VideoTop, 0,
                                                  0);
            else if (a.VideoPlain)
                services.video->PlayMovieWithStop(a.VideoFile, false, 0, 0, 0, 0);
            else
                services.video->PlayMovieWithStop(a.VideoFile, true, a.VideoLeft, a.VideoTop,
                                                  a.VideoWidth, a.VideoHeight);
        }
        ShowOrNotShowAreas();

        if (p.StopRequested) return result;
        if (a.ShowMessage) ShowTextMessage(a.MessageText, a.MessageMode, false);

        if (p.StopRequested) return result;
        if (a.PlayVideoOn != 0) {
            SetScreenPointerArrow();
            while (IsOneTimeVideoPlaying() && !state.StopMovie) {
                loop_.Wait(10);
                HideMenus();
                loop_.ProcessEvents();
            }
            SetScreenPointerDefault();
            state.StopMovie = false;
            if (!req.sFrameToLoad.isEmpty() || a.GoToFrameOn != 0 ||
                (a.GoToLastVisited && a.GoToFrameOn == 0 && state.History.Count() > 1))
                services.sound->FadeChannels(1);
        }

        if (p.StopRequested) return result;
        if (req.sFrameToLoad.compare(QStringLiteral("last visited frame"), Qt::CaseInsensitive) ==
            0) {
            if (state.History.Count() < 2) {
                req.sFrameToLoad.clear();
            } else {
                state.History.RemoveLast();
                req.sFrameToLoad = state.History.Entries().constLast();
            }
        }
        if (!req.sFrameToLoad.isEmpty()) {
            if (!bDoNotQuitDialogue) services.dialogues->CloseDialogue();
            const QString frame = req.sFrameToLoad;
            if (req.dTransitionDuration != 0) {
                const int number = req.iTransitionNumber;
                const double seconds = req.dTransitionDuration;
                services.transitions->TransitionStep1(number);
                OpenFrame(frame, true, number, seconds);
            } else {
                OpenFrame(frame, false, 0, 0);
            }
            result = 2;
        } else if (a.GoToFrameOn != 0) {
            if (!bDoNotQuitDialogue) services.dialogues->CloseDialogue();
            FrameChange(a.TargetFrame, a.TransitionOn, a.TransitionNumber,
                        a.TransitionDurationMs / 1000.0);
            result = 2;
        } else if (a.GoToLastVisited && state.History.Count() > 1) {
            if (!bDoNotQuitDialogue) services.dialogues->CloseDialogue();
            state.History.RemoveLast();
            FrameChange(state.History.Entries().constLast(), a.TransitionOn, a.TransitionNumber,
                        a.TransitionDurationMs / 1000.0);
            result = 2;
        }

        if (result != 2) {
            StartTimedEvents();
            if (req.bPopupLoadGame)
                services.savedGames->ShowLoadGameWindow(false);
            else if (req.bPopupSaveGame)
                services.savedGames->ShowSaveGameWindow();
        }
    } catch (const std::exception& e) {
        p.ShowErrorBox(QStringLiteral(" Unable to make the action associated with the hotspot #") +
                           QString::number(AreaIndex) + QStringLiteral(". "),
                       ErrorDescription(e));
    }
    return result;
}

void Game::FrameChange(const QString& frame, bool withTransition, int number, double seconds) {
    if (withTransition) {
        services.transitions->TransitionStep1(number);
        OpenFrame(frame, true, number, seconds);
    } else {
        OpenFrame(frame, false, 0, 0);
    }
}

void Game::MakeActionAndConsequences(int AreaIndex, int ObjectIndex, bool bDoNotQuitDialogue) {
    if (MakeAction(AreaIndex, ObjectIndex, bDoNotQuitDialogue) == 1) StartUnloading();
}

bool Game::ExecuteVBScriptAndConsequences(const QString& sText, bool bResetLastClickPosition) {
    scripts.ResetModule();
    if (!scripts.ExecuteVBScript(sText, bResetLastClickPosition)) return true;
    ExecuteConsequences();
    return false;
}

void Game::ExecuteConsequences() {
    ScriptRequests& req = scripts.requests;
    ShowOrNotShowAreas();
    if (req.bStopGame) {
        StartUnloading();
        return;
    }
    if (req.sFrameToLoad.compare(QStringLiteral("last visited frame"), Qt::CaseInsensitive) == 0) {
        if (state.History.Count() < 2) {
            req.sFrameToLoad.clear();
        } else {
            state.History.RemoveLast();
            req.sFrameToLoad = state.History.Entries().constLast();
        }
    }
    // The requests are read before the frame opens: its script replaces them.
    const bool popupLoad = req.bPopupLoadGame;
    const bool popupSave = req.bPopupSaveGame;
    if (!req.sFrameToLoad.isEmpty()) {
        const QString frame = req.sFrameToLoad;
        if (req.dTransitionDuration != 0) {
            const int number = req.iTransitionNumber;
            const double seconds = req.dTransitionDuration;
            services.transitions->TransitionStep1(number);
            OpenFrame(frame, true, number, seconds);
        } else {
            OpenFrame(frame, false, 0, 0);
        }
    } else {
        StartTimedEvents();
    }
    if (popupLoad)
        services.savedGames->ShowLoadGameWindow(false);
    else if (popupSave)
        services.savedGames->ShowSaveGameWindow();
}

}  // namespace storyloom
