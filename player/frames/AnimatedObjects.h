#pragma once
// The animated pictures of a frame's hotspots (the AniGif controls). The scene creates one for
// every hotspot whose picture moves and shows or hides it with its hotspot; until animated
// pictures are built, the default bodies do nothing. Tests derive from it to watch the calls.
#include <QString>

namespace storyloom {

class AnimatedObjectService {
  public:
    virtual ~AnimatedObjectService() = default;
    // Creates the animated picture of a hotspot; returns its index k (0 when none was made).
    virtual int AniGifNewWithIndex(int hotspot, const QString& path, int leftTwips, int topTwips,
                                   int speed) {
        (void)hotspot;
        (void)path;
        (void)leftTwips;
        (void)topTwips;
        (void)speed;
        return 0;
    }
    virtual void SetPointer(int index, const QString& pointerPath) {
        (void)index;
        (void)pointerPath;
    }
    virtual bool BoxVisible(int index) const {
        (void)index;
        return false;
    }
    virtual void SetBoxVisible(int index, bool visible) {
        (void)index;
        (void)visible;
    }
    virtual void StopAnimation(int index) { (void)index; }
    virtual void StartAnimation(int index) { (void)index; }
    // Unloads every animated picture above the template.
    virtual void UnloadAll() {}
};

}  // namespace storyloom
