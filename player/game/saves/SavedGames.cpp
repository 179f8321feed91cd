#include "game/saves/SavedGames.h"

#include <QHash>
#include <algorithm>
#include <map>

#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "game/ModalWindow.h"
#include "game/PushButton.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/display/Display.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/Color.h"
#include "platform/forms/WindowHost.h"
#include "platform/loop/EventLoop.h"

namespace storyloom {

namespace {

const QString kLineBreak = QStringLiteral("\r\n");
const QString kRefusedList = QStringLiteral("\" \\ / : * ? < > | ,");

// Window layout, in pixels.
constexpr int kWindowWidth = 360;
constexpr int kWindowHeight = 300;

bool IsSavName(const QString& fileName) {
    return fileName.size() > 4 && fileName.endsWith(QStringLiteral(".sav"), Qt::CaseInsensitive);
}

QString SafeFolderName(const QString& title) {
    QString out;
    for (const QChar c : title) {
        const bool plain = c.isLetterOrNumber() || c == u' ' || c == u'-' || c == u'_' || c == u'.';
        out += plain ? c : QChar(u'_');
    }
    out = out.trimmed();
    if (out.isEmpty() || out == u"." || out == u"..") out = QStringLiteral("_");
    return out;
}

}  // namespace

// ---- The windows --------------------------------------------------------------------------------

SavedGameWindow::SavedGameWindow(Kind kind_, Program& program)
    : kind(kind_),
      window(kind_ == Kind::Save ? QStringLiteral("frmSaveGame") : QStringLiteral("frmLoadGame")) {
    const bool save = kind == Kind::Save;
    window.SetScaleMode(1);
    window.SetBackColor(forms::Rgb(212, 208, 200));
    window.SetCaption(program.Messages(save ? 21 : 17));
    const int screenW = program.platform.display.ScreenWidth();
    const int screenH = program.platform.display.ScreenHeight();
    window.SetPixelRect(QRect((screenW - kWindowWidth) / 2, (screenH - kWindowHeight) / 2,
                              kWindowWidth, kWindowHeight));

    lblPrompt = window.Add<forms::Label>(QStringLiteral("lblPrompt"));
    lblPrompt->SetBackStyle(0);
    lblPrompt->SetWordWrap(true);
    lblPrompt->SetCaption(program.Messages(save ? 23 : 18));
    lblPrompt->Move(12 * 15.0, 10 * 15.0, (kWindowWidth - 24) * 15.0, 32 * 15.0);
    lblPrompt->SetVisible(true);
    int listTop = 46;
    if (save) {
        txtName = window.Add<forms::TextBox>(QStringLiteral("txtName"));
        txtName->Move(12 * 15.0, 44 * 15.0, (kWindowWidth - 24) * 15.0, 22 * 15.0);
        txtName->SetVisible(true);
        listTop = 74;
    }
    lstGames = window.Add<forms::ListBox>(QStringLiteral("lstGames"));
    lstGames->Move(12 * 15.0, listTop * 15.0, 224 * 15.0, (kWindowHeight - listTop - 12) * 15.0);
    lstGames->SetVisible(true);
    const int buttonLeft = kWindowWidth - 12 - 96;
    cmdOk = AddPushButton(window, save ? QStringLiteral("cmdSave") : QStringLiteral("cmdLoad"),
                          program.Messages(save ? 25 : 19), buttonLeft, listTop);
    if (save)
        cmdRemove = AddPushButton(window, QStringLiteral("cmdRemove"), program.Messages(22),
                                  buttonLeft, listTop + 34);
    cmdCancel = AddPushButton(window, QStringLiteral("cmdCancel"), program.Messages(11), buttonLeft,
                              kWindowHeight - 12 - 26);
}

void SavedGameWindow::TypeName(const QString& name) {
    if (txtName) txtName->SetText(name);
}

bool SavedGameWindow::SelectEntry(const QString& name) {
    for (int i = 0; i < lstGames->ListCount(); ++i)
        if (lstGames->List(i).compare(name, Qt::CaseInsensitive) == 0) {
            lstGames->SetListIndex(i);
            if (lstGames->onClick) lstGames->onClick(*lstGames);
            return true;
        }
    return false;
}

void SavedGameWindow::DoubleClickEntry(int index) {
    if (index < 0 || index >= lstGames->ListCount()) return;
    lstGames->SetListIndex(index);
    if (lstGames->onDblClick) lstGames->onDblClick(*lstGames);
}

void SavedGameWindow::Press(forms::Label* button) {
    if (button && button->Enabled() && window.Enabled() && button->onClick)
        button->onClick(*button);
}

// ---- The service --------------------------------------------------------------------------------

SavedGames::SavedGames(Program& program) : program_(program) {}
SavedGames::~SavedGames() = default;

bool SavedGames::NameHasRefusedCharacter(const QString& name) {
    static const QString kRefused = QStringLiteral("\\/:*?\"<>|,");
    for (const QChar c : name)
        if (kRefused.contains(c)) return true;
    return false;
}

QString SavedGames::UserSavesFolder() const {
    return userSavesRoot + QLatin1Char('/') + SafeFolderName(program_.info.ProjectTitle);
}

QString SavedGames::SaveFolder() const {
    const FileSystem& fs = program_.platform.files;
    const QString project = fs.NativePath(program_.paths.ProjectPath);
    const bool writable =
        gameFolderWritable ? gameFolderWritable() : fs.IsWritableFolder(program_.paths.ProjectPath);
    if (userSavesRoot.isEmpty() || writable)
        return project.endsWith(u'/') ? project.chopped(1) : project;
    return UserSavesFolder();
}

std::vector<SavedGameEntry> SavedGames::ListSavedGames() const {
    const FileSystem& fs = program_.platform.files;
    std::vector<SavedGameEntry> found;
    auto scan = [&](const QString& folder, bool user) {
        const auto list = fs.List(folder);
        if (!list) return;
        QString native = fs.NativePath(folder);
        if (!native.endsWith(u'/')) native += u'/';
        for (const DirEntry& e : *list) {
            if (e.isDirectory || !IsSavName(e.name)) continue;
            SavedGameEntry s;
            s.name = e.name.left(e.name.size() - 4);
            s.nativePath = native + e.name;
            s.userFolder = user;
            const auto ns = fs.ModifiedNs(s.nativePath);
            if (!ns) continue;  // gone since the listing
            s.modifiedNs = *ns;
            found.push_back(std::move(s));
        }
    };
    scan(program_.paths.ProjectPath, false);
    if (!userSavesRoot.isEmpty() && program_.paths.ProjectPath.size() > 0) {
        const QString user = UserSavesFolder();
        if (fs.NativePath(program_.paths.ProjectPath) != user + u'/') scan(user, true);
    }
    // A name saved in both places is listed once: the newer file.
    std::map<QString, size_t> byName;
    std::vector<SavedGameEntry> out;
    for (SavedGameEntry& s : found) {
        const QString key = s.name.toCaseFolded();
        auto it = byName.find(key);
        if (it == byName.end()) {
            byName[key] = out.size();
            out.push_back(std::move(s));
        } else if (s.modifiedNs > out[it->second].modifiedNs) {
            out[it->second] = std::move(s);
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const SavedGameEntry& a, const SavedGameEntry& b) {
        if (a.modifiedNs != b.modifiedNs) return a.modifiedNs < b.modifiedNs;
        return a.name < b.name;
    });
    return out;
}

SavedGameData SavedGames::Capture(const Game& game) const {
    SavedGameData d;
    const QString dialogueFrame = game.services.dialogues->DialogueFrameName();
    d.frameName = game.services.dialogues->DialogueActive() && !dialogueFrame.isEmpty()
                      ? dialogueFrame
                      : game.state.frame.CurrentFrameName;
    for (const auto& v : game.state.vars.Variables) d.variables.emplace_back(v->Name, v->Value);
    for (const auto& v : game.state.vars.Disappear)
        d.hiddenHotspots.emplace_back(v->Name, v->Value);
    const int items = game.services.inventory->ItemCount();
    for (int i = 1; i <= items; ++i) d.items << game.services.inventory->PickedObjectName(i);
    d.hasHistory = true;
    d.history = game.state.History.Entries();
    d.hasTrailer = true;
    d.projectTitle = program_.info.ProjectTitle;
    d.gameName = program_.info.GameName;
    d.date = program_.platform.loop.CurrentDateTime().toString(QStringLiteral("MM/dd/yyyy"));
    d.version = kSavedGameVersion;
    d.hasVariants = true;
    for (const auto& v : game.state.vars.VariablesVariant)
        d.variants.emplace_back(v->Name, v->Value);
    return d;
}

bool SavedGames::WriteGame(const Game& game, const QString& name) {
    const FileSystem& fs = program_.platform.files;
    const QString folder = SaveFolder();
    const bool inProject = folder + u'/' == fs.NativePath(program_.paths.ProjectPath) ||
                           folder == fs.NativePath(program_.paths.ProjectPath);
    const QString shown = inProject ? program_.paths.ProjectPath + name + QStringLiteral(".sav")
                                    : folder + u'/' + name + QStringLiteral(".sav");
    bool ok = false;
    try {
        const QByteArray bytes = WriteSavedGame(Capture(game));
        ok = (inProject || fs.MakeDirectory(folder) || fs.IsDirectory(folder)) &&
             fs.WriteAll(folder + u'/' + name + QStringLiteral(".sav"), bytes);
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok)
        program_.ShowErrorBox(QStringLiteral(" Unable to save '") + shown + QStringLiteral("'.") +
                              kLineBreak +
                              QStringLiteral("Verify that this file is not Read-Only and that it "
                                             "does not contain any of the following characters: ") +
                              kRefusedList);
    return ok;
}

void SavedGames::Apply(Game& game, const SavedGameData& d) {
    GameVariables& vars = game.state.vars;
    // Every variable of the saved name gets the saved value as it is (-1 stays -1); names the
    // project no longer declares are passed over.
    QHash<QString, std::vector<ClassVariable*>> byName;
    byName.reserve(vars.Variables.Count());
    for (const auto& v : vars.Variables) byName[v->Name].push_back(v.get());
    for (const auto& [name, value] : d.variables) {
        const auto it = byName.constFind(name);
        if (it == byName.constEnd()) continue;
        for (ClassVariable* v : *it) v->Value = value;
    }
    for (const auto& [frame, hotspot] : d.hiddenHotspots) vars.Disappear.Add(frame, hotspot);
    for (const QString& item : d.items) game.services.inventory->AddPickedObject(item, false);
    if (d.hasHistory) {
        game.state.History.Clear();
        for (const QString& entry : d.history) game.state.History.FramesHistoryAdd(entry);
    }
    if (d.hasVariants)
        for (const auto& [name, value] : d.variants) vars.ChangeVariableVariantValue(name, value);
}

void SavedGames::Pause(int ms) {
    program_.platform.loop.ProcessEvents();
    program_.platform.loop.Wait(ms);
}

bool SavedGames::LoadGame(const SavedGameEntry& entry, SavedGameWindow* w) {
    const FileSystem& fs = program_.platform.files;
    const QString shown = entry.userFolder
                              ? entry.nativePath
                              : program_.paths.ProjectPath + entry.name + QStringLiteral(".sav");
    SavedGameData data;
    try {
        const std::optional<QByteArray> bytes = fs.ReadAll(entry.nativePath);
        if (!bytes) throw RunError::FileNotFound();
        data = ReadSavedGame(*bytes);
    } catch (const std::exception&) {
        program_.ShowErrorBox(QStringLiteral(" Unable to load '") + shown + QStringLiteral("'."));
        return false;
    }

    Game* existing = currentGame ? currentGame() : nullptr;
    if (!ensureGame && !existing) return false;
    Game& game = ensureGame ? ensureGame() : *existing;
    game.PictureBox->SetVisible(false);
    game.SetScreenPointer(forms::MousePointer::Hourglass);
    Pause(300);
    if (switchResolutionForLoad && w) switchResolutionForLoad(w->window);
    Pause(300);
    game.ResetAll();
    Pause(500);
    Apply(game, data);

    if (w) Hide(*w);
    game.state.frame.CurrentFrameName =
        ResumeLocation(fs, program_.paths.ConfigPath + QStringLiteral("Resume"), data.frameName);
    Pause(200);
    game.scripts.ExecuteOnLoadVBScript();
    Pause(200);
    game.OpenFrame(game.state.frame.CurrentFrameName, false, 0, 0);
    Pause(300);
    game.PictureBox->SetVisible(true);
    if (showGameWindow) showGameWindow();
    LoadCancelled = false;
    if (!program_.info.SkipWelcomeScreen && hideWelcome) hideWelcome();
    Pause(300);
    game.SetScreenPointer(forms::MousePointer::Default);
    return true;
}

// ---- Showing the windows ------------------------------------------------------------------------

void SavedGames::ShowSaveGameWindow() {
    Game* game = currentGame ? currentGame() : nullptr;
    if (!game) return;
    const bool timerWasEnabled = game->FrameTimerEnabled();
    game->SetFrameTimerEnabled(false);
    game->PauseTimedEvents();
    {
        SavedGameWindow w(SavedGameWindow::Kind::Save, program_);
        Wire(w);
        FillList(w);
        RunModal(w);
    }
    game->SetFrameTimerEnabled(timerWasEnabled);
    game->StartTimedEvents();
}

void SavedGames::ShowLoadGameWindow(bool abortIfATimerIsEnabled) {
    if (abortIfATimerIsEnabled && anyScriptTimerRunning && anyScriptTimerRunning()) return;
    Game* game = currentGame ? currentGame() : nullptr;
    if (game && game->Closed()) game = nullptr;
    const bool timerWasEnabled = game && game->FrameTimerEnabled();
    if (game) {
        game->SetFrameTimerEnabled(false);
        game->PauseTimedEvents();
    }
    LoadCancelled = false;
    {
        SavedGameWindow w(SavedGameWindow::Kind::Load, program_);
        Wire(w);
        FillList(w);
        RunModal(w);
    }
    // A loaded game has opened its own frame; only a cancelled window gives the timers back.
    Game* now = currentGame ? currentGame() : nullptr;
    if (LoadCancelled && game && now == game) {
        game->SetFrameTimerEnabled(timerWasEnabled);
        game->StartTimedEvents();
    }
}

void SavedGames::FillList(SavedGameWindow& w) {
    w.lstGames->Clear();
    try {
        w.entries = ListSavedGames();
    } catch (const std::exception&) {
        w.entries.clear();
    }
    for (const SavedGameEntry& e : w.entries) w.lstGames->AddItem(e.name);
}

void SavedGames::Wire(SavedGameWindow& w) {
    if (w.kind == SavedGameWindow::Kind::Save) {
        w.lstGames->onClick = [&w](forms::Control&) { w.txtName->SetText(w.lstGames->Text()); };
        w.lstGames->onDblClick = [this, &w](forms::Control&) {
            w.txtName->SetText(w.lstGames->Text());
            SaveClicked(w);
        };
        w.cmdOk->onClick = [this, &w](forms::Control&) { SaveClicked(w); };
        w.cmdRemove->onClick = [this, &w](forms::Control&) { RemoveClicked(w); };
        w.cmdCancel->onClick = [this, &w](forms::Control&) { Hide(w); };
        w.window.SetFocusedControl(w.txtName);
    } else {
        w.lstGames->onDblClick = [this, &w](forms::Control&) { LoadClicked(w); };
        w.cmdOk->onClick = [this, &w](forms::Control&) { LoadClicked(w); };
        w.cmdCancel->onClick = [this, &w](forms::Control&) {
            LoadCancelled = true;
            Hide(w);
        };
    }
    // Closing the window by its frame is its Cancel.
    w.window.onUnload = [this, &w](int& cancel) {
        cancel = 1;
        if (w.kind == SavedGameWindow::Kind::Load) LoadCancelled = true;
        Hide(w);
    };
}

void SavedGames::Hide(SavedGameWindow& w) {
    if (!w.shown_) return;
    w.shown_ = false;
    w.window.SetVisible(false);
    program_.platform.windows.Hide(w.window);
}

void SavedGames::RunModal(SavedGameWindow& w) {
    w.shown_ = true;
    open_ = &w;
    ShowAndWait(program_, w.window, w.shown_,
                runModal ? std::function<void()>([&] { runModal(w); }) : nullptr);
    // Whatever the driver left open is cancelled.
    if (w.shown_) {
        if (w.kind == SavedGameWindow::Kind::Load) LoadCancelled = true;
        Hide(w);
    }
    open_ = nullptr;
    program_.platform.windows.Forget(w.window);
}

// ---- The buttons --------------------------------------------------------------------------------

void SavedGames::SaveClicked(SavedGameWindow& w) {
    Dialogs& dialogs = program_.platform.dialogs;
    const QString name = w.txtName->Text();
    if (NameHasRefusedCharacter(name)) {
        dialogs.Show(BoxIcon::Information, program_.info.GameName,
                     program_.Messages(35) + kLineBreak + kRefusedList);
        return;
    }
    if (name.isEmpty()) {
        dialogs.Show(BoxIcon::Information, program_.Messages(21), program_.Messages(23));
        return;
    }
    Game* game = currentGame ? currentGame() : nullptr;
    if (!game) return;
    const FileSystem& fs = program_.platform.files;
    if (fs.IsFile(SaveFolder() + u'/' + name + QStringLiteral(".sav"))) {
        MessageBoxRequest q;
        q.icon = BoxIcon::Question;
        q.buttons = BoxButtons::OkCancel;
        q.title = program_.Messages(21);
        q.text = QStringLiteral("'") + name + QStringLiteral("' ") + program_.Messages(24);
        if (dialogs.MessageBox(q) != BoxResult::Ok) return;
    }
    if (WriteGame(*game, name)) Hide(w);
}

void SavedGames::RemoveClicked(SavedGameWindow& w) {
    Dialogs& dialogs = program_.platform.dialogs;
    const int index = w.lstGames->ListIndex();
    if (index < 0 || index >= static_cast<int>(w.entries.size())) {
        dialogs.Show(BoxIcon::Information, program_.Messages(26), program_.Messages(9));
        return;
    }
    const SavedGameEntry entry = w.entries[static_cast<size_t>(index)];
    const QString shown = entry.userFolder
                              ? entry.nativePath
                              : program_.paths.ProjectPath + entry.name + QStringLiteral(".sav");
    MessageBoxRequest q;
    q.icon = BoxIcon::Question;
    q.buttons = BoxButtons::OkCancel;
    q.title = program_.Messages(26);
    q.text = program_.Messages(27) + QStringLiteral(" '") + shown + QStringLiteral("'?");
    if (dialogs.MessageBox(q) != BoxResult::Ok) return;
    if (!program_.platform.files.Delete(entry.nativePath))
        program_.ShowErrorBox(QStringLiteral(" Unable to remove '") + shown + QStringLiteral("'."));
    FillList(w);
}

void SavedGames::LoadClicked(SavedGameWindow& w) {
    w.window.SetEnabled(false);
    const int index = w.lstGames->ListIndex();
    if (index < 0 || index >= static_cast<int>(w.entries.size())) {
        program_.platform.dialogs.Show(BoxIcon::Information, program_.Messages(17),
                                       program_.Messages(9));
        w.window.SetEnabled(true);
        return;
    }
    const SavedGameEntry entry = w.entries[static_cast<size_t>(index)];
    if (!LoadGame(entry, &w)) w.window.SetEnabled(true);
}

}  // namespace storyloom
