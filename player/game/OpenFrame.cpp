// Opening a frame: the one operation that replaces the scene on screen.
#include <QVariant>
#include <cmath>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/Picture.h"
#include "project/FrameFiles.h"
#include "project/FrameSettings.h"

namespace storyloom {

namespace {

const QString kLinkBroken = QStringLiteral(" A program link is broken.");
const QString kVerifyLink = QStringLiteral(
    "Verify that the 'Initial Frame' exists and that the 'Go to another frame' option in the "
    "Hotspot Properties is linked to an existing frame.");

// Ends the opening quietly: shutdown has begun, or a newer opening (started by an event handled
// while this one waited) has taken over the screen.
struct Superseded {};

}  // namespace

void Game::OpenFrame(const QString& frameName, bool bWithTransition, int iTransNumber,
                     double dTransitionDuration) {
    // A copy: callers pass names that live in the state this operation clears (the current
    // frame's name, the history, the script's requests).
    const QString CurrentFrame = frameName;
    Program& p = program;
    // A caller that began a transition gets its second half whatever happens here: an opening
    // that fails or ends early takes the frozen old picture away instead of leaving it on top.
    struct SecondHalf {
        TransitionService& transitions;
        bool pending;
        int number;
        ~SecondHalf() {
            if (pending) transitions.TransitionStep2(number, 0);
        }
    } secondHalf{*services.transitions, bWithTransition, iTransNumber};
    FileSystem& fs = p.platform.files;
    if (CurrentFrame.isEmpty()) {
        p.ShowErrorBox(kLinkBroken);
        return;
    }
    if (!FrameExists(p, CurrentFrame)) {
        p.ShowErrorBox(kLinkBroken + QStringLiteral(" The frame named \"") + CurrentFrame +
                       QStringLiteral("\" could not be found. ") + kVerifyLink);
        return;
    }

    const int generation = ++openGeneration_;
    // The (S) steps: stop when shutdown began or another opening replaced this one.
    auto checkStop = [&] {
        if (p.StopRequested || generation != openGeneration_) throw Superseded{};
    };

    FrameSettings s;
    try {
        // 3-6: the old frame's timers stop; the new frame's header is read.
        timer1_.SetEnabled(false);
        timer1_.SetInterval(0);
        ResetTimedEvents();
        state.frame.MergedHotspotIndex = 1;
        state.frame.MergedTextIndex = 1;
        state.frame.ClearCurrent();
        ReadFrameHeader(p, state.frame, CurrentFrame);

        // 7: once per game, the project's variables decide how scripts see the controls.
        checkStop();
        if (state.frame.ControlsReferencePolicy == 0) {
            bool referenceAll = false, noTimeout = false;
            auto check = [&](const QString& name) {
                const QString lower = name.toLower();
                if (lower == u"reference_all_controls") referenceAll = true;
                if (lower == u"disable_script_timeout") noTimeout = true;
            };
            for (const auto& v : state.vars.Variables) check(v->Name);
            for (const auto& v : state.vars.VariablesVariant) check(v->Name);
            state.frame.ControlsReferencePolicy = referenceAll ? 2 : 1;
            if (noTimeout) scripts.SetTimeoutAllEngines(-1);
        }

        // 8
        state.History.FramesHistoryAdd(CurrentFrame);

        // 10-11: the frame's settings.
        checkStop();
        {
            SeqReader reader = OpenSeqFile(
                fs, p.paths.FramesPath + state.frame.CurrentFrameName + QStringLiteral(".fme"));
            auto keepTimerTransition = [&] {
                if (s.HasTimerTransition) {
                    state.FrameTimerTransition = s.FrameTimerTransition;
                    state.FrameTimerTransitionDuration = s.FrameTimerTransitionDuration;
                }
                if (s.HasTimerTransitionNumber)
                    state.FrameTimerTransitionNumber = s.FrameTimerTransitionNumber;
            };
            try {
                ReadFrameSettings(reader, state.SoundChannels, s);
            } catch (...) {
                keepTimerTransition();
                throw;
            }
            keepTimerTransition();
            if (s.ChannelRowCrossFades)
                state.AudioFadeDuration = Val(s.ChannelFadeDuration) / 1000.0;
            state.PluginSettingsText = s.PluginSettings;
        }

        // 12: let a running water effect finish its step (at most 5 seconds).
        if (services.ripple->TimerEnabled()) {
            const qint64 start = loop_.NowMs();
            services.ripple->DisableTimer();
            while (loop_.NowMs() - start <= 5000 && !services.ripple->StepDone()) loop_.Wait(10);
            state.frame.RippleEffectActive = false;
            services.ripple->SwitchOff();
        }

        const bool videoFirst = !s.VideoFile.isEmpty() && s.VideoBeforeFrame && !bWithTransition;
        // 13-14: a video shown before the frame is built.
        checkStop();
        if (videoFirst) services.video->StopOneTimeVideoPlayer();
        checkStop();
        if (videoFirst) {
            HideMenus();
            state.StopMovie = false;
            PlayFrameVideo(s);
        }

        // 15-17: sounds and music.
        checkStop();
        if (s.StopAllSounds) StopAnyWavOrMP3();
        checkStop();
        if (s.FrameSoundFile.isEmpty() && s.StopFrameSoundIfNone)
            ChannelPlayer(kFrameSoundChannel).Stop();
        checkStop();
        {
            MediaPlayer& music = ChannelPlayer(kMusicChannel);
            if (s.RestartMusic) music.Stop();
            if (!s.MusicFile.isEmpty()) {
                const QString path = Located(p.paths.AreasPath + s.MusicFile);
                bool alreadyPlaying = false;
                for (size_t i = 1; i < MPlayer.size(); ++i)
                    if (MPlayer[i]->FileName() == path &&
                        MPlayer[i]->PlayState() == MediaPlayer::Playing)
                        alreadyPlaying = true;
                if (!alreadyPlaying || s.RestartMusic) {
                    music.Stop();
                    music.SetFileName(path);
                    music.SetPlayCount(s.MusicLoop ? 0 : 1);
                    music.SetVolume(VolumeForLevel(7));
                    music.Play();
                }
            }
        }

        // 18-22: the old frame's controls go, the new background, text boxes and hotspots come.
        checkStop();
        scene->ResetFrameTexts();
        checkStop();
        scene->ResetFrameAreas();
        checkStop();
        scene->DrawBackground();
        checkStop();
        scene->LoadTexts();
        state.frame.HotspotCount = ReadHotspotCount(p, state.frame.CurrentFrameName);
        checkStop();
        scene->LoadAreas();

        // 23: the project's frame script, the plug-ins' code and the frame's own script.
        checkStop();
        {
            scripts.ResetModule();
            QString added = services.plugins->PerFrameCode();
            added += services.plugins->CodeForFrameSettings(state.PluginSettingsText);
            const bool local = s.RunLocalScript && !s.LocalScript.isEmpty();
            const bool project = p.info.RunFrameScript && !p.info.FrameScript.isEmpty();
            if (local || project || !added.isEmpty()) {
                const QString text = (p.info.RunFrameScript ? p.info.FrameScript : QString()) +
                                     kCrLf + added + kCrLf +
                                     (s.RunLocalScript ? s.LocalScript : QString());
                scripts.ExecuteVBScript(text, true);
                if (scripts.requests.bStopGame) {
                    StartUnloading();
                    return;
                }
            }
        }

        // 24: visibility from the variables; the inventory stays above the new hotspots.
        checkStop();
        ShowOrNotShowAreas();
        services.inventory->BringToFront();

        // 25-26: the frame's sound channels and its one-time sound.
        checkStop();
        if (!s.StopAllSounds) {
            const QString chn =
                p.paths.FramesPath + state.frame.CurrentFrameName + QStringLiteral(".chn");
            if (!fs.FileExists(chn).isEmpty()) {
                SeqReader reader = OpenSeqFile(fs, chn);
                services.sound->PlaySoundChannels(reader);
            }
        }
        checkStop();
        if (!s.FrameSoundFile.isEmpty()) {
            MediaPlayer& sound = ChannelPlayer(kFrameSoundChannel);
            sound.Stop();
            sound.SetFileName(Located(p.paths.FramesPath + s.FrameSoundFile));
            sound.SetPlayCount(1);
            sound.SetVolume(VolumeForLevel(8));
            sound.Play();
        }

        const bool videoLate = !s.VideoFile.isEmpty() && (!s.VideoBeforeFrame || bWithTransition);
        // 27
        checkStop();
        if (videoLate) services.video->StopOneTimeVideoPlayer();

        // 28: effects, channel changes, the transition's second half, the dialogue.
        checkStop();
        if (!menus.DisableEffectsChecked && state.frame.BackgroundType == 1 &&
            !state.frame.BackgroundTiled)
            services.ripple->LoadWaveEffectIfAny(CurrentFrame);
        services.sound->StartChannelChanges();
        if (bWithTransition) {
            secondHalf.pending = false;
            services.transitions->TransitionStep2(iTransNumber, dTransitionDuration);
        } else
            services.sound->EnableFadeTimer();
        checkStop();
        if (!fs.FileExists(p.paths.FramesDataPath + state.frame.CurrentFrameName +
                           QStringLiteral(".dlg"))
                 .isEmpty() &&
            !p.DialogueActive)
            services.dialogues->LoadAndShowQuestions(state.frame.CurrentFrameName);

        // 29-30: the frame's video, and the wait for it.
        checkStop();
        if (videoLate) {
            HideMenus();
            state.StopMovie = false;
            PlayFrameVideo(s);
        }
        checkStop();
        SetScreenPointerArrow();
        while (IsOneTimeVideoPlaying() && !state.StopMovie) {
            loop_.Wait(10);
            HideMenus();
            loop_.ProcessEvents();
        }
        SetScreenPointerDefault();
        services.video->StopOneTimeVideoPlayer();
        state.StopMovie = false;
        checkStop();
        for (auto& [index, video] : scene->VideoPlayers())
            if (video.visible && video.player) video.player->Play();

        // 31
        checkStop();
        if (!menus.DisableEffectsChecked && services.ripple->EffectActive())
            services.ripple->Restart();

        // 32: the frame timer.
        checkStop();
        if (s.FrameTimerEnabled) ArmFrameTimer(s.FrameTimerTarget, s.FrameTimerDuration);

        // 33
        StartTimedEvents();
    } catch (const Superseded&) {
        return;
    } catch (const std::exception& e) {
        p.ShowErrorBox(QStringLiteral(" Unable to load the frame called '") + CurrentFrame +
                           QStringLiteral("'. ") + kVerifyLink + QStringLiteral(" "),
                       ErrorDescription(e));
    }
}

void Game::PlayFrameVideo(const FrameSettings& s) {
    if (s.VideoAtPosition)
        services.video->PlayMovieWithStop(s.VideoFile, false, s.VideoLeft, s.VideoTop, 0, 0);
    else if (s.VideoNaturalSize)
        services.video->PlayMovieWithStop(s.VideoFile, false, 0, 0, 0, 0);
    else
        services.video->PlayMovieWithStop(s.VideoFile, true, s.VideoLeft, s.VideoTop, s.VideoWidth,
                                          s.VideoHeight);
}

void Game::ArmFrameTimer(const QString& target, double seconds) {
    // An interval that does not fit the timer leaves it stopped and says so; the frame stays.
    const double ms = seconds * 1000.0;
    if (!std::isfinite(ms) || ms < 0 || ms > 2147483647.0) {
        timer1Tag_ = target;
        program.ShowErrorBox(QStringLiteral(" Unable to load timer duration."));
        return;
    }
    timer1Tag_ = target;
    timer1_.SetEnabled(true);
    timer1_.SetInterval(static_cast<int>(std::nearbyint(ms)));
}

}  // namespace storyloom
