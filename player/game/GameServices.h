#pragma once
// The subsystems a Game talks to, each behind its own interface next to the code that fills it.
// Any left null gets a do-nothing instance.
#include "frames/AnimatedObjects.h"
#include "game/ScriptRunner.h"
#include "game/dialogues/DialogueService.h"
#include "game/inventory/InventoryService.h"
#include "game/saves/SavedGameService.h"
#include "game/sound/SoundChannelService.h"
#include "game/transitions/TransitionService.h"
#include "game/video/VideoService.h"
#include "game/water/RippleService.h"

namespace storyloom {

struct GameServices {
    InventoryService* inventory = nullptr;
    TransitionService* transitions = nullptr;
    DialogueService* dialogues = nullptr;
    RippleService* ripple = nullptr;
    SoundChannelService* sound = nullptr;
    VideoService* video = nullptr;
    AnimatedObjectService* animated = nullptr;
    PluginService* plugins = nullptr;
    ComponentService* components = nullptr;
    SavedGameService* savedGames = nullptr;
};

}  // namespace storyloom
