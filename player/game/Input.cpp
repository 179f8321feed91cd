// The game window's input: clicks on hotspots and beside them, pointer moves, keys, the click
// position kept for scripts, and the mouse-pointer rules.
#include <cmath>

#include "core/Program.h"
#include "game/Game.h"
#include "platform/forms/Renderer.h"
#include "platform/forms/controls/AnimatedGif.h"

namespace storyloom {

void Game::WireInput() {
    auto asButton = [](int button) { return static_cast<MouseButton>(button); };
    scene->Area->Template()->onMouseDown = [this, asButton](forms::Control& c, int button,
                                                            int shift, double x, double y) {
        Area_MouseDown(c.Index(), asButton(button), shift, x, y);
    };
    scene->BackImage->onMouseDown = [this, asButton](forms::Control&, int button, int, double,
                                                     double) {
        BackImage_MouseDown(asButton(button));
    };
    // The picture area itself shows where the background does not reach: the same as a click
    // on the background.
    PictureBox->onMouseDown = scene->BackImage->onMouseDown;
    scene->Text->Template()->onMouseDown = [this, asButton](forms::Control&, int button, int,
                                                            double, double) {
        Text_MouseDown(asButton(button));
    };
    window.onMouseDown = [this, asButton](forms::Control&, int button, int, double, double) {
        Form_MouseDown(asButton(button));
    };
    auto over = [this](forms::Control&, int, int, double, double) { PointerOverFrame(); };
    scene->BackImage->onMouseMove = over;
    PictureBox->onMouseMove = over;
    scene->Area->Template()->onMouseMove = over;
    scene->Text->Template()->onMouseMove = over;
    FrameMessageBox->onMouseMove = over;
    LabelMessageBox->onMouseMove = over;
    auto dragOver = [this](forms::Control&, forms::Control& source, double, double,
                           forms::DragOverState) {
        if (source.Name().compare(QStringLiteral("pickedobject"), Qt::CaseInsensitive) == 0)
            services.inventory->HideInventoryIfItem();
    };
    scene->BackImage->onDragOver = dragOver;
    scene->Area->Template()->onDragOver = dragOver;
    scene->Text->Template()->onDragOver = dragOver;
    FrameMessageBox->onDragOver = dragOver;
    LabelMessageBox->onDragOver = dragOver;
    scene->Area->Template()->onDragDrop = [this](forms::Control& c, forms::Control& source,
                                                 double x, double y) {
        Area_DragDrop(c.Index(), source.Name(), x, y);
    };
    // The animated pictures: each player fills its container, so both take the same events.
    auto* canvases = services.animated->Canvases();
    auto* players = services.animated->Players();
    if (canvases && players) {
        for (forms::Control* t : {static_cast<forms::Control*>(canvases->Template()),
                                  static_cast<forms::Control*>(players->Template())}) {
            t->onMouseDown = [this, asButton](forms::Control& c, int button, int, double x,
                                              double y) {
                AniGifBox_MouseDown(c.Index(), asButton(button), x, y);
            };
            t->onMouseMove = over;
            t->onDragOver = dragOver;
            t->onDragDrop = [this](forms::Control& c, forms::Control& source, double x, double y) {
                AniGif_DragDrop(c.Index(), source.Name(), x, y);
            };
        }
    }
    window.onActivate = [this] { Form_Activate(); };
    // Clicking the message strip hides it.
    FrameMessageBox->onMouseDown = [this](forms::Control&, int, int, double, double) {
        HideTextMessage();
    };
    LabelMessageBox->onMouseDown = FrameMessageBox->onMouseDown;
    window.onKeyDown = [this](int keyCode, int shift) { Form_KeyDown(keyCode, shift); };
    window.SetKeyPreview(true);
}

// ---- Clicks ---------------------------------------------------------------------------------

void Game::MouseDownAt(int x, int y, MouseButton button, int shift) {
    if (!windowEnabled_ || closed_) return;
    PressAt(x, y, button, shift);
    ReleaseAt(x, y, button, shift);
}

void Game::PressAt(int x, int y, MouseButton button, int shift) {
    if (!windowEnabled_ || closed_) return;
    window.MouseDown(PictureBox->WindowPixelRect().topLeft() + QPoint(x, y),
                     static_cast<int>(button), shift);
}

void Game::ReleaseAt(int x, int y, MouseButton button, int shift) {
    if (closed_) return;
    window.MouseUp(PictureBox->WindowPixelRect().topLeft() + QPoint(x, y), static_cast<int>(button),
                   shift);
}

void Game::MouseMoveAt(int x, int y) {
    if (!windowEnabled_ || closed_) return;
    window.MouseMove(PictureBox->WindowPixelRect().topLeft() + QPoint(x, y), 0, 0);
}

void Game::Area_MouseDown(int Index, MouseButton Button, int Shift, double X, double Y) {
    (void)Shift;
    const forms::Image* area = scene->Area->Find(Index);
    if (!area) return;
    SaveClickPos(area->Left() + X, area->Top() + Y);
    AreaClick(Index, Button);
    if (closed_) return;
    Pause(0.1, false);
    if (!closed_) window.SetPointer(forms::MousePointer::Default);
}

void Game::SaveClickPos(double sglLeft, double sglTop) {
    auto toPixels = [](double twips) {
        const double v = std::nearbyint(twips / 15.0);
        return static_cast<qint16>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
    };
    state.LastClickX = toPixels(sglLeft);
    state.LastClickY = toPixels(sglTop);
}

// The right button toggles the menu bar (unless a submenu was just opened).
static void RightButtonMenus(Game& game) {
    if (!game.menus.ExitVisible)
        game.ShowMenus();
    else if (!game.state.SubmenuOpened)
        game.HideMenus();
}

void Game::AreaClick(int AreaIndex, MouseButton Button) {
    if (program.StopRequested) return;
    state.StopMovie = true;
    program.InterruptTransition = true;
    if (IsOneTimeVideoPlaying() || program.MoviePlaying || services.inventory->InventoryMoving())
        return;
    if (Button == MouseButton::Right) {
        RightButtonMenus(*this);
        return;
    }
    if (state.SubmenuOpened) {
        HideMenus();
        return;
    }
    HideMenus();
    services.inventory->PickOrNotPickObject(AreaIndex);
    services.sound->FadeChannels(1);
    MakeActionAndConsequences(AreaIndex, 0, false);
    services.video->StopOneTimeVideoPlayer();
}

// A click beside the hotspots.
static void ClickBeside(Game& game, MouseButton button) {
    game.state.StopMovie = true;
    game.program.InterruptTransition = true;
    if (game.IsOneTimeVideoPlaying()) return;
    if (button == MouseButton::Right)
        RightButtonMenus(game);
    else
        game.HideMenus();
}

void Game::BackImage_MouseDown(MouseButton Button) {
    ClickBeside(*this, Button);
}
void Game::Text_MouseDown(MouseButton Button) {
    ClickBeside(*this, Button);
}
void Game::Form_MouseDown(MouseButton Button) {
    ClickBeside(*this, Button);
}

void Game::picWhere_MouseDown(MouseButton Button) {
    if (Button == MouseButton::Right) RightButtonMenus(*this);
}

void Game::PointerOverFrame() {
    services.inventory->PointerOverFrame();
}

void Game::Area_DragDrop(int Index, const QString& sourceName, double X, double Y) {
    if (sourceName.compare(QStringLiteral("pickedobject"), Qt::CaseInsensitive) != 0) return;
    const forms::Image* area = scene->Area->Find(Index);
    if (!area) return;
    SaveClickPos(area->Left() + X, area->Top() + Y);
    MakeActionAndConsequences(Index, services.inventory->DraggedItemIndex(), false);
}

void Game::AniGifBox_MouseDown(int Index, MouseButton Button, double X, double Y) {
    auto* canvases = services.animated->Canvases();
    const forms::Control* box = canvases ? canvases->Find(Index) : nullptr;
    if (!box || Index <= 0) return;
    SaveClickPos(box->Left() + X, box->Top() + Y);
    AreaClick(Index, Button);
}

void Game::AniGif_DragDrop(int Index, const QString& sourceName, double X, double Y) {
    if (sourceName.compare(QStringLiteral("pickedobject"), Qt::CaseInsensitive) != 0) return;
    auto* canvases = services.animated->Canvases();
    const forms::Control* box = canvases ? canvases->Find(Index) : nullptr;
    if (!box || Index <= 0) return;
    SaveClickPos(box->Left() + X, box->Top() + Y);
    MakeActionAndConsequences(Index, services.inventory->DraggedItemIndex(), false);
}

void Game::Form_Activate() {
    // Switching the control panel on and off again makes each player redraw.
    for (size_t i = 1; i < MPlayer.size(); ++i) {
        MPlayer[i]->SetShowControls(true);
        MPlayer[i]->SetShowControls(false);
    }
    for (auto* players : {&CustomMediaPlayer, &scene->VideoPlayers()})
        for (auto& [index, placed] : *players) {
            if (!placed.player) continue;
            placed.player->SetShowControls(true);
            placed.player->SetShowControls(false);
        }
}

// ---- Keys -----------------------------------------------------------------------------------

void Game::Form_KeyDown(int KeyCode, int Shift) {
    if (closed_) return;
    // Any key ends a running transition.
    if (program.TransitionInProgress) program.InterruptTransition = true;
    if (KeyCode == kKeyEscape) {
        if (!IsOneTimeVideoPlaying() && !program.TransitionInProgress) {
            if (menus.ExitVisible)
                HideMenus();
            else
                ShowMenus();
        }
        state.StopMovie = true;
        program.InterruptTransition = true;
    }
    if (!windowEnabled_) return;
    if (Shift == kCtrlMask) {
        if (KeyCode == 'L' && !program.info.DisableLoadGame)
            mnuLoadGame_Click();
        else if (KeyCode == 'S' && !program.info.DisableSaveGame)
            mnuSaveGame_Click();
        else if (KeyCode == 'Q')
            mnuExit_Click();
    }
    // The debug menu appears after four function keys pressed in order; any other key starts
    // the sequence over.
    if (state.DebugKeyState >= 0 && state.DebugKeyState < 4 &&
        KeyCode == kDebugSequence[static_cast<size_t>(state.DebugKeyState)]) {
        ++state.DebugKeyState;
        if (state.DebugKeyState == 4) {
            state.DebugKeyState = 0;
            menus.DebugVisible = true;
            SyncWindowMenus();
        }
    } else {
        state.DebugKeyState = 0;
    }
}

// ---- Waiting --------------------------------------------------------------------------------

void Game::Pause(double seconds, bool noEvents) {
    (void)noEvents;  // waiting on the event loop is the only way its clock moves
    const qint64 start = loop_.NowMs();
    const qint64 ms = static_cast<qint64>(seconds * 1000.0);
    while (loop_.NowMs() - start < ms && !program.StopRequested && !closed_)
        loop_.Wait(static_cast<int>(std::min<qint64>(10, ms - (loop_.NowMs() - start))));
}

bool Game::IsOneTimeVideoPlaying() const {
    return services.video->IsOneTimeVideoPlaying();
}

// ---- Pointers -------------------------------------------------------------------------------

void Game::SetScreenPointerArrow() {
    if (scene->IsDefaultCursor()) {
        screen_.Set(forms::MousePointer::Arrow);
        return;
    }
    forms::Picture icon;
    try {
        icon = scene->LoadPicture(program.paths.IconsPath + program.info.DefaultCursorFile);
    } catch (const std::exception&) {
    }
    screen_.Set(forms::MousePointer::Custom, icon);
}

void Game::SetScreenPointerDefault() {
    screen_.Set(forms::MousePointer::Default);
}

void Game::ResetDefaultPointer() {
    scene->SetControlDefaultPointer(*PictureBox);
    scene->SetControlDefaultPointer(*scene->BackImage);
    for (int i : scene->Area->Indices()) scene->SetControlDefaultPointer(*scene->Area->Item(i));
    for (int i : scene->Text->Indices()) scene->SetControlDefaultPointer(*scene->Text->Item(i));
    scene->SetControlDefaultPointer(*FrameMessageBox);
    scene->SetControlDefaultPointer(*LabelMessageBox);
    scene->SetControlDefaultPointer(window);
    screen_.Set(forms::MousePointer::Default);
}

// ---- Rendering ------------------------------------------------------------------------------

QImage Game::RenderFrame() const {
    const QImage screen = forms::Renderer::Compose(window);
    return screen.copy(PictureBox->WindowPixelRect());
}

QImage Game::RenderScreen() const {
    QImage screen(ScreenWidthPx, ScreenHeightPx, QImage::Format_RGB32);
    screen.fill(Qt::black);
    if (!window.Visible()) return screen;
    QPainter painter(&screen);
    painter.drawImage(window.PixelRect().topLeft(), forms::Renderer::Compose(window));
    return screen;
}

}  // namespace storyloom
