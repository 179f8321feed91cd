#include "frames/FrameScene.h"

#include "core/BasicConvert.h"
#include "core/Errors.h"
#include "core/FrameGlobals.h"
#include "core/Program.h"
#include "frames/AnimatedObjects.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/Color.h"
#include "project/MediaFiles.h"

namespace storyloom {

FrameScene::FrameScene(Program& program, FrameGlobals& frame, forms::PictureBox& pictureBox,
                       MediaPlayerFactory& media, AnimatedObjectService& animated)
    : PictureBox(&pictureBox),
      program_(program),
      frame_(frame),
      media_(media),
      animated_(animated) {
    BackImage = PictureBox->Add<forms::Image>(QStringLiteral("BackImage"));
    BackImage->SetStretch(true);
    ImageTile = PictureBox->Add<forms::Image>(QStringLiteral("ImageTile"));
    ImageTile->SetVisible(false);
    auto* areaTemplate = PictureBox->Add<forms::Image>(QStringLiteral("Area"));
    areaTemplate->SetVisible(false);
    Area = std::make_unique<forms::ControlArray<forms::Image>>(areaTemplate);
    auto* textTemplate = PictureBox->Add<forms::Label>(QStringLiteral("Text"));
    textTemplate->SetVisible(false);
    textTemplate->SetAutoSize(true);
    textTemplate->SetBackStyle(0);
    textTemplate->SetWordWrap(false);
    Text = std::make_unique<forms::ControlArray<forms::Label>>(textTemplate);
    animated_.BuildControls(*PictureBox, pictures_);
}

FrameScene::~FrameScene() {
    // Controls go before the arrays that index them.
    Area.reset();
    Text.reset();
}

// ---- Background ------------------------------------------------------------------------------

void FrameScene::DrawBackground() {
    switch (frame_.BackgroundType) {
        case 0: {
            PictureBox->SetPicture(forms::Picture());
            PictureBox->Cls();
            const double value = Val(frame_.BackgroundValue);
            const auto color = static_cast<forms::OleColor>(
                value < 0 || value > 4294967295.0 ? 0 : static_cast<qint64>(value));
            if (color != PictureBox->BackColor()) PictureBox->SetBackColor(color);
            PictureBox->Cls();
            break;
        }
        case 1:
            if (frame_.BackgroundTiled) {
                PictureBox->SetPicture(forms::Picture());
                const forms::Picture tile =
                    LoadPicture(program_.paths.FramesPath + frame_.BackgroundValue);
                ImageTile->SetPicture(tile);
                const int tileW = tile.Size().width() * 15, tileH = tile.Size().height() * 15;
                if (tileW > 0 && tileH > 0) {
                    PictureBox->Cls();
                    for (double x = 0; x <= PictureBox->Width(); x += tileW)
                        for (double y = 0; y <= PictureBox->Height(); y += tileH)
                            PictureBox->PaintPicture(tile, x, y);
                }
                ImageTile->SetPicture(forms::Picture());
            } else {
                PictureBox->SetBackColor(forms::Rgb(0, 0, 0));
                PictureBox->Cls();
                PictureBox->SetPicture(
                    LoadPicture(program_.paths.FramesPath + frame_.BackgroundValue));
            }
            break;
        default:
            break;
    }
}

// ---- Queries ---------------------------------------------------------------------------------

int FrameScene::AreaCount() const {
    return std::max(0, Area->UBound());
}

bool FrameScene::AreaVisible(int index) const {
    const forms::Image* a = index > 0 ? Area->Find(index) : nullptr;
    return a && a->Visible();
}

QRect FrameScene::AreaRectTwips(int index) const {
    const forms::Image* a = index > 0 ? Area->Find(index) : nullptr;
    if (!a) return {};
    return QRect(int(a->Left()), int(a->Top()), int(a->Width()), int(a->Height()));
}

int FrameScene::AreaLink(int index) const {
    auto it = areaLink_.find(index);
    return it == areaLink_.end() ? 0 : it->second;
}

int FrameScene::TextCount() const {
    return std::max(0, Text->UBound());
}

QString FrameScene::TextCaption(int index) const {
    const forms::Label* t = index > 0 ? Text->Find(index) : nullptr;
    return t ? t->Caption() : QString();
}

QRect FrameScene::TextRectTwips(int index) const {
    const forms::Label* t = index > 0 ? Text->Find(index) : nullptr;
    if (!t) return {};
    return QRect(int(t->Left()), int(t->Top()), int(t->Width()), int(t->Height()));
}

int FrameScene::HotspotAt(int x, int y) const {
    // Hotspots loaded later lie on top; walk from the front.
    const QPoint at = PictureBox->WindowPixelRect().topLeft() + QPoint(x, y);
    if (!PictureBox->WindowPixelRect().contains(at)) return 0;
    const auto& children = PictureBox->Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        const forms::Control* c = it->get();
        if (!c->Visible() || !c->Enabled()) continue;
        if (!c->WindowPixelRect().contains(at)) continue;
        // The first control that takes the click decides: a text box or the message strip on
        // top of a hotspot keeps the click from it.
        return c->Name() == u"Area" && c->Index() > 0 ? c->Index() : 0;
    }
    return 0;
}

// ---- Pictures and pointers -------------------------------------------------------------------

forms::Picture FrameScene::LoadPicture(const QString& path) {
    const QString located = ResolveMediaPath(program_, path);
    forms::PictureResult result = pictures_.Load(program_.platform.files.NativePath(located));
    if (!result.Ok()) throw RunError(result.errorNumber, result.errorDescription);
    return result.picture;
}

bool FrameScene::IsDefaultCursor() const {
    const QString& file = program_.info.DefaultCursorFile;
    return file.isEmpty() || file.compare(QStringLiteral("default"), Qt::CaseInsensitive) == 0;
}

void FrameScene::SetControlDefaultPointer(forms::Control& control) {
    try {
        if (IsDefaultCursor()) {
            control.SetPointer(forms::MousePointer::Default);
            control.SetMouseIcon(forms::Picture());
        } else {
            control.SetMouseIcon(
                LoadPicture(program_.paths.IconsPath + program_.info.DefaultCursorFile));
            control.SetPointer(forms::MousePointer::Custom);
        }
    } catch (const std::exception&) {
    }
}

void FrameScene::SetControlPointerFile(forms::Control& control, const QString& pointerFile) {
    if (pointerFile.isEmpty() ||
        pointerFile.compare(QStringLiteral("default"), Qt::CaseInsensitive) == 0) {
        SetControlDefaultPointer(control);
        return;
    }
    control.SetMouseIcon(LoadPicture(program_.paths.IconsPath + pointerFile));
    control.SetPointer(forms::MousePointer::Custom);
}

// ---- Video views ----------------------------------------------------------------------------

VideoViewHandle& VideoViewHandle::operator=(VideoViewHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        view_ = other.view_;
        other.view_ = nullptr;
    }
    return *this;
}

void VideoViewHandle::Reset() {
    if (!view_) return;
    forms::VideoView* view = view_;
    view_ = nullptr;
    view->SetPlayer(nullptr);
    if (forms::Control* parent = view->Parent()) parent->Remove(view);
}

void AttachVideoView(forms::Control& container, std::map<int, PlacedPlayer>& players, int index) {
    auto it = players.find(index);
    if (it == players.end() || !it->second.player) return;
    auto* view = container.Add<forms::VideoView>(QStringLiteral("VideoView"));
    // Over the whole container whatever its size: the place is drawn inside it.
    view->SetPixelRect(QRect(0, 0, 16384, 16384));
    view->placement = [&players, index]() -> std::optional<QRect> {
        auto found = players.find(index);
        if (found == players.end() || !found->second.visible) return std::nullopt;
        return found->second.pixelRect;
    };
    view->SetPlayer(it->second.player.get());
    it->second.view = VideoViewHandle(view);
}

}  // namespace storyloom
