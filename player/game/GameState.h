#pragma once
// The state of one game in plain values: what a new game clears and a saved game keeps. A test
// can build one, copy it and compare it; the Game that plays it owns one.
#include <QString>

#include "core/FrameGlobals.h"
#include "core/SoundChannelTable.h"
#include "core/Variables.h"
#include "game/FramesHistory.h"

namespace storyloom {

struct GameState {
    // The frame on screen.
    FrameGlobals frame;
    // The integer and variant variables and the hidden hotspots.
    GameVariables vars;
    FramesHistory History;
    SoundChannelTable SoundChannels;
    double AudioFadeDuration = 0;  // seconds
    // The last click, in pixels of the frame picture area, for the scripts.
    qint16 LastClickX = 0;
    qint16 LastClickY = 0;
    // The frame timer's jump transition, from the frame's settings.
    bool FrameTimerTransition = false;
    qint32 FrameTimerTransitionDuration = 0;
    qint16 FrameTimerTransitionNumber = 0;
    // The plug-in settings text of the frame on screen.
    QString PluginSettingsText;
    // The project's procedures as the last reset read them.
    QString ProceduresText;
    // A click or key asked the running video to end.
    bool StopMovie = false;
    // A submenu of the menu bar was opened (the next click closes the menus only).
    bool SubmenuOpened = false;
    // How far the debug key sequence has got.
    int DebugKeyState = 0;

    bool operator==(const GameState&) const = default;
};

}  // namespace storyloom
