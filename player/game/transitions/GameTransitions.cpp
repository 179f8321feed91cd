#include "game/transitions/GameTransitions.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/effects/Transitions.h"
#include "platform/forms/Renderer.h"

namespace storyloom {

namespace {

bool IsBlend(int kind) {
    return kind == 0 || kind == 1;
}

bool IsKnownKind(int kind) {
    return kind >= 0 && kind <= effects::kTransitionCount;
}

// Failures of one component are ignored: the others still move.
template <class Fn>
void EachComponent(TransitionComponents& components, Fn fn) {
    for (int i = 0; i < components.Count(); ++i) {
        try {
            if (components.OnFrame(i)) fn(i);
        } catch (const std::exception&) {
        }
    }
}

}  // namespace

GameTransitions::GameTransitions(Game& game, TransitionComponents* components)
    : game_(game), components_(components ? *components : noComponents_) {
    picWhere_ = game_.window.Add<forms::PictureBox>(QStringLiteral("picWhere"));
    picWhere_->SetBorderStyle(0);
    picWhere_->SetScaleMode(3);
    picWhere_->SetAutoRedraw(true);
    picWhere_->SetBackColor(0);
    picWhere_->SetVisible(false);
    // A click on the frozen picture ends the animation; the right button also opens or closes
    // the menus.
    picWhere_->onMouseDown = [this](forms::Control&, int button, int, double, double) {
        game_.program.InterruptTransition = true;
        game_.picWhere_MouseDown(static_cast<MouseButton>(button));
    };
    onProgress = [this](double progress) { game_.services.sound->FadeChannels(progress); };
    stepWait = [this](int ms) { game_.program.platform.loop.Wait(ms); };
}

GameTransitions::~GameTransitions() = default;

void GameTransitions::InitTransitions() {
    names_ = {QString(),
              QStringLiteral("Alphablending"),
              QStringLiteral("Slide Left"),
              QStringLiteral("Slide Right"),
              QStringLiteral("Slide Up"),
              QStringLiteral("Slide Down")};
}

bool GameTransitions::OverlayVisible() const {
    return picWhere_->Visible();
}

void GameTransitions::ReportError(const char* where, const QString& description) {
    game_.program.ShowErrorBox(QStringLiteral(" Error in \"%1\". ").arg(QString::fromLatin1(where)),
                               description);
}

// ---- The first half ----------------------------------------------------------------------

void GameTransitions::TransitionStep1(int kind) {
    Program& p = game_.program;
    if (p.StopRequested || game_.menus.DisableTransitionsChecked) return;
    // One transition at a time: a jump made while one animates (a script timer, say) ends it
    // and opens its frame without a transition of its own.
    if (p.TransitionInProgress) {
        p.InterruptTransition = true;
        return;
    }
    try {
        prepared_ = true;
        oldMessage_ = game_.MessageStripVisible() ? game_.MessageStripText() : QString();
        picWhere_->SetPixelRect(game_.PictureBox->PixelRect());
        components_.Pause();
        EachComponent(components_, [&](int i) {
            if (components_.MovedBeforeCapture(i) && IsBlend(kind))
                components_.MoveInto(i, TransitionComponents::Holder::Display);
        });
        picStart_ = CaptureActualFrame();
        EachComponent(components_, [&](int i) {
            if (components_.MovedBeforeCapture(i)) return;
            using H = TransitionComponents::Holder;
            if (IsBlend(kind))
                components_.MoveInto(i, H::Display);
            else if (kind == 2 || kind == 4)
                components_.MoveInto(i, H::NewPicture);
            else if (kind == 3 || kind == 5)
                components_.MoveInto(i, H::OldPicture);
        });
        if (!IsKnownKind(kind)) return;
        // The old picture covers the frame while the new one is built underneath.
        QImage& canvas = picWhere_->Canvas();
        effects::ComposeCrossFade(canvas, picStart_, picStart_, 0);
        picWhere_->SetVisible(true);
        picWhere_->ZOrder(0);
        picWhere_->Refresh();
    } catch (const std::exception& e) {
        ReportError("TransitionStep1", ErrorDescription(e));
    }
}

// ---- The second half ---------------------------------------------------------------------

void GameTransitions::TransitionStep2(int kind, double seconds) {
    Program& p = game_.program;
    if (p.StopRequested) return;
    if (animating_) {
        // A jump made while another transition animates: its first half was refused, and the
        // running one ends at its next step.
        game_.services.sound->EnableFadeTimer();
        return;
    }
    if (!prepared_ || game_.menus.DisableTransitionsChecked) {
        // Nothing frozen to animate from (transitions were off for the first half), or
        // transitions were switched off since: the new frame shows at once, the frozen picture
        // goes, and the sound channels fade on their own timer as after a plain jump.
        if (prepared_) EndOverlay();
        game_.services.sound->EnableFadeTimer();
        return;
    }
    try {
        const bool frameTimerWasOn = game_.FrameTimerEnabled();
        // The old frame's message ends with it; one the new frame's own script has just
        // shown stays.
        if (game_.MessageTimerEnabled() && !oldMessage_.isNull() &&
            game_.MessageStripText() == oldMessage_)
            game_.HideTextMessage();
        game_.SetFrameTimerEnabled(false);
        const int w = game_.program.info.ProjectWidth;
        const int h = game_.program.info.ProjectHeight;
        EachComponent(components_, [&](int i) {
            if (!components_.InPictureArea(i)) return;
            if (kind == 3) components_.Shift(i, w, 0);
            if (kind == 5) components_.Shift(i, 0, h);
        });
        picEnd_ = CaptureCurrentFrame();
        Animate(kind, seconds);

        // Animated pictures start again from their first picture on the new frame.
        FrameScene& scene = *game_.scene;
        for (int i = 1; i <= scene.AreaCount(); ++i) {
            const int k = scene.AreaLink(i);
            if (k > 0 && game_.services.animated->BoxVisible(k)) {
                game_.services.animated->StopAnimation(k);
                game_.services.animated->StartAnimation(k);
            }
        }
        if (frameTimerWasOn) game_.SetFrameTimerEnabled(true);
        EachComponent(components_, [&](int i) {
            if (kind == 3) components_.Shift(i, -w, 0);
            if (kind == 5) components_.Shift(i, 0, -h);
        });
        EndOverlay();
    } catch (const std::exception& e) {
        prepared_ = false;
        ReportError("TransitionStep2", ErrorDescription(e));
    }
}

void GameTransitions::EndOverlay() {
    prepared_ = false;
    picWhere_->SetVisible(false);
    EachComponent(components_, [&](int i) {
        components_.MoveInto(i, TransitionComponents::Holder::PictureArea);
    });
    picStart_ = QImage();
    picEnd_ = QImage();
    components_.Resume();
}

// ---- The animation -----------------------------------------------------------------------

void GameTransitions::Animate(int kind, double seconds) {
    Program& p = game_.program;
    EventLoop& loop = p.platform.loop;
    lastSteps_ = 0;
    // Not a number, zero, negative: nothing is animated.
    if (IsKnownKind(kind) && seconds > 0) {
        const double durationMs = std::min(seconds, kLongestSeconds) * 1000.0;
        p.TransitionInProgress = true;
        p.InterruptTransition = false;
        animating_ = true;
        // The flags come down however the loop ends (a failed step throws).
        struct Running {
            GameTransitions& self;
            ~Running() {
                self.animating_ = false;
                self.game_.program.TransitionInProgress = false;
            }
        } running{*this};
        if (!IsBlend(kind)) loop.ProcessEvents();
        const qint64 start = loop.NowMs();
        for (;;) {
            const double elapsed = double(loop.NowMs() - start);
            const double progress = elapsed >= durationMs ? 1.0 : elapsed / durationMs;
            DrawStep(kind, progress);
            ++lastSteps_;
            if (onProgress) onProgress(progress);
            if (progress >= 1.0) break;
            if (stepWait) stepWait(kStepPauseMs);
            if (p.InterruptTransition || p.StopRequested) {
                p.InterruptTransition = false;
                break;
            }
        }
    }
    animating_ = false;
    p.TransitionInProgress = false;
    picWhere_->SetVisible(false);
    if (onProgress) onProgress(1.0);
}

void GameTransitions::DrawStep(int kind, double progress) {
    QImage& canvas = picWhere_->Canvas();
    const effects::EffectStatus status =
        effects::ComposeTransitionStep(canvas, kind, picStart_, picEnd_, progress);
    if (status != effects::EffectStatus::Drawn)
        throw RunError(5, QString::fromLatin1(effects::EffectStatusText(status)));
    if (!IsBlend(kind)) {
        // Where the strip of the slide lies now: components on it ride along.
        const int w = canvas.width();
        const int h = canvas.height();
        QPoint strip;
        switch (kind) {
            case 2:
                strip = QPoint(effects::SlideOffset(progress, w) - w, 0);
                break;
            case 3:
                strip = QPoint(-effects::SlideOffset(progress, w), 0);
                break;
            case 4:
                strip = QPoint(0, effects::SlideOffset(progress, h) - h);
                break;
            default:
                strip = QPoint(0, -effects::SlideOffset(progress, h));
                break;
        }
        components_.StripAt(strip);
    }
    picWhere_->Refresh();
}

// ---- Options -------------------------------------------------------------------------------

void GameTransitions::EnableOrDisableTransitions() {
    bool& off = game_.menus.DisableTransitionsChecked;
    off = !off;
    game_.program.SaveUserSetting(UserKeys::kDisableTransitions,
                                  off ? QStringLiteral("True") : QStringLiteral("False"));
    game_.SyncWindowMenus();
}

// ---- Capturing the frame -------------------------------------------------------------------

QImage GameTransitions::CaptureActualFrame() {
    QImage frame = game_.RenderFrame();
    if (frame.format() != QImage::Format_RGB32) frame = frame.convertToFormat(QImage::Format_RGB32);
    return frame;
}

QImage GameTransitions::CaptureCurrentFrame() {
    forms::PictureBox& area = *game_.PictureBox;
    QImage image(area.ClientPixelSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::black);
    // The frame as it stands, without the message strip laid over it: background, text boxes,
    // hotspot pictures, animated pictures and the water.
    const bool stripShown = game_.FrameMessageBox->Visible();
    if (stripShown) game_.FrameMessageBox->SetVisible(false);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        const int border = area.BorderPixels();
        painter.translate(-border, -border);
        area.Paint(painter);
    }
    if (stripShown) game_.FrameMessageBox->SetVisible(true);
    return image;
}

}  // namespace storyloom
