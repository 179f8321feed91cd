// Saved games through the save and load windows: every box of the windows, the list order,
// what a load restores (and that a damaged file changes nothing), the per-user folder when the
// game's folder cannot be written, and that a failed write never harms the earlier file.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include "GameFixture.h"
#include "game/saves/SavedGames.h"

namespace storyloom::test {
namespace {

// Items as a list of names: what the inventory keeps of them for saved games.
class ItemList : public InventoryService {
  public:
    void AddPickedObject(const QString& name, bool) override { items << name; }
    QString PickedObjectName(int i) const override {
        return i >= 1 && i <= items.size() ? items[i - 1] : QString();
    }
    int ItemCount() const override { return static_cast<int>(items.size()); }
    void ClearItems() override { items.clear(); }
    QStringList items;
};

class ActiveDialogue : public DialogueService {
  public:
    bool DialogueActive() const override { return active; }
    QString DialogueFrameName() const override { return frame; }
    void CloseDialogue() override { active = false; }
    bool active = false;
    QString frame;
};

class SavedGamesTest : public GameTest {
  protected:
    SavedGamesTest() {
        t.project.WriteVariables({"door_open", "lamp"}, {"name"});
        ColourFrame("Start");
        ColourFrame("Hall");
        ColourFrame("Kitchen");
        saves.currentGame = [this] { return game.get(); };
        saves.ensureGame = [this]() -> Game& { return *game; };
        saves.userSavesRoot = userRoot.path();
    }
    Game& Begin() {
        Game& g = Start();
        g.services.inventory = &items;
        g.services.savedGames = &saves;
        g.OpenFrame("Start", false, 0, 0);
        return g;
    }
    // Opens the save window and hands it to `act`.
    void WithSaveWindow(const std::function<void(SavedGameWindow&)>& act) {
        saves.runModal = act;
        game->mnuSaveGame_Click();
        saves.runModal = nullptr;
    }
    void Save(const QString& name) {
        WithSaveWindow([&](SavedGameWindow& w) {
            w.TypeName(name);
            w.Press(w.cmdOk);
        });
    }
    QStringList ListNames() {
        QStringList out;
        for (const auto& e : saves.ListSavedGames()) out << e.name;
        return out;
    }
    QString ProjectFile(const QString& name) const { return QDir(t.project.Root()).filePath(name); }
    QByteArray Bytes(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void SetTime(const QString& path, qint64 sec, long nsec) {
        timespec times[2] = {{sec, nsec}, {sec, nsec}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }

    QTemporaryDir userRoot;
    SavedGames saves{t.program};
    ItemList items;
};

TEST_F(SavedGamesTest, SaveWindowRefusesBadNamesAndAsksBeforeReplacing) {
    Begin();
    bool stayed = false;
    WithSaveWindow([&](SavedGameWindow& w) {
        EXPECT_EQ(w.window.Caption(), t.program.Messages(21));
        EXPECT_EQ(w.cmdOk->Caption(), t.program.Messages(25));
        EXPECT_EQ(w.cmdRemove->Caption(), t.program.Messages(22));
        EXPECT_EQ(w.cmdCancel->Caption(), t.program.Messages(11));
        EXPECT_EQ(w.lblPrompt->Caption(), t.program.Messages(23));
        w.TypeName("a,b");
        w.Press(w.cmdOk);
        w.TypeName("");
        w.Press(w.cmdOk);
        stayed = w.Shown();
    });
    EXPECT_TRUE(stayed);
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_EQ(t.Boxes()[0].title, general.GameName);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Information);
    EXPECT_EQ(t.Boxes()[0].text, t.program.Messages(35) + "\r\n\" \\ / : * ? < > | ,");
    EXPECT_EQ(t.Boxes()[1].title, t.program.Messages(21));
    EXPECT_EQ(t.Boxes()[1].text, t.program.Messages(23));
    EXPECT_TRUE(QDir(t.project.Root()).entryList({"*.sav"}).isEmpty());
    for (const char* refused : {"a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"})
        EXPECT_TRUE(SavedGames::NameHasRefusedCharacter(refused)) << refused;
    EXPECT_FALSE(SavedGames::NameHasRefusedCharacter("plain name.1"));

    Save("one");
    const QByteArray first = Bytes(ProjectFile("one.sav"));
    ASSERT_NE(first, "<missing>");
    game->ChangeVariableValue("lamp", 1);
    t.dialogs.QueueAnswer("Cancel");
    Save("one");
    const auto& q = t.Boxes().back();
    EXPECT_EQ(q.icon, BoxIcon::Question);
    EXPECT_EQ(q.title, t.program.Messages(21));
    EXPECT_EQ(q.text, "'one' " + t.program.Messages(24));
    EXPECT_EQ(Bytes(ProjectFile("one.sav")), first);
    t.dialogs.QueueAnswer("OK");
    Save("one");
    EXPECT_NE(Bytes(ProjectFile("one.sav")), first);
}

TEST_F(SavedGamesTest, WritesTheStateInTheFileLayout) {
    Game& g = Begin();
    g.ChangeVariableValue("door_open", 1);
    g.state.vars.Disappear.Add("Start", 2);
    items.items = QStringList{"Key"};
    g.OpenFrame("Hall", false, 0, 0);
    g.state.vars.ChangeVariableVariantValue("name", QString("Ann"));
    Save("s");
    const SavedGameData d = ReadSavedGame(Bytes(ProjectFile("s.sav")));
    EXPECT_EQ(d.frameName, "Hall");
    EXPECT_EQ(d.variables,
              (std::vector<std::pair<QString, qint16>>{{"door_open", 1}, {"lamp", 0}}));
    EXPECT_EQ(d.hiddenHotspots, (std::vector<std::pair<QString, qint16>>{{"Start", 2}}));
    EXPECT_EQ(d.items, QStringList{"Key"});
    EXPECT_EQ(d.history, QStringList({"Start", "Hall"}));
    EXPECT_EQ(d.gameName, general.GameName);
    EXPECT_EQ(d.date, t.loop.CurrentDateTime().toString("MM/dd/yyyy"));
    EXPECT_EQ(d.version, "Version 3.5.2");
    ASSERT_EQ(d.variants.size(), 1u);
    EXPECT_EQ(d.variants[0].second.toString(), "Ann");
    // One value per line, CR LF.
    EXPECT_TRUE(Bytes(ProjectFile("s.sav")).startsWith("\"Hall\"\r\n2\r\n\"door_open\"\r\n1\r\n"));
}

TEST_F(SavedGamesTest, SavingDuringADialogueRecordsItsStartingFrame) {
    Game& g = Begin();
    ActiveDialogue dialogue;
    g.services.dialogues = &dialogue;
    dialogue.active = true;
    dialogue.frame = "Kitchen";
    g.OpenFrame("Hall", false, 0, 0);
    EXPECT_EQ(saves.Capture(g).frameName, "Kitchen");
    dialogue.active = false;
    EXPECT_EQ(saves.Capture(g).frameName, "Hall");
    g.services.dialogues = &dialogues;
}

TEST_F(SavedGamesTest, LoadRestoresEveryPartAndKeepsMinusOne) {
    Game& g = Begin();
    t.project.WriteFile("Config/Resume", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n\"intro\",\"Hall\"\r\n");
    t.project.WriteFile("old.sav",
                        "\"INTRO\"\r\n3\r\n\"door_open\"\r\n-1\r\n\"gone\"\r\n5\r\n"
                        "\"lamp\"\r\n1\r\n1\r\n\"Kitchen\"\r\n2\r\n2\r\n\"Key\"\r\n"
                        "\"Map\"\r\n2\r\n\"Kitchen\"\r\n\"Start\"\r\n\"\"\r\n\"\"\r\n"
                        "\"\"\r\n\"T\"\r\n\"G\"\r\n\"01/02/2003\"\r\n\"Version 3.5.2\"\r\n"
                        "1\r\n\"name\"\r\n\"Bob\"\r\n");
    items.items = QStringList{"Old"};
    saves.runModal = [](SavedGameWindow& w) {
        EXPECT_EQ(w.cmdOk->Caption(), "LOAD");
        ASSERT_TRUE(w.SelectEntry("OLD"));
        w.Press(w.cmdOk);
        EXPECT_FALSE(w.Shown());
    };
    const qint64 before = t.loop.NowMs();
    g.mnuLoadGame_Click();
    // The waits of a load, on the virtual clock: 300, 300, 500, 200, 200, 300 and 300 ms.
    EXPECT_EQ(t.loop.NowMs() - before, 2100);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("; ").toStdString();
    EXPECT_EQ(g.state.frame.CurrentFrameName, "Hall");  // through the resume file
    EXPECT_EQ(g.GetVariableValue("door_open"), -1);
    EXPECT_EQ(g.GetVariableValue("lamp"), 1);
    EXPECT_EQ(g.state.vars.Disappear.Count(), 1);
    EXPECT_EQ(items.items, QStringList({"Key", "Map"}));
    EXPECT_EQ(g.state.History.Entries(), QStringList({"Kitchen", "Start", "Hall"}));
    EXPECT_EQ(g.state.vars.VariablesVariant.Item(1)->Value.toString(), "Bob");
    EXPECT_FALSE(saves.LoadCancelled);
    EXPECT_TRUE(g.PictureBox->Visible());
}

TEST_F(SavedGamesTest, OldestFormLoadsWithEmptyHistoryAndVariantsLeftAlone) {
    Game& g = Begin();
    t.project.WriteFile("old.sav", "\"Kitchen\"\r\n1\r\n\"lamp\"\r\n1\r\n0\r\n0\r\n");
    SavedGameEntry e{"old", ProjectFile("old.sav"), false, 0};
    ASSERT_TRUE(saves.LoadGame(e, nullptr));
    EXPECT_EQ(g.GetVariableValue("lamp"), 1);
    // The frame opened on load is the only entry.
    EXPECT_EQ(g.state.History.Entries(), QStringList({"Kitchen"}));
    EXPECT_FALSE(g.state.vars.VariablesVariant.Item(1)->Value.isValid() &&
                 g.state.vars.VariablesVariant.Item(1)->Value.toInt() != 0);
}

TEST_F(SavedGamesTest, ADamagedFileGivesTheBoxAndLeavesTheGameAsItWas) {
    Game& g = Begin();
    g.ChangeVariableValue("lamp", 1);
    g.OpenFrame("Hall", false, 0, 0);
    items.items = QStringList{"Key"};
    const GameState before = g.state;
    // The variables are fine, the hidden hotspots are cut short.
    t.project.WriteFile("bad.sav", "\"Kitchen\"\r\n1\r\n\"lamp\"\r\n0\r\n3\r\n\"Hall\"\r\n");
    bool stayed = false;
    saves.runModal = [&](SavedGameWindow& w) {
        ASSERT_TRUE(w.SelectEntry("bad"));
        w.Press(w.cmdOk);
        stayed = w.Shown() && w.window.Enabled();
    };
    g.mnuLoadGame_Click();
    EXPECT_TRUE(stayed);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].text,
              ErrorText(" Unable to load '" + t.program.paths.ProjectPath + "bad.sav'."));
    EXPECT_EQ(g.state.vars, before.vars);
    EXPECT_EQ(g.state.History, before.History);
    EXPECT_EQ(g.state.frame.CurrentFrameName, "Hall");
    EXPECT_EQ(items.items, QStringList{"Key"});
    // The window was left by Cancel: the frame timer and timed events run again.
    EXPECT_TRUE(saves.LoadCancelled);
}

TEST_F(SavedGamesTest, LoadWindowWithoutSelectionAndRemoveButton) {
    Begin();
    Save("keep");
    Save("drop");
    saves.runModal = [&](SavedGameWindow& w) {
        EXPECT_EQ(w.window.Caption(), t.program.Messages(17));
        w.Press(w.cmdOk);  // nothing selected
        EXPECT_TRUE(w.window.Enabled());
        w.Press(w.cmdCancel);
    };
    game->mnuLoadGame_Click();
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, t.program.Messages(17));
    EXPECT_EQ(t.Boxes()[0].text, t.program.Messages(9));

    WithSaveWindow([&](SavedGameWindow& w) {
        w.Press(w.cmdRemove);  // nothing selected
        ASSERT_TRUE(w.SelectEntry("drop"));
        EXPECT_EQ(w.txtName->Text(), "drop");  // a click copies the name
        t.dialogs.QueueAnswer("Cancel");
        w.Press(w.cmdRemove);
        EXPECT_EQ(w.lstGames->ListCount(), 2);
        ASSERT_TRUE(w.SelectEntry("drop"));
        t.dialogs.QueueAnswer("OK");
        w.Press(w.cmdRemove);
        EXPECT_EQ(w.lstGames->ListCount(), 1);
        w.Press(w.cmdCancel);
    });
    const auto& boxes = t.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[1].title, t.program.Messages(26));
    EXPECT_EQ(boxes[1].text, t.program.Messages(9));
    EXPECT_EQ(boxes[2].text,
              t.program.Messages(27) + " '" + t.program.paths.ProjectPath + "drop.sav'?");
    EXPECT_EQ(ListNames(), QStringList{"keep"});
}

TEST_F(SavedGamesTest, DoubleClickSavesAndLoads) {
    Begin();
    Save("slot");
    game->ChangeVariableValue("lamp", 1);
    t.dialogs.QueueAnswer("OK");
    WithSaveWindow([&](SavedGameWindow& w) { w.DoubleClickEntry(0); });
    EXPECT_EQ(ReadSavedGame(Bytes(ProjectFile("slot.sav"))).variables[1].second, 1);
    game->ChangeVariableValue("lamp", 0);
    saves.runModal = [&](SavedGameWindow& w) { w.DoubleClickEntry(0); };
    game->mnuLoadGame_Click();
    EXPECT_EQ(game->GetVariableValue("lamp"), 1);
}

TEST_F(SavedGamesTest, ListRunsFromOldestToNewestAtFullResolution) {
    Begin();
    for (const char* n : {"b", "a", "c", "d"})
        t.project.WriteFile(QString(n) + ".sav", "\"x\"\r\n");
    t.project.WriteFile("notes.txt", "");
    t.project.WriteFile(".sav", "");  // no name
    // The same second: only the nanoseconds tell c (older) from b; a and d are equal and go by
    // name.
    SetTime(ProjectFile("b.sav"), 1000, 900);
    SetTime(ProjectFile("c.sav"), 1000, 100);
    SetTime(ProjectFile("a.sav"), 2000, 0);
    SetTime(ProjectFile("d.sav"), 2000, 0);
    EXPECT_EQ(ListNames(), QStringList({"c", "b", "a", "d"}));
}

TEST_F(SavedGamesTest, ReadOnlyGameFolderSavesInTheUserFolder) {
    Begin();
    t.project.WriteFile("both.sav", "\"Start\"\r\n0\r\n0\r\n0\r\n");
    t.project.WriteFile("game.sav", "\"Start\"\r\n0\r\n0\r\n0\r\n");
    SetTime(ProjectFile("both.sav"), 1000, 0);
    SetTime(ProjectFile("game.sav"), 500, 0);
    saves.gameFolderWritable = [] { return false; };
    Save("both");
    // The name did not exist where saves go: no question.
    EXPECT_TRUE(t.Boxes().empty());
    const QString userFile = saves.UserSavesFolder() + "/both.sav";
    ASSERT_TRUE(QFile::exists(userFile));
    const auto list = saves.ListSavedGames();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "game");
    EXPECT_FALSE(list[0].userFolder);
    EXPECT_EQ(list[1].name, "both");  // listed once: the newer, in the user folder
    EXPECT_TRUE(list[1].userFolder);
    // The older copy in the game folder becomes the newer one.
    SetTime(ProjectFile("both.sav"), 4000000000, 0);
    EXPECT_FALSE(saves.ListSavedGames()[1].userFolder);
}

TEST_F(SavedGamesTest, AFailedWriteReportsAndKeepsTheEarlierFile) {
    Begin();
    Save("slot");
    const QByteArray earlier = Bytes(ProjectFile("slot.sav"));
    // A name no file system takes.
    Save(QString(300, u'x'));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(t.Boxes()[0].text.contains(" Unable to save '" + t.program.paths.ProjectPath +
                                           QString(300, u'x') + ".sav'.\r\nVerify that"));

    // A writer that runs out of room half-way, and one that is killed half-way: both in a child
    // process whose file size limit is below the saved game's size.
    game->state.vars.Variables.Clear();
    for (int i = 0; i < 500; ++i) game->state.vars.Variables.Add(QString("v%1").arg(i), 1);
    for (bool killed : {false, true}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
            rlimit limit{1024, 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const bool ok = saves.WriteGame(*game, "slot");
            ::_exit(ok ? 0 : 3);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (killed)
            EXPECT_TRUE(WIFSIGNALED(status));
        else
            EXPECT_EQ(WEXITSTATUS(status), 3);
        EXPECT_EQ(Bytes(ProjectFile("slot.sav")), earlier);
    }
}

TEST_F(SavedGamesTest, WindowsStopTheFrameTimerWhileOpen) {
    FrameFile f;
    f.BackgroundType = 0;
    f.BackgroundValue = "0";
    f.FrameTimerEnabled = true;
    f.FrameTimerDuration = 5;
    f.FrameTimerTarget = "Hall";
    t.project.WriteFrame("Start", f);
    Game& g = Begin();
    ASSERT_TRUE(g.FrameTimerArmed());
    bool armedWhileOpen = true;
    WithSaveWindow([&](SavedGameWindow& w) {
        armedWhileOpen = g.FrameTimerArmed();
        w.Press(w.cmdCancel);
    });
    EXPECT_FALSE(armedWhileOpen);
    EXPECT_TRUE(g.FrameTimerArmed());
}

}  // namespace
}  // namespace storyloom::test
