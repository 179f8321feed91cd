// The game window's input: clicks on hotspots and beside them, pointer moves, keys, the click
// position kept for scripts, and the mouse-pointer rules.
#include <cmath>

#include "core/Program.h"
#include "frames/Game.h"
#include "platform/forms/Renderer.h"

namespace storyloom {

void Game::WireInput() {
    auto asButton = [](int button) { return static_cast<MouseButton>(button); };
    Area->Template()->onMouseDown = [this, asButton](forms::Control& c, int button, int shift,
                                                     double x, double y) {
        Area_MouseDown(c.Index(), asButton(button), shift, x, y);
    };
    BackImage->onMouseDown = [this, asButton](forms::Control&, int button, int, double, double) {
        BackImage_MouseDown(asButton(button));
    };
    // The picture area itself shows where the background does not reach: the same as a click
    // on the background.
    PictureBox->onMouseDown = BackImage->onMouseDown;
    Text->Template()->onMouseDown = [this, asButton](forms::Control&, int button, int, double,
                                                     double) { Text_MouseDown(asButton(button)); };
    window.onMouseDown = [this, asButton](forms::Control&, int button, int, double, double) {
        Form_MouseDown(asButton(button));
    };
    auto over = [this](forms::Control&, int, int, double, double) { PointerOverFrame(); };
    BackImage->onMouseMove = over;
    PictureBox->onMouseMove = over;
    Area->Template()->onMouseMove = over;
    Text->Template()->onMouseMove = over;
    FrameMessageBox->onMouseMove = over;
    LabelMessageBox->onMouseMove = over;
    auto dragOver = [this](forms::Control&, forms::Control&, double, double, forms::DragOverState) {
        services.inventory->HideInventoryIfItem();
    };
    BackImage->onDragOver = dragOver;
    Area->Template()->onDragOver = dragOver;
    Text->Template()->onDragOver = dragOver;
    FrameMessageBox->onDragOver = dragOver;
    LabelMessageBox->onDragOver = dragOver;
    Area->Template()->onDragDrop = [this](forms::Control& c, forms::Control& source, double x,
                                          double y) {
        Area_DragDrop(c.Index(), source.Name(), x, y);
    };
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
    const QPoint at = PictureBox->WindowPixelRect().topLeft() + QPoint(x, y);
    window.MouseDown(at, static_cast<int>(button), shift);
    if (!closed_) window.MouseUp(at, static_cast<int>(button), shift);
}

void Game::MouseMoveAt(int x, int y) {
    if (!windowEnabled_ || closed_) return;
    window.MouseMove(PictureBox->WindowPixelRect().topLeft() + QPoint(x, y), 0, 0);
}

int Game::HotspotAt(int x, int y) const {
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

void Game::Area_MouseDown(int Index, MouseButton Button, int Shift, double X, double Y) {
    (void)Shift;
    const forms::Image* area = Area->Find(Index);
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
    LastClickX = toPixels(sglLeft);
    LastClickY = toPixels(sglTop);
}

// The right button toggles the menu bar (unless a submenu was just opened).
static void RightButtonMenus(Game& game) {
    if (!game.menus.ExitVisible)
        game.ShowMenus();
    else if (!game.SubmenuOpened)
        game.HideMenus();
}

void Game::AreaClick(int AreaIndex, MouseButton Button) {
    if (program.StopRequested) return;
    StopMovie = true;
    program.InterruptTransition = true;
    if (IsOneTimeVideoPlaying() || program.MoviePlaying || services.inventory->InventoryMoving())
        return;
    if (Button == MouseButton::Right) {
        RightButtonMenus(*this);
        return;
    }
    if (SubmenuOpened) {
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
    game.StopMovie = true;
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
    const forms::Image* area = Area->Find(Index);
    if (!area) return;
    SaveClickPos(area->Left() + X, area->Top() + Y);
    MakeActionAndConsequences(Index, services.inventory->DraggedItemIndex(), false);
}

void Game::Form_Activate() {
    // Switching the control panel on and off again makes each player redraw.
    for (size_t i = 1; i < MPlayer.size(); ++i) {
        MPlayer[i]->SetShowControls(true);
        MPlayer[i]->SetShowControls(false);
    }
    for (auto* players : {&CustomMediaPlayer, &videoPlayers_})
        for (auto& [index, placed] : *players) {
            if (!placed.player) continue;
            placed.player->SetShowControls(true);
            placed.player->SetShowControls(false);
        }
}

// ---- Keys -----------------------------------------------------------------------------------

void Game::Form_KeyDown(int KeyCode, int Shift) {
    if (closed_) return;
    if (KeyCode == kKeyEscape) {
        if (!IsOneTimeVideoPlaying() && !program.TransitionInProgress) {
            if (menus.ExitVisible)
                HideMenus();
            else
                ShowMenus();
        }
        StopMovie = true;
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
    if (DebugKeyState >= 0 && DebugKeyState < 4 &&
        KeyCode == kDebugSequence[static_cast<size_t>(DebugKeyState)]) {
        ++DebugKeyState;
        if (DebugKeyState == 4) {
            DebugKeyState = 0;
            menus.DebugVisible = true;
            SyncWindowMenus();
        }
    } else {
        DebugKeyState = 0;
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

void Game::SetControlDefaultPointer(forms::Control& control) {
    try {
        if (IsDefaultCursor()) {
            control.SetPointer(forms::MousePointer::Default);
            control.SetMouseIcon(forms::Picture());
        } else {
            control.SetMouseIcon(
                LoadPicture(program.paths.IconsPath + program.info.DefaultCursorFile));
            control.SetPointer(forms::MousePointer::Custom);
        }
    } catch (const std::exception&) {
    }
}

void Game::SetControlPointerFile(forms::Control& control, const QString& pointerFile) {
    if (pointerFile.isEmpty() ||
        pointerFile.compare(QStringLiteral("default"), Qt::CaseInsensitive) == 0) {
        SetControlDefaultPointer(control);
        return;
    }
    control.SetMouseIcon(LoadPicture(program.paths.IconsPath + pointerFile));
    control.SetPointer(forms::MousePointer::Custom);
}

void Game::SetScreenPointerArrow() {
    if (IsDefaultCursor()) {
        screen_.Set(forms::MousePointer::Arrow);
        return;
    }
    forms::Picture icon;
    try {
        icon = LoadPicture(program.paths.IconsPath + program.info.DefaultCursorFile);
    } catch (const std::exception&) {
    }
    screen_.Set(forms::MousePointer::Custom, icon);
}

void Game::SetScreenPointerDefault() {
    screen_.Set(forms::MousePointer::Default);
}

void Game::ResetDefaultPointer() {
    SetControlDefaultPointer(*PictureBox);
    SetControlDefaultPointer(*BackImage);
    for (int i : Area->Indices()) SetControlDefaultPointer(*Area->Item(i));
    for (int i : Text->Indices()) SetControlDefaultPointer(*Text->Item(i));
    SetControlDefaultPointer(*FrameMessageBox);
    SetControlDefaultPointer(*LabelMessageBox);
    SetControlDefaultPointer(window);
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
