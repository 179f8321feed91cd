// Which menu items the game window shows, and the commands the game logic carries out.
#include <optional>

#include "core/BasicConvert.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
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
    state.SubmenuOpened = false;
    SyncWindowMenus();
}

void Game::HideMenus() {
    if (!program.info.RunInWindow && !program.StopRequested) {
        menus.ExitVisible = false;
        menus.SaveGameVisible = false;
        menus.LoadGameVisible = false;
        menus.OptionsVisible = false;
        menus.DebugVisible = false;
    }
    state.SubmenuOpened = false;
    SyncWindowMenus();
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
    if (!program.info.RunInWindow) state.SubmenuOpened = true;
}

void Game::mnuDebug_Click() {
    if (!program.info.RunInWindow) state.SubmenuOpened = true;
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

namespace storyloom {

void Game::mnuExecuteVBScript_Click() {
    InputBoxRequest box;
    box.title = QStringLiteral("Execute VBScript Code (for advanced users)");
    box.prompt =
        QStringLiteral("Enter the VBScript code that you want to execute and then click OK.") +
        kCrLf + kCrLf +
        QStringLiteral(
            "For example, to retrieve the value of a variable, use the following code:") +
        kCrLf + kCrLf + QStringLiteral("                MsgBox VARIABLE_NAME") + kCrLf + kCrLf;
    box.defaultText = program.GetUserSetting(UserKeys::kExecuteVBScriptCode, QString());
    const std::optional<QString> text = program.platform.dialogs.InputBox(box);
    if (!text || text->isEmpty()) return;
    ExecuteVBScriptAndConsequences(*text, true);
    program.SaveUserSetting(UserKeys::kExecuteVBScriptCode, *text);
}

void Game::mnuEditProcedures_Click() {
    program.platform.dialogs.Show(
        BoxIcon::Information, QStringLiteral("Not Available"),
        QStringLiteral("This command is not available in the compiled version of the project."));
}

void Game::mnuViewVariables_Click() {
    try {
        const QChar q(u'"');
        QStringList lines;
        lines << QStringLiteral(
                     "This window allows you to view the value of all the project variables. To "
                     "create a new project variable, click ") +
                     q + QStringLiteral("Project Variables...") + q +
                     QStringLiteral(
                         " from the frame editor menu. To manually change the value of a "
                         "variable, click ") +
                     q + QStringLiteral("Execute VBS code...") + q +
                     QStringLiteral(" from the Debug menu, and then enter: ") + q +
                     QStringLiteral("VARIABLE_NAME = NEW_VALUE") + q +
                     QStringLiteral(" (without the quotes).");
        lines << QString() << QString();
        lines << QStringLiteral(
            "-------------------------- INTEGER VARIABLES: --------------------------            "
            " ");
        lines << QString();
        for (const auto& v : state.vars.Variables)
            lines << v->Name + QStringLiteral(" = ") + QString::number(v->Value);
        lines << QString();
        lines << QStringLiteral(
            "-------------------------- VARIANT VARIABLES: --------------------------            "
            " ");
        lines << QString();
        for (const auto& v : state.vars.VariablesVariant)
            lines << v->Name + QStringLiteral(" = ") + CStr(v->Value);
        // Boxes of 25 lines; each box after a full one starts with a line of 52 blanks.
        QString box;
        int inBox = 0;
        for (const QString& line : lines) {
            box += line + kCrLf;
            if (++inBox == 25) {
                program.platform.dialogs.Show(BoxIcon::Information,
                                              QStringLiteral("Variables Status"), box);
                box = QString(52, u' ') + kCrLf;
                inBox = 0;
            }
        }
        program.platform.dialogs.Show(BoxIcon::Information, QStringLiteral("Variables Status"),
                                      box + kCrLf);
    } catch (const std::exception& e) {
        program.platform.dialogs.Show(
            BoxIcon::Exclamation, QStringLiteral("Error"),
            QStringLiteral("Error displaying variables status. ") + ErrorDescription(e));
    }
}

void Game::BuildWindowMenus() {
    forms::MenuItem& bar = window.Menus();
    auto add = [](forms::MenuItem& parent, const QString& name, const QString& caption,
                  std::function<void()> click) {
        forms::MenuItem* item = parent.Add(name, caption);
        item->onClick = std::move(click);
        return item;
    };
    add(bar, QStringLiteral("mnuExit"), menus.ExitCaption, [this] { mnuExit_Click(); });
    add(bar, QStringLiteral("mnuLoadGame"), menus.LoadGameCaption, [this] { mnuLoadGame_Click(); });
    add(bar, QStringLiteral("mnuSaveGame"), menus.SaveGameCaption, [this] { mnuSaveGame_Click(); });
    forms::MenuItem* options = add(bar, QStringLiteral("mnuOptions"), menus.OptionsCaption,
                                   [this] { mnuOptions_Click(); });
    add(*options, QStringLiteral("mnuDisableTransitions"), menus.DisableTransitionsCaption,
        [this] { mnuDisableTransitions_Click(); });
    add(*options, QStringLiteral("mnuDisableEffects"), menus.DisableEffectsCaption,
        [this] { mnuDisableEffects_Click(); });
    forms::MenuItem* debug =
        add(bar, QStringLiteral("mnuDebug"), QStringLiteral("Debug"), [this] { mnuDebug_Click(); });
    add(*debug, QStringLiteral("mnuGoToFrame"), QStringLiteral("Go to another frame"), {});
    add(*debug, QStringLiteral("mnuCancel"), QStringLiteral("Cancel"),
        [this] { mnuCancel_Click(); });
    add(*debug, QStringLiteral("mnuExecuteVBScript"), QStringLiteral("Execute VBS code..."),
        [this] { mnuExecuteVBScript_Click(); });
    add(*debug, QStringLiteral("mnuEditProcedures"), QStringLiteral("Edit VBS Procedures..."),
        [this] { mnuEditProcedures_Click(); });
    add(*debug, QStringLiteral("mnuViewVariables"), QStringLiteral("View variables status..."),
        [this] { mnuViewVariables_Click(); });
    SyncWindowMenus();
}

void Game::RebuildFrameMenu() {
    forms::MenuItem* goTo = window.FindMenu(QStringLiteral("mnuGoToFrame"));
    if (!goTo) return;
    goTo->items.clear();
    for (int i = 0; i < menus.FrameNames.size(); ++i) {
        forms::MenuItem* item = goTo->Add(QStringLiteral("mnuFrameName"), menus.FrameNames.at(i));
        item->onClick = [this, i] { mnuFrameName_Click(i); };
    }
    window.MenusChanged();
}

void Game::SyncWindowMenus() {
    bool changed = false;
    auto set = [this, &changed](const char* name, bool visible, bool checked = false) {
        if (forms::MenuItem* item = window.FindMenu(QString::fromLatin1(name))) {
            changed = changed || item->visible != visible || item->checked != checked;
            item->visible = visible;
            item->checked = checked;
        }
    };
    set("mnuExit", menus.ExitVisible);
    set("mnuLoadGame", menus.LoadGameVisible);
    set("mnuSaveGame", menus.SaveGameVisible);
    set("mnuOptions", menus.OptionsVisible);
    set("mnuDisableTransitions", menus.DisableTransitionsVisible, menus.DisableTransitionsChecked);
    set("mnuDisableEffects", menus.DisableEffectsVisible, menus.DisableEffectsChecked);
    set("mnuDebug", menus.DebugVisible);
    // The shell rebuilds its menu bar on every notice; the video wait hides the menus often.
    if (changed) window.MenusChanged();
}

}  // namespace storyloom
