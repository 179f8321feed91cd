#include "frames/AnimatedPictures.h"

#include "core/Program.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/Picture.h"
#include "platform/forms/controls/PictureBox.h"

namespace storyloom {

AnimatedPictures::AnimatedPictures(Program& program) : program_(program) {}

AnimatedPictures::~AnimatedPictures() {
    // Elements first, then the arrays (the window may already have taken the controls).
    AniGif.reset();
    AniGifBox.reset();
}

void AnimatedPictures::BuildControls(forms::PictureBox& pictureArea,
                                     forms::PictureCache& pictures) {
    pictures_ = &pictures;
    auto* box = pictureArea.Add<forms::AnimationCanvas>(QStringLiteral("AniGifBox"));
    box->SetVisible(false);
    box->SetPixelRect(QRect());
    AniGifBox = std::make_unique<forms::ControlArray<forms::AnimationCanvas>>(box);
    auto* player = box->Add<forms::AnimatedGif>(&program_.platform.loop, QStringLiteral("AniGif"));
    player->SetVisible(false);
    AniGif = std::make_unique<forms::ControlArray<forms::AnimatedGif>>(player);
}

int AnimatedPictures::AniGifNewWithIndex(int newIndex, const QString& path, int leftTwips,
                                         int topTwips, int speed) {
    if (path.isEmpty() || newIndex <= 0 || !AniGifBox) return 0;
    forms::AnimationCanvas* box = AniGifBox->Load(newIndex);
    box->SetPixelRect(QRect());
    forms::AnimatedGif* player = AniGif->Load(newIndex);
    player->SetContainer(box);
    box->Move(leftTwips, topTwips);
    box->ZOrder(0);
    AniGifUpdate(newIndex, path, speed);
    return newIndex;
}

void AnimatedPictures::AniGifUpdate(int index, const QString& path, int speed) {
    Program& p = program_;
    if (p.StopRequested || !AniGif) return;
    try {
        if (path.isEmpty()) {
            files_.erase(index);
            if (AniGif->Exists(index)) AniGif->Unload(index);
            if (AniGifBox->Exists(index)) AniGifBox->Unload(index);
            return;
        }
        if (p.platform.files.FileExists(path).isEmpty()) return;
        forms::AnimatedGif* player = AniGif->Item(index);
        int error = 0;
        auto animation = pictures_->LoadAnimation(p.platform.files.NativePath(path), &error);
        if (!animation)
            throw forms::ControlError(error, error == forms::kErrFileNotFound
                                                 ? QStringLiteral("File not found")
                                                 : QStringLiteral("Invalid picture"));
        player->SetAnimation(std::move(animation));
        files_[index] = path;
        player->Move(0, 0);
        player->SetSpeed(speed < 1 ? 50 : speed);
        forms::AnimationCanvas* box = AniGifBox->Item(index);
        // A hidden object's animation waits for its hotspot to show (the visibility pass
        // starts it): nothing runs that nobody sees.
        if (box->Visible()) player->Play();
        player->SetVisible(true);
        box->SetPixelRect(QRect(box->PixelRect().topLeft(), player->PixelRect().size()));
    } catch (const std::exception&) {
        p.ShowErrorBox(QStringLiteral(" Unable to load '") + path + QStringLiteral("'."));
    }
}

void AnimatedPictures::SetPointer(int index, const QString& pointerPath) {
    if (!AniGifBox) return;
    forms::AnimationCanvas* box = AniGifBox->Find(index);
    if (!box || index == 0) return;
    if (pointerPath.isEmpty()) {
        box->SetPointer(forms::MousePointer::Default);
        return;
    }
    const forms::PictureResult icon =
        forms::LoadPictureFile(program_.platform.files.NativePath(pointerPath));
    if (!icon.Ok()) return;
    box->SetMouseIcon(icon.picture);
    box->SetPointer(forms::MousePointer::Custom);
}

bool AnimatedPictures::BoxVisible(int index) const {
    const forms::AnimationCanvas* box = AniGifBox && index > 0 ? AniGifBox->Find(index) : nullptr;
    return box && box->Visible();
}

void AnimatedPictures::SetBoxVisible(int index, bool visible) {
    forms::AnimationCanvas* box = AniGifBox && index > 0 ? AniGifBox->Find(index) : nullptr;
    if (box) box->SetVisible(visible);
}

void AnimatedPictures::StopAnimation(int index) {
    forms::AnimatedGif* player = AniGif && index > 0 ? AniGif->Find(index) : nullptr;
    if (player) player->Stop();
}

void AnimatedPictures::StartAnimation(int index) {
    forms::AnimatedGif* player = AniGif && index > 0 ? AniGif->Find(index) : nullptr;
    if (!player) return;
    player->Rewind();
    player->Play();
}

QString AnimatedPictures::AnimationFile(int index) const {
    auto it = files_.find(index);
    return it == files_.end() ? QString() : it->second;
}

void AnimatedPictures::UnloadAll() {
    files_.clear();
    if (!AniGif) return;
    for (int i : AniGif->Indices())
        if (i > 0) {
            if (forms::AnimationCanvas* box = AniGifBox->Find(i)) box->SetVisible(false);
            AniGif->Unload(i);
        }
    AniGifBox->UnloadAll();
}

}  // namespace storyloom
