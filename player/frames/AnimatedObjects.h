#pragma once
// The animated pictures of a frame's hotspots (the AniGif controls). The scene creates one for
// every hotspot whose picture moves and shows or hides it with its hotspot. The default bodies
// do nothing (tests derive from it to watch the calls); AnimatedPictures is the real one.
#include <QString>

namespace storyloom {

namespace forms {
class AnimatedGif;
class AnimationCanvas;
class PictureBox;
class PictureCache;
template <class T>
class ControlArray;
}  // namespace forms

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

    // ---- Added with the animated pictures themselves ------------------------------------------
    // The scene's frame picture area and its picture cache (the decoded frames count against
    // its budget): the templates are built there.
    virtual void BuildControls(forms::PictureBox& pictureArea, forms::PictureCache& pictures) {
        (void)pictureArea;
        (void)pictures;
    }
    // Loads, replaces or (with an empty path) removes the animation of object `index`.
    virtual void AniGifUpdate(int index, const QString& path, int speed) {
        (void)index;
        (void)path;
        (void)speed;
    }
    // The players (AniGif) and their containers (AniGifBox); null when there are none.
    virtual forms::ControlArray<forms::AnimatedGif>* Players() { return nullptr; }
    virtual forms::ControlArray<forms::AnimationCanvas>* Canvases() { return nullptr; }
    // The file object `index` plays (empty when none).
    virtual QString AnimationFile(int index) const {
        (void)index;
        return {};
    }
};

}  // namespace storyloom
