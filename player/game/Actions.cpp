// Hotspot actions: what a click on a hotspot, or an item dropped on one, does. The record is
// read field by field with some effects applied at once (variables, disappearance, quitting,
// sound stops); the rest follows in a fixed order once the file is read.
#include <QVariant>
#include <array>
#include <optional>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/files/FileSystem.h"
#include "platform/seqfile/SeqFile.h"
#include "project/RecordFields.h"

namespace storyloom {

namespace {

// The common action block, with the defaults of a block that ends early.
struct ActionBlock {
    qint16 ChangeVariableOn = 0;
    QString ChangeVariableName;
    bool SetFalse = false, SetTrue = false, Invert = false;
    bool ShowMessage = false;
    QString MessageText;
    bool DisappearOn = false;
    bool QuitGame = false;
    qint16 GoToFrameOn = 0;
    QString TargetFrame;
    qint16 StopHotspotSound = 0;
    qint16 StopAllSounds = 0;
    qint16 PlayVideoOn = 0;
    QString VideoFile;
    bool VideoPlain = false, VideoAtPosition = false;
    qint16 VideoLeft = 0, VideoTop = 0, VideoWidth = 0, VideoHeight = 0;
    bool StopFrameSound = false;
    bool PlayHotspotSound = false;
    QString HotspotSoundFile;
    bool PlayFrameSound = false;
    QString FrameSoundFile;
    bool GoToLastVisited = false;
    bool MessageMode = false;
    qint16 VariableListsOn = 0;
    bool RepeatHotspotSound = true;
    bool TransitionOn = false;
    double TransitionDurationMs = 0;
    bool ScriptOn = false;
    QString ScriptCode;
    qint16 TransitionNumber = 0;
    bool GiveItemOn = false;
    QString GiveItemName;
    QString PluginActions;
};

QString AnyText(const QVariant& v) {
    return CStr(v);
}

}  // namespace

int Game::MakeAction(int AreaIndex, int ObjectIndex, bool bDoNotQuitDialogue) {
    Program& p = program;
    const FileSystem& fs = p.platform.files;
    state.StopMovie = true;
    p.InterruptTransition = true;
    p.StopRequested = false;

    int result = 0;
    ActionBlock a;
    try {
        const QString base = p.paths.FramesDataPath + state.frame.CurrentFrameName;
        std::optional<SeqReader> reader;
        if (ObjectIndex != 0) {
            // An item dropped on a hotspot: the record whose key names the pair.
            const QString dropKey = QString::number(AreaIndex) + QStringLiteral("_") +
                                    services.inventory->PickedObjectName(ObjectIndex) +
                                    QStringLiteral(".drg");
            const QString file = base + QStringLiteral(".fm0");
            if (fs.FileExists(file).isEmpty()) return 0;
            reader.emplace(OpenSeqFile(fs, file));
            bool found = false;
            while (!reader->AtEnd()) {
                if (p.StopRequested) return 0;
                reader->ReadVariant();
                if (reader->ReadString().compare(dropKey, Qt::CaseInsensitive) == 0) {
                    found = true;
                    break;
                }
                SkipToSeparator(*reader);
            }
            if (!found) return 0;
            for (int f = 3; f <= 10; ++f) reader->ReadVariant();
        } else {
            const QString merged = base + QStringLiteral(".mr3");
            const QString file =
                fs.FileExists(merged).isEmpty() ? base + QStringLiteral(".fm3") : merged;
            if (fs.FileExists(file).isEmpty()) return 0;
            reader.emplace(OpenSeqFile(fs, file));
            for (int n = 1; n < AreaIndex && !reader->AtEnd(); ++n) SkipToSeparator(*reader);
            // A missing or empty record: no action.
            if (NextIsSeparator(*reader)) return 0;
            for (int f = 1; f <= 10; ++f) reader->ReadVariant();
        }
        SeqReader& r = *reader;

        // ---- Reading, with the immediate effects -------------------------------------------
        a.ChangeVariableOn = r.ReadInteger();
        a.ChangeVariableName = r.ReadString();
        a.SetFalse = CBool(r.ReadVariant());
        a.SetTrue = CBool(r.ReadVariant());
        a.Invert = CBool(r.ReadVariant());
        if (!a.ChangeVariableName.isEmpty() && a.ChangeVariableOn != 0) {
            if (a.SetFalse) ChangeVariableValue(a.ChangeVariableName, 0);
            if (a.SetTrue) ChangeVariableValue(a.ChangeVariableName, 1);
            if (a.Invert) ChangeVariableValue(a.ChangeVariableName, -1);
        }
        a.ShowMessage = CBool(r.ReadVariant());
        a.MessageText = AnyText(r.ReadVariant());
        r.ReadInteger();
        r.ReadString();
        a.DisappearOn = CBool(r.ReadVariant());
        if (a.DisappearOn) {
            if (ObjectIndex != 0)
                services.inventory->RemovePickedObject(ObjectIndex);
            else
                state.vars.Disappear.Add(state.frame.CurrentFrameName,
                                         static_cast<qint16>(AreaIndex));
        }
        a.QuitGame = CBool(r.ReadVariant());
        if (a.QuitGame) return 1;
        a.GoToFrameOn = r.ReadInteger();
        a.TargetFrame = r.ReadString();

        bool ended = NextIsSeparator(r);
        if (!ended) {
            a.StopHotspotSound = r.ReadInteger();
            if (a.StopHotspotSound != 0) ChannelPlayer(kMusicChannel).Stop();
            a.StopAllSounds = r.ReadInteger();
            if (a.StopAllSounds != 0) StopAnyWavOrMP3();
            a.PlayVideoOn = r.ReadInteger();
            a.VideoFile = r.ReadString();
            a.VideoPlain = r.ReadBoolean();
            a.VideoAtPosition = r.ReadBoolean();
            a.VideoLeft = r.ReadInteger();
            a.VideoTop = r.ReadInteger();
            a.VideoWidth = r.ReadInteger();
            a.VideoHeight = r.ReadInteger();
            ended = NextIsSeparator(r);
        }
        if (!ended) {
            a.StopFrameSound = CBool(r.ReadVariant());
            a.PlayHotspotSound = CBool(r.ReadVariant());
            a.HotspotSoundFile = AnyText(r.ReadVariant());
            a.PlayFrameSound = CBool(r.ReadVariant());
            a.FrameSoundFile = AnyText(r.ReadVariant());
            ended = NextIsSeparator(r);
        }
        if (!ended) {
            for (int f = 29; f <= 31; ++f) r.ReadVariant();
            a.GoToLastVisited = CBool(r.ReadVariant());
            ended = NextIsSeparator(r);
        }
        if (!ended) {
            for (int f = 33; f <= 35; ++f) r.ReadVariant();
            a.MessageMode = CBool(r.ReadVariant());
            ended = NextIsSeparator(r);
        }
        if (!ended) {
            for (int f = 37; f <= 39; ++f) r.ReadVariant();
            a.VariableListsOn = r.ReadInteger();
            // Three lists: names set to 0, set to 1, inverted.
            for (const int value : {0, 1, -1}) {
                const qint32 count = CLng(r.ReadVariant());
                for (qint32 n = 0; n < count; ++n) {
                    const QString name = r.ReadString();
                    if (!name.isEmpty() && a.VariableListsOn != 0) ChangeVariableValue(name, value);
                }
            }
            ended = NextIsSeparator(r);
        }
        if (!ended) {
            a.RepeatHotspotSound = r.ReadBoolean();
            ended = NextIsSeparator(r);
        }
        if (!ended) {
            a.TransitionOn = CDbl(r.ReadVariant()) == 1;
            a.TransitionDurationMs = r.ReadDouble();
            ended = NextIsSeparator(r);
        }
        if (!ended) {
            a.ScriptOn = r.ReadBoolean();
            a.ScriptCode = QuoteFromBar(AnyText(r.ReadVariant()));
            ended = NextIsSeparator(r);
        }
        if (!ended) {
            a.TransitionNumber = r.ReadInteger();
            ended = NextIsSeparator(r);
        }
        if (!ended) {
            for (int f = 48; f <= 53; ++f) r.ReadVariant();
            state.AudioFadeDuration = Val(AnyText(r.ReadVariant())) / 1000.0;
            r.ReadInteger();
            const qint16 fieldCount = r.ReadInteger();
            const qint16 channelCount = r.ReadInteger();
            if (fieldCount <= 5) {
                // Values an entry leaves out keep the previous entry's.
                std::array<QVariant, 6> entry;
                for (int k = 1; k <= channelCount; ++k) {
                    for (int f = 1; f <= fieldCount; ++f)
                        entry[static_cast<size_t>(f)] = r.ReadVariant();
                    if (k > 7) continue;
                    SoundChannel& ch = state.SoundChannels[static_cast<size_t>(k)];
                    ch.Mode = CInt(entry[1]);
                    ch.CrossFade = CBool(entry[2]);
                    ch.Repeat = CBool(entry[3]);
                    ch.PreviousVolume = ch.Volume;
                    ch.Volume = CDbl(entry[4]);
                    ch.FileName = CStr(entry[5]);
                    ch.KeepIfPlaying = false;
                }
                if (!NextIsSeparator(r)) {
                    a.GiveItemOn = r.ReadBoolean();
                    a.GiveItemName = r.ReadString();
                    if (!NextIsSeparator(r)) {
                        QString text = QuoteFromMarker(AnyText(r.ReadVariant()));
                        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
                        a.PluginActions = text;
                    }
                }
            }
        }
        reader.reset();

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
