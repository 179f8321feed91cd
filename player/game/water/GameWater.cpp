#include "game/water/GameWater.h"

#include <limits>

#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/controls/PictureBox.h"

namespace storyloom {

namespace {

// The region in window units (twips) is held in 16-bit values: a region that does not fit
// fails as an overflow, as the effect's loading error.
double ToTwips(qint16 pixels) {
    const int twips = int(pixels) * 15;
    if (twips < std::numeric_limits<qint16>::min() || twips > std::numeric_limits<qint16>::max())
        throw RunError(6, QStringLiteral("Overflow"));
    return twips;
}

void ThrowIfFailed(effects::EffectStatus status) {
    if (status == effects::EffectStatus::BadDestination ||
        status == effects::EffectStatus::BadArgument)
        throw RunError(5, QString::fromLatin1(effects::EffectStatusText(status)));
}

}  // namespace

GameWater::GameWater(Game& game)
    : game_(game),
      clock_([&loop = game.program.platform.loop] { return loop.NowMs(); }),
      timer_(game.program.platform.loop) {
    timer_.SetEnabled(false);
    timer_.onTick = [this] { TimerTick(); };
    picture_ = game_.PictureBox->Add<forms::PictureBox>(QStringLiteral("PicRipplingWater"));
    picture_->SetBorderStyle(0);
    picture_->SetScaleMode(3);
    picture_->SetAutoRedraw(true);
    picture_->SetVisible(false);
    // The water is part of the background for the mouse.
    picture_->onMouseDown = game_.scene->BackImage->onMouseDown;
    picture_->onMouseMove = game_.scene->BackImage->onMouseMove;
}

GameWater::~GameWater() = default;

bool GameWater::EffectActive() const {
    return game_.state.frame.RippleEffectActive;
}

void GameWater::SwitchOff() {
    game_.state.frame.RippleEffectActive = false;
    picture_->SetVisible(false);
}

void GameWater::Restart() {
    clock_.FoxTime(1);
    timer_.SetEnabled(true);
}

void GameWater::LoadWaveEffectIfAny(const QString& frameName) {
    Program& p = game_.program;
    FileSystem& fs = p.platform.files;
    game_.state.frame.RippleEffectActive = false;
    settings_.Reverse = false;
    const QString base = p.paths.FramesPath + frameName;
    if (fs.FileExists(base + QStringLiteral(".rwe")).isEmpty() ||
        fs.FileExists(base + QStringLiteral(".rwm")).isEmpty())
        return;
    try {
        {
            SeqReader reader =
                OpenSeqFile(fs, p.paths.FramesPath + game_.state.frame.CurrentFrameName +
                                    QStringLiteral(".rwe"));
            settings_ = ReadWaterEffectSettings(reader);
        }
        const WaterEffectSettings& s = settings_;
        const double left = ToTwips(s.Left), top = ToTwips(s.Top);
        const double width = ToTwips(s.Width), height = ToTwips(s.Height);
        // A region without area has nothing to ripple.
        if (width <= 0 || height <= 0) return;
        picture_->Move(left, top, width, height);

        forms::Picture maskPicture;
        try {
            maskPicture = game_.scene->LoadPicture(base + QStringLiteral(".rwm"));
        } catch (const std::exception&) {
            return;  // a mask that cannot be read: no effect, no message
        }
        if (maskPicture.IsEmpty()) return;
        // Nor has a region wholly outside the picture.
        const QImage frame = game_.PictureBox->ImagePicture().Image();
        const QRect region(s.Left, s.Top, s.Width, s.Height);
        if (!region.intersects(frame.rect())) return;

        original_ = frame.copy(region).convertToFormat(QImage::Format_RGB32);
        masked_ = original_;
        mask_ = maskPicture.Image().convertToFormat(QImage::Format_RGB32);
        ThrowIfFailed(effects::OrInvertedMask(masked_, mask_));
        clock_.FoxTime(1);
        DrawStep();

        game_.state.frame.RippleEffectActive = true;
        // Just above the background: the hotspots stay over the water.
        picture_->ZOrder(1);
        game_.scene->BackImage->ZOrder(1);
        picture_->SetVisible(true);
        timer_.SetInterval(kIntervalMs);
    } catch (const std::exception& e) {
        timer_.SetEnabled(false);
        p.ShowErrorBox(QStringLiteral(" Error initializing the Rippling Water effect. "),
                       ErrorDescription(e));
    }
}

void GameWater::DrawStep() {
    QImage& canvas = picture_->Canvas();
    const int w = canvas.width();
    const int h = canvas.height();
    const float phase = effects::RipplePhase(settings_.Speed, settings_.Reverse, clock_.FoxTime(0));
    ThrowIfFailed(effects::FoxWave(canvas, 0, 0, w, h, original_, 0, 0, settings_.WaveParameter, 4,
                                   phase, 90.0, 0.0));
    ThrowIfFailed(effects::FoxFastMask(canvas, 0, 0, w, h, masked_, 0, 0, mask_, 0, 0, 0));
    picture_->Refresh();
}

void GameWater::TimerTick() {
    Program& p = game_.program;
    if (p.StopRequested) {
        timer_.SetEnabled(false);
        return;
    }
    if (timer_.Enabled() && EffectActive()) {
        stepDone_ = false;
        try {
            DrawStep();
            game_.window.SetPointer(forms::MousePointer::Default);
        } catch (const std::exception& e) {
            game_.state.frame.RippleEffectActive = false;
            timer_.SetEnabled(false);
            p.ShowErrorBox(QStringLiteral(" Error rendering rippling water. "),
                           ErrorDescription(e));
        }
    }
    if (!EffectActive()) timer_.SetEnabled(false);
    stepDone_ = true;
}

void GameWater::EnableOrDisableEffects() {
    Program& p = game_.program;
    bool& off = game_.menus.DisableEffectsChecked;
    off = !off;
    try {
        p.SaveUserSetting(UserKeys::kDisableEffects,
                          off ? QStringLiteral("True") : QStringLiteral("False"));
    } catch (const std::exception&) {
    }
    game_.SyncWindowMenus();
    if (off) {
        if (timer_.Enabled()) {
            EventLoop& loop = p.platform.loop;
            const qint64 start = loop.NowMs();
            timer_.SetEnabled(false);
            while (loop.NowMs() - start <= 5000 && !stepDone_) loop.Wait(10);
        }
        SwitchOff();
        return;
    }
    const FrameGlobals& frame = game_.state.frame;
    if (frame.BackgroundType == 1 && !frame.BackgroundTiled)
        LoadWaveEffectIfAny(frame.CurrentFrameName);
    if (EffectActive()) Restart();
}

}  // namespace storyloom
