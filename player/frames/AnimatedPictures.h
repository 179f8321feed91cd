#pragma once
// The animated pictures of the frame: one player (AniGif) in one borderless container
// (AniGifBox) per animated hotspot, both arrays indexed by the hotspot's number, element 0 of
// each a hidden template. The container is sized to the animation and placed on the frame
// picture; the game wires the templates' events (a press is a click on the hotspot, an item
// dropped is dropped on the hotspot).
#include <QString>
#include <map>
#include <memory>

#include "frames/AnimatedObjects.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/controls/AnimatedGif.h"

namespace storyloom {

class Program;

class AnimatedPictures : public AnimatedObjectService {
  public:
    explicit AnimatedPictures(Program& program);
    ~AnimatedPictures() override;

    int AniGifNewWithIndex(int newIndex, const QString& path, int leftTwips, int topTwips,
                           int speed) override;
    void AniGifUpdate(int index, const QString& path, int speed) override;
    void SetPointer(int index, const QString& pointerPath) override;
    bool BoxVisible(int index) const override;
    void SetBoxVisible(int index, bool visible) override;
    void StopAnimation(int index) override;
    void StartAnimation(int index) override;
    void UnloadAll() override;
    void BuildControls(forms::PictureBox& pictureArea, forms::PictureCache& pictures) override;
    forms::ControlArray<forms::AnimatedGif>* Players() override { return AniGif.get(); }
    forms::ControlArray<forms::AnimationCanvas>* Canvases() override { return AniGifBox.get(); }
    QString AnimationFile(int index) const override;

    std::unique_ptr<forms::ControlArray<forms::AnimationCanvas>> AniGifBox;
    std::unique_ptr<forms::ControlArray<forms::AnimatedGif>> AniGif;

  private:
    Program& program_;
    forms::PictureCache* pictures_ = nullptr;
    std::map<int, QString> files_;
};

}  // namespace storyloom
