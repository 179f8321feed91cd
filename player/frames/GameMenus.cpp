// Which menu items the game window shows, and the commands the game logic carries out.
#include "core/Program.h"
#include "frames/Game.h"
#include "platform/dialogs/Dialogs.h"

namespace storyloom {

void Game::ShowMenus() {
    const ProjectInfo& info = program.info;
    if (info.NeverShowMenus) return;
    menus.ExitVisible = true;
    menus.SaveGameVisible = !info.DisableSaveGame;
    menus.LoadGameVisible = !info.DisableLoadGame;
    if (info.NoEffectsOption && info.NoTransitionsOption) {
        menus.OptionsVisible = false;
    } else {
        menus.OptionsVisible = true;
        menus.DisableTransitionsVisible = !info.NoTransitionsOption;
        menus.DisableEffectsVisible = !info.NoEffectsOption;
    }
    menus.DebugVisible = false;
    SubmenuOpened = false;
}

void Game::HideMenus() {
    if (!program.info.RunInWindow && !program.StopRequested) {
        menus.ExitVisible = false;
        menus.SaveGameVisible = false;
        menus.LoadGameVisible = false;
        menus.OptionsVisible = false;
        menus.DebugVisible = false;
    }
    SubmenuOpened = false;
}

void Game::mnuExit_Click() {
    MessageBoxRequest box;
    box.text = program.Messages(10);
    box.title = program.info.GameName;
    box.icon = BoxIcon::Question;
    box.buttons = BoxButtons::YesNo;
    if (program.platform.dialogs.MessageBox(box) == BoxResult::Yes) StartUnloading();
}

void Game::mnuLoadGame_Click() {
    services.savedGames->ShowLoadGameWindow(false);
}
void Game::mnuSaveGame_Click() {
    services.savedGames->ShowSaveGameWindow();
}

void Game::mnuOptions_Click() {
    if (!program.info.RunInWindow) SubmenuOpened = true;
}

void Game::mnuDebug_Click() {
    if (!program.info.RunInWindow) SubmenuOpened = true;
}

void Game::mnuCancel_Click() {
    HideMenus();
}

void Game::mnuDisableTransitions_Click() {
    services.transitions->EnableOrDisableTransitions();
}
void Game::mnuDisableEffects_Click() {
    services.ripple->EnableOrDisableEffects();
}

void Game::mnuFrameName_Click(int Index) {
    if (Index < 0 || Index >= menus.FrameNames.size()) return;
    OpenFrame(menus.FrameNames.at(Index), false, 0, 0);
}

bool Game::RunMenuCommand(const QString& caption) {
    auto norm = [](QString s) {
        s.remove(QLatin1Char('&'));
        s.remove(QStringLiteral("..."));
        return s.trimmed().toLower();
    };
    const QString want = norm(caption);
    if (menus.ExitVisible && want == norm(menus.ExitCaption)) {
        mnuExit_Click();
        return true;
    }
    if (menus.LoadGameVisible && want == norm(menus.LoadGameCaption)) {
        mnuLoadGame_Click();
        return true;
    }
    if (menus.SaveGameVisible && want == norm(menus.SaveGameCaption)) {
        mnuSaveGame_Click();
        return true;
    }
    if (menus.OptionsVisible && want == norm(menus.OptionsCaption)) {
        mnuOptions_Click();
        return true;
    }
    if (menus.OptionsVisible && menus.DisableTransitionsVisible &&
        want == norm(menus.DisableTransitionsCaption)) {
        mnuDisableTransitions_Click();
        return true;
    }
    if (menus.OptionsVisible && menus.DisableEffectsVisible &&
        want == norm(menus.DisableEffectsCaption)) {
        mnuDisableEffects_Click();
        return true;
    }
    if (menus.DebugVisible) {
        if (want == u"debug") {
            mnuDebug_Click();
            return true;
        }
        if (want == u"cancel") {
            mnuCancel_Click();
            return true;
        }
        for (int i = 0; i < menus.FrameNames.size(); ++i)
            if (want == norm(menus.FrameNames.at(i))) {
                mnuFrameName_Click(i);
                return true;
            }
    }
    return false;
}

}  // namespace storyloom
