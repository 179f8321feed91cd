#pragma once
// The frame on screen, as far as the frame files and the frame opening fill it.
#include <QString>

namespace storyloom {

struct FrameGlobals {
    QString CurrentFrameName;
    qint16 BackgroundType = 0;
    QString BackgroundValue;
    bool BackgroundTiled = false;
    qint16 HotspotCount = 0;
    qint16 MergedHotspotIndex = 1;
    qint16 MergedTextIndex = 1;
    bool RippleEffectActive = false;
    // 0 undecided, 1 do not expose every control to scripts, 2 expose them.
    qint16 ControlsReferencePolicy = 0;

    // What the frame opening clears before it reads a frame's header.
    void ClearCurrent() {
        CurrentFrameName.clear();
        BackgroundValue.clear();
        HotspotCount = 0;
        BackgroundType = 0;
        BackgroundTiled = false;
    }
    bool operator==(const FrameGlobals&) const = default;
};

}  // namespace storyloom
