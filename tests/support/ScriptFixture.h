#pragma once
// A Game with the real script host over a small project in a temp folder: the test platform
// (virtual clock, recorded boxes), recording services and shell.
#include "GameFixture.h"
#include "platform/shell/Shell.h"
#include "scripting/ScriptHost.h"

namespace storyloom::test {

// An inventory that keeps its item names, so removals can be checked.
class ListInventory : public InventoryService {
  public:
    void AddPickedObject(const QString& name, bool) override { items << name; }
    void RemovePickedObject(int i) override { items.removeAt(i - 1); }
    QString PickedObjectName(int i) const override {
        return i >= 1 && i <= items.size() ? items.at(i - 1) : QString();
    }
    QStringList items;
};

class ScriptTest : public ::testing::Test {
  protected:
    ScriptTest() {
        EnsureApp();
        SetDefaultMessages(t.program.Messages, 0);
        general.ProjectWidth = 64;
        general.ProjectHeight = 48;
        general.InitialFrameName = QStringLiteral("Start");
        for (const char* folder :
             {"Frames", "FramesData", "Areas", "Icons", "Config", "External", "CPData"})
            t.project.MakeFolder(QString::fromLatin1(folder));
        t.project.WriteVariables({QStringLiteral("door_open"), QStringLiteral("Score")},
                                 {QStringLiteral("PlayerName")});
        host.WritableFolders.clear();
    }

    // Writes the project information, builds the game with the host and resets it.
    Game& Start() {
        t.project.WriteGeneral(general);
        LoadProjectInformation(t.program);
        GameServices s;
        s.transitions = &transitions;
        s.inventory = &inventory;
        s.savedGames = &savedGames;
        s.plugins = &host.Plugins();
        game = std::make_unique<Game>(t.program, host, s);
        game->ScreenWidthPx = general.ProjectWidth;
        game->ScreenHeightPx = general.ProjectHeight;
        game->onClosed = [this](bool) { ++closedCount; };
        if (beforeAttach) beforeAttach(*game);
        host.Attach(*game);
        game->ResetAll();
        return *game;
    }

    // A plain frame; `hotspots` squares of 600 twips side by side.
    void Frame(const QString& name, int hotspots = 0) {
        FrameFile f;
        f.BackgroundType = 0;
        f.BackgroundValue = QStringLiteral("0");
        t.project.WriteFrame(name, f);
        std::vector<AuthoredHotspot> records;
        for (int i = 0; i < hotspots; ++i) {
            AuthoredHotspot h;
            h.Left = 600.0 * i;
            h.Width = h.Height = 600;
            records.push_back(h);
        }
        if (hotspots > 0) WriteHotspots(t.project, name, records);
    }

    bool Run(const QString& code) { return host.ExecuteVBScript(code, true); }
    qint16 Var(const QString& name) const { return game->GetVariableValue(name); }
    // A variant variable's value as text ("" when there is none).
    QString VarText(const QString& name) const {
        const VariantCollection& list = game->state.vars.VariablesVariant;
        for (int i = 1; i <= list.Count(); ++i)
            if (list.Item(i)->Name == name) return list.Item(i)->Value.toString();
        return {};
    }

    QStringList BoxTexts() const {
        QStringList out;
        for (const auto& b : t.Boxes()) out << b.text;
        return out;
    }
    // The script host's boxes: message 30, a blank, message 31, then the sentence and the
    // engine's description, each after two line breaks.
    QString HostBox(const QString& sentence, const QString& description) const {
        return t.program.Messages(30) + u' ' + t.program.Messages(31) + kCrLf + kCrLf + sentence +
               kCrLf + kCrLf + description;
    }
    QString RunErrorBox(const QString& description) const {
        return HostBox(QStringLiteral("Error executing script. The Scripting Engine returned the "
                                      "following error message:"),
                       description);
    }
    QString ReservedBox(const QString& description) const {
        return HostBox(QStringLiteral("Error executing script. Make sure that the global "
                                      "variables do not have names that are reserved by the "
                                      "engine. The Scripting Engine returned the following error "
                                      "message:"),
                       description);
    }
    // The function library's boxes (the shared error box).
    QString ErrorText(const QString& sentence) const {
        return t.program.Messages(30) + kCrLf + kCrLf + t.program.Messages(31) + sentence;
    }

    TestProgram t;
    GeneralFile general;
    NullMediaLibrary& media = t.platform.media;
    RecordingShell& shell = t.platform.shell;
    CallLog log;
    LoggingTransitions transitions{log};
    ListInventory inventory;
    LoggingSavedGames savedGames{log};
    ScriptHost host{t.program};
    std::unique_ptr<Game> game;
    // Runs on the new game before the host is attached (to give it subsystems of its own).
    std::function<void(Game&)> beforeAttach;
    int closedCount = 0;
};

}  // namespace storyloom::test
