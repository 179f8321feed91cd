#pragma once
// The game's media players as scripts see them: the sound channel players, the videos on
// hotspots and the spare players scripts load. Each array gives its elements by index
// (`AudioPlayerObject(6).FileName`); an element is looked up again at every use, so a kept
// reference to a player that went away raises error 340 instead of reaching freed memory.
#include <QRect>
#include <functional>
#include <memory>
#include <vector>

#include "vbscript/Engine.h"

namespace storyloom {

class MediaPlayer;

// One element as the game holds it. `pixelRect` and `visible` are null for players that have
// no place on the window (the sound channels).
struct MediaSlot {
    MediaPlayer* player = nullptr;
    QRect* pixelRect = nullptr;
    bool* visible = nullptr;
};

// Access to one array of players. Load and Unload are empty for arrays the game itself fills;
// LoadControl then answers False.
struct MediaArrayAccess {
    std::function<MediaSlot(int index)> find;
    std::function<std::vector<int>()> indices;
    std::function<void(int index)> load;
    std::function<void(int index)> unload;
};

vbs::Ref<vbs::Dispatch> MakeMediaArrayObject(std::shared_ptr<MediaArrayAccess> access);

}  // namespace storyloom
