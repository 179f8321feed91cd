#include "game/discs/RunFromDisc.h"

#include <QDir>

#include "core/Program.h"
#include "game/Game.h"
#include "game/ModalWindow.h"
#include "game/PushButton.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/display/Display.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/Color.h"
#include "platform/forms/WindowHost.h"

namespace storyloom {

namespace {

// Window layout, in pixels.
constexpr int kWindowWidth = 420;
constexpr int kWindowHeight = 224;
constexpr int kMargin = 12;
constexpr int kButtonWidth = kPushButtonWidth;
constexpr int kButtonHeight = kPushButtonHeight;

forms::Label* AddText(forms::Window& w, const QString& name, const QString& caption, int top,
                      int height) {
    auto* l = w.Add<forms::Label>(name);
    l->SetBackStyle(0);
    l->SetWordWrap(true);
    l->SetCaption(caption);
    l->Move(kMargin * 15.0, top * 15.0, (kWindowWidth - 2 * kMargin) * 15.0, height * 15.0);
    l->SetVisible(true);
    return l;
}

}  // namespace

// ---- The window -----------------------------------------------------------------------------

RunFromDiscWindow::RunFromDiscWindow(Program& program, const QStringList& media,
                                     const QString& folder, int disc)
    : window(QStringLiteral("frmRunFromCD")), program_(program) {
    window.SetScaleMode(1);
    window.SetBackColor(forms::Rgb(212, 208, 200));
    window.SetCaption(program.info.GameName);
    const Display& display = program.platform.display;
    window.SetPixelRect(QRect((display.ScreenWidth() - kWindowWidth) / 2,
                              (display.ScreenHeight() - kWindowHeight) / 2, kWindowWidth,
                              kWindowHeight));

    lblDrive = AddText(window, QStringLiteral("lblDrive"), program.Messages(37), 10, 18);
    const int listWidth = kWindowWidth - 3 * kMargin - kButtonWidth;
    lstDrives = window.Add<forms::ListBox>(QStringLiteral("Combo1"));
    lstDrives->Move(kMargin * 15.0, 32 * 15.0, listWidth * 15.0, 70 * 15.0);
    for (const QString& m : media) lstDrives->AddItem(m);
    if (!folder.isEmpty() && !media.contains(folder)) lstDrives->AddItem(folder);
    lstDrives->SetVisible(true);
    cmdBrowse = AddPushButton(window, QStringLiteral("cmdBrowse"), QStringLiteral("Browse..."),
                              kWindowWidth - kMargin - kButtonWidth, 32);
    txtFolder = window.Add<forms::TextBox>(QStringLiteral("txtFolder"));
    txtFolder->Move(kMargin * 15.0, 108 * 15.0, (kWindowWidth - 2 * kMargin) * 15.0, 22 * 15.0);
    txtFolder->SetText(folder);
    txtFolder->SetVisible(true);
    lblMessage = AddText(window, QStringLiteral("lblMessage"),
                         program.Messages(47) + QString::number(disc) + u' ' + program.Messages(48),
                         138, 36);
    const int buttonTop = kWindowHeight - kMargin - kButtonHeight;
    cmdOk = AddPushButton(window, QStringLiteral("cmdOK"), QStringLiteral("OK"),
                          kWindowWidth - 2 * (kMargin + kButtonWidth), buttonTop);
    cmdCancel = AddPushButton(window, QStringLiteral("cmdCancel"), program.Messages(11),
                              kWindowWidth - kMargin - kButtonWidth, buttonTop);

    lstDrives->onClick = [this](forms::Control&) {
        if (!lstDrives->Text().isEmpty()) txtFolder->SetText(lstDrives->Text());
    };
    lstDrives->onDblClick = [this](forms::Control& c) {
        lstDrives->onClick(c);
        Ok();
    };
    cmdBrowse->onClick = [this](forms::Control&) { Browse(); };
    cmdOk->onClick = [this](forms::Control&) { Ok(); };
    cmdCancel->onClick = [this](forms::Control&) { Cancel(); };
    // Closing the window is cancelling it.
    window.onUnload = [this](int&) { Cancel(); };
    window.SetFocusedControl(txtFolder);
}

void RunFromDiscWindow::Press(forms::Label* button) {
    if (button && button->Enabled() && window.Enabled() && button->onClick)
        button->onClick(*button);
}

void RunFromDiscWindow::Ok() {
    const FileSystem& fs = program_.platform.files;
    const QString folder = txtFolder->Text().trimmed();
    if (!folder.isEmpty() && QDir::isAbsolutePath(folder) && fs.IsDirectory(folder)) {
        program_.SaveUserSetting(UserKeys::kDriveLetter, QDir::cleanPath(fs.NativePath(folder)));
        Hide();
        return;
    }
    program_.platform.dialogs.Show(BoxIcon::Exclamation, program_.info.GameName,
                                   program_.Messages(38));
}

void RunFromDiscWindow::Browse() {
    const std::optional<QString> chosen =
        program_.platform.dialogs.ChooseFolder(program_.Messages(37), txtFolder->Text());
    if (chosen && !chosen->isEmpty()) txtFolder->SetText(*chosen);
}

void RunFromDiscWindow::Cancel() {
    if (!shown_) return;
    cancelled_ = true;
    program_.StopRequested = true;
    Hide();
}

void RunFromDiscWindow::Hide() {
    if (!shown_) return;
    shown_ = false;
    window.SetVisible(false);
    program_.platform.windows.Hide(window);
}

// ---- The game's side ------------------------------------------------------------------------

RunFromDisc::RunFromDisc(Program& program) : program_(program) {}

Game* RunFromDisc::RunningGame() const {
    Game* game = currentGame ? currentGame() : nullptr;
    return game && !game->Closed() ? game : nullptr;
}

PausedActivity RunFromDisc::PauseGame() {
    PausedActivity paused;
    Game* game = RunningGame();
    if (!game) return paused;
    paused.frameTimer = game->FrameTimerEnabled();
    paused.messageTimer = game->MessageTimerEnabled();
    game->state.StopMovie = true;
    game->SetFrameTimerEnabled(false);
    game->SetMessageTimerEnabled(false);
    game->PauseTimedEvents();
    game->services.video->StopOneTimeVideoPlayer();
    return paused;
}

void RunFromDisc::ResumeGame(const PausedActivity& paused) {
    Game* game = RunningGame();
    if (!game) return;
    game->SetFrameTimerEnabled(paused.frameTimer);
    game->SetMessageTimerEnabled(paused.messageTimer);
    game->StartTimedEvents();
}

void RunFromDisc::StopGame() {
    program_.StopRequested = true;
    Game* game = RunningGame();
    if (!game) return;
    game->PictureBox->SetVisible(false);
    PauseGame();
    program_.InterruptTransition = true;
    game->StopAnyWavOrMP3();
    for (int i = 1; i <= 7; ++i) game->Player(i).Stop();
    game->ShowMenus();
    // The game cannot go on without the disc: it ends the orderly way.
    game->StartUnloading();
}

void RunFromDisc::AskForDisc(const QString& folder, int disc) {
    RunFromDiscWindow w(program_, program_.platform.files.RemovableMedia(), folder, disc);
    w.shown_ = true;
    open_ = &w;
    ShowAndWait(program_, w.window, w.shown_,
                runModal ? std::function<void()>([&] { runModal(w); }) : nullptr);
    // Whatever the driver left open is cancelled.
    w.Cancel();
    open_ = nullptr;
    program_.platform.windows.Forget(w.window);
}

}  // namespace storyloom
