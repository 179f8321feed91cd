// A game that has not begun: every variable 0, no item, no hidden hotspot, no visited frame,
// nothing running; then the first frame.
#include <algorithm>

#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/files/FileSystem.h"
#include "project/Procedures.h"
#include "project/ProjectFolder.h"
#include "project/ProjectInformation.h"
#include "project/VariablesFile.h"

namespace storyloom {

void Game::ResetAll() {
    Program& p = program;
    try {
        // 1: timers and what runs on them.
        timer1_.SetEnabled(false);
        timer1_.SetInterval(0);
        services.ripple->DisableTimer();
        ResetTimedEvents();
        services.dialogues->CloseDialogue();

        // 2-3: variables, components, hidden hotspots, items, history.
        for (int i = state.vars.Variables.Count(); i >= 1; --i) state.vars.Variables.Remove(i);
        for (int i = state.vars.VariablesVariant.Count(); i >= 1; --i)
            state.vars.VariablesVariant.Remove(i);
        services.components->ResetComponents();
        state.vars.Disappear.Clear();
        services.inventory->ClearItems();
        state.History.Clear();

        // 4: colours and the once-only flags.
        window.SetBackColor(forms::Rgb(0, 0, 0));
        PictureBox->SetBackColor(forms::Rgb(0, 0, 0));
        services.sound->ClearAudioProblemShown();
        services.transitions->ClearAlphaBlendErrorFlag();
        state.frame.ControlsReferencePolicy = 0;

        // 5: nothing plays, nothing stops.
        services.video->StopOneTimeVideoPlayer();
        state.StopMovie = true;
        p.InterruptTransition = true;
        services.ripple->SwitchOff();
        state.frame.RippleEffectActive = false;
        p.StopRequested = false;

        // 6: layout, the message strip, pointers.
        CenterWindowAndPictureBox();
        // The click catcher covers the whole picture, so every click beside a hotspot reaches it.
        scene->BackImage->Move(0, 0, p.info.ProjectWidth * 15.0, p.info.ProjectHeight * 15.0);
        scene->BackImage->SetVisible(true);
        scene->BackImage->ZOrder(1);
        LabelMessageBox->SetAutoSize(true);
        LabelMessageBox->SetVisible(false);
        FrameMessageBox->SetVisible(false);
        ResetDefaultPointer();

        // 7: the inventory.
        services.inventory->BuildInventory();

        // 8: the debug menu's frames, in the order the folder lists them.
        menus.FrameNames.clear();
        for (const QString& file : ListFiles(p, p.paths.FramesPath, QStringLiteral("*.fme")))
            if (file.size() > 4) menus.FrameNames << file.left(file.size() - 4);
        RebuildFrameMenu();

        // 9: plug-ins, variables, procedures, the second script engine, component events.
        services.plugins->LoadPlugins();
        std::vector<DeclaredVariables> declared(1);
        declared[0].integerNames = services.plugins->IntegerVariables();
        declared[0].variantNames = services.plugins->VariantVariables();
        LoadVariables(p, state.vars, declared);
        state.ProceduresText = LoadProcedures(p);
        scripts.AddCodeToScriptControl(QString());
        services.components->BuildAllEventsList();

        // 10: the player's own choices for this game.
        auto setting = [&p](const QString& key) {
            const QString value = p.GetUserSetting(key, QStringLiteral("False"));
            return value.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0 ||
                   value == u"1" || value == u"-1";
        };
        menus.DisableTransitionsChecked = setting(UserKeys::kDisableTransitions);
        menus.DisableEffectsChecked = setting(UserKeys::kDisableEffects);
        SyncWindowMenus();

        // 11-12: sound channels back on their own players; the script time-out.
        ResetSoundChannels();
        const double timeout = ScriptTimeOutSeconds(p);
        if (timeout != 0)
            scripts.SetMainTimeout(
                static_cast<int>(std::clamp(timeout * 1000, -2147483647.0, 2147483647.0)));
    } catch (const std::exception& e) {
        p.ShowErrorBox(QStringLiteral(" Unable to initialize the program. "), ErrorDescription(e));
    }
}

void Game::StartNewGame() {
    state.frame.CurrentFrameName = program.info.InitialFrameName;
    scripts.ExecuteOnLoadVBScript();
    OpenFrame(state.frame.CurrentFrameName, false, 0, 0);
}

}  // namespace storyloom
