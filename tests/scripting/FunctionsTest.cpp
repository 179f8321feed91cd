// The function library scripts call: requests for the game, files, settings, addresses, timed
// events, items and the error boxes of each.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "ScriptFixture.h"
#include "platform/ini/IniFile.h"

namespace storyloom::test {
namespace {

using FunctionsTest = ScriptTest;

TEST_F(FunctionsTest, GoToFrameLeavesARequestTheCallerCarriesOut) {
    Frame("Start");
    Frame("Second");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    host.ResetModule();
    EXPECT_EQ(host.requests.iTransitionNumber, 1);
    host.requests.iHotspotNumber = 4;
    EXPECT_TRUE(Run("Score = GetHotspotNumber()\r\nGoToFrame \"Second\", 1.5, 3"));
    EXPECT_EQ(Var("Score"), 4);
    EXPECT_EQ(host.requests.sFrameToLoad, "Second");
    EXPECT_EQ(host.requests.dTransitionDuration, 1.5);
    EXPECT_EQ(host.requests.iTransitionNumber, 3);
    EXPECT_EQ(host.requests.iHotspotNumber, 0);
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Start");
    EXPECT_FALSE(g.ExecuteVBScriptAndConsequences("GoToFrame \"Second\", 0, 0", true));
    EXPECT_EQ(game->state.frame.CurrentFrameName, "Second");
    // Only the current frame visited before it: going back changes nothing.
    EXPECT_FALSE(g.ExecuteVBScriptAndConsequences("PopupSaveGame", true));
    EXPECT_TRUE(log.Has("save window"));
}

TEST_F(FunctionsTest, QuitEndsTheGameAfterTheScript) {
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_FALSE(g.ExecuteVBScriptAndConsequences("Quit : Score = 1", true));
    EXPECT_EQ(Var("Score"), 1);
    t.loop.Advance(600);
    EXPECT_EQ(closedCount, 1);
}

TEST_F(FunctionsTest, PathsAndTexts) {
    Start();
    EXPECT_TRUE(
        Run("If GetPath(2) = GetPath(9) And GetPath(9) = GetPath(-1) Then Score = 1\r\n"
            "PlayerName = GetPath(2) & \"|\" & GetPath(3) & \"|\" & GetPath(0)"));
    EXPECT_EQ(Var("Score"), 1);
    const auto name = game->state.vars.VariablesVariant.Item(1);
    const ProjectPaths& paths = t.program.paths;
    EXPECT_EQ(name->Value.toString(),
              paths.ExternalPath + "|" + paths.ConfigPath + "|" + paths.ProjectPath);
    EXPECT_TRUE(
        Run("PlayerName = ConvertQuotesIntoDoubleQuotes(\"a\" & DOUBLEQUOTES & \"b\") & "
            "NEWLINE & NO_FILE_SELECTED & GetStoryloomVersion\r\n"
            "Score = ConvertToNumber(\"  12.5abc\") * 2 + ConvertToNumber(\"x\")"));
    EXPECT_EQ(name->Value.toString(), "a\"\"b\r\nVersion 3.5.2");
    EXPECT_EQ(Var("Score"), 25);
}

TEST_F(FunctionsTest, TimedEventsAreCreatedStoppedAndRemoved) {
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(Run("Score = CreateTimedEvent(70, \"door_open = 1\", False)"));
    EXPECT_EQ(Var("Score"), 0);
    EXPECT_EQ(g.TimedEventTable().size(), 1u);
    EXPECT_TRUE(Run("Score = CreateTimedEvent(40, \"door_open = door_open + 1\", True)"));
    EXPECT_EQ(Var("Score"), 1);
    ASSERT_EQ(g.TimedEventTable().size(), 2u);
    EXPECT_EQ(g.TimedEventTable()[1].EventCode, "door_open = door_open + 1");
    EXPECT_TRUE(g.TimedEventTable()[1].EventRepeats);
    EXPECT_FALSE(g.TimedEventRunning(1));  // started by the code that ran the script
    g.StartTimedEvents();
    t.loop.Advance(80000);
    EXPECT_EQ(Var("door_open"), 2);
    EXPECT_TRUE(Run("RemoveTimedEvent 1 : RemoveTimedEvent 0 : RemoveTimedEvent 9"));
    EXPECT_FALSE(g.TimedEventTable()[1].EventActive);
    t.loop.Advance(80000);
    EXPECT_EQ(Var("door_open"), 2);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(FunctionsTest, TimedEventThatFailsOnEveryTickCannotStopTheGame) {
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(Run("CreateTimedEvent 1, \"Score = Score + 1 : x = 1 / 0\", True"));
    g.StartTimedEvents();
    t.loop.Advance(5000);
    // The failing event is switched off after its first failure; the game goes on.
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_EQ(t.Boxes().size(), 1u);
    EXPECT_TRUE(Run("Score = 10"));
    EXPECT_EQ(Var("Score"), 10);
}

TEST_F(FunctionsTest, ParametersAreStoredAsTextPerUser) {
    Start();
    EXPECT_TRUE(
        Run("SaveParameter \"Score\", 12\r\n"
            "PlayerName = LoadParameter(\"Score\", 0)\r\n"
            "If TypeName(PlayerName.Value) = \"String\" Then Score = 1\r\n"
            "If LoadParameter(\"Missing\", 7) = \"7\" Then door_open = 1"));
    EXPECT_EQ(t.program.GetUserSetting("_Score"), "12");
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_EQ(Var("door_open"), 1);
    EXPECT_TRUE(Run("SaveParameter \"Bad\", Null"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text,
              ErrorText(" Unable to save the parameter named \"Bad\". Invalid use of Null"));
}

TEST_F(FunctionsTest, SettingsFilesInTheExternalFolder) {
    Start();
    EXPECT_TRUE(
        Run("WriteINI \"game.ini\", \"Main\", \"Level\", 3\r\n"
            "Score = ReadINI(\"game.ini\", \"main\", \"LEVEL\")\r\n"
            "PlayerName = ReadINI(\"game.ini\", \"\", \"Level\") & "
            "ReadINI(\"none.ini\", \"Main\", \"Level\")"));
    EXPECT_EQ(Var("Score"), 3);
    EXPECT_EQ(game->state.vars.VariablesVariant.Item(1)->Value.toString(), "");
    EXPECT_EQ(ReadIniValue(t.files, t.program.paths.ExternalPath + "game.ini", "Main", "Level"),
              "3");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(FunctionsTest, WritingOutsideTheGameFolderIsRefused) {
    QTemporaryDir outside;
    QTemporaryDir userFolder;
    host.WritableFolders = {userFolder.path()};
    Start();
    const QString escape = t.program.paths.ProjectPath + "..\\..\\escape.ini";
    const QString elsewhere = FileSystem::FromNative(outside.path()) + "x.ini";
    const QString mine = FileSystem::FromNative(userFolder.path()) + "ok.ini";
    ASSERT_TRUE(Run("WriteINI \"" + escape + "\", \"A\", \"B\", 1\r\n" + "WriteINI \"" + elsewhere +
                    "\", \"A\", \"B\", 1\r\n" + "WriteINI \"" + mine + "\", \"A\", \"B\", 1\r\n" +
                    "WriteINI \"Config\\More\", \"A\", \"B\", 1"));
    // A name with a backslash is used as given: "Config\More" is relative to the working
    // folder, not the game's, and is refused too.
    ASSERT_EQ(t.Boxes().size(), 3u);
    auto refusal = [this](const QString& file) {
        return ErrorText(" Unable to write the settings file '" + file +
                         "': scripts may only write files inside the game's folder and the "
                         "player's own settings folder.");
    };
    EXPECT_EQ(BoxTexts(),
              QStringList({refusal(escape), refusal(elsewhere), refusal("Config\\More")}));
    EXPECT_FALSE(QFile::exists(outside.path() + "/x.ini"));
    EXPECT_TRUE(QFile::exists(userFolder.path() + "/ok.ini"));
}

TEST_F(FunctionsTest, AddressesAndFilesGoToTheShell) {
    t.project.WriteText("External/readme.txt", "hi");
    Start();
    EXPECT_TRUE(
        Run("SendEmail \"a@b.org\" : OpenURL \"http://x.org\" : OpenURL \"\"\r\n"
            "OpenFile \"readme.txt\""));
    EXPECT_EQ(shell.Opened(),
              QStringList({"mailto:a@b.org", "http://x.org",
                           t.files.NativePath(t.program.paths.ExternalPath + "readme.txt")}));
    EXPECT_TRUE(t.Boxes().empty());

    shell.openSucceeds = false;
    EXPECT_TRUE(
        Run("SendEmail \"a@b.org\" : OpenURL \"http://x.org\" : OpenFile \"gone.txt\"\r\n"
            "OpenExeFileAndWait \"gone.exe\""));
    EXPECT_EQ(BoxTexts(),
              QStringList(
                  {ErrorText(" Error opening the default mail client to send email to: a@b.org"),
                   ErrorText(" Error opening the following URL with the default browser:\r\n\r\n"
                             "http://x.org"),
                   ErrorText(" Error opening the file titled 'gone.txt'.\r\n\r\nFile not found"),
                   ErrorText(" Error opening the file titled 'gone.exe'.\r\n\r\nFile not found")}));
    EXPECT_TRUE(game->WindowEnabled() || game->window.Enabled());
}

TEST_F(FunctionsTest, OnlyTheGamesOwnProgramsAreStarted) {
    t.project.WriteText("External/tool.sh", "#!/bin/sh\n");
    QFile::setPermissions(t.project.NativePath("External/tool.sh"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Start();
    EXPECT_TRUE(Run("OpenExeFileAndWait \"tool.sh\"\r\nOpenExeFileAndWait \"/bin/sh\""));
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_TRUE(shell.requests[0].isRun);
    EXPECT_TRUE(shell.requests[0].wait);
    EXPECT_EQ(BoxTexts(), QStringList({ErrorText(" Error opening the file titled '/bin/sh'.\r\n\r\n"
                                                 "Only programs inside the game's folder can be "
                                                 "started")}));
    EXPECT_TRUE(game->window.Enabled());
}

TEST_F(FunctionsTest, PicturesMissingAndDamaged) {
    t.project.WriteText("Areas/bad.bmp", "not a picture");
    WritePicture(t.project, "Areas/ok.bmp", SolidImage(4, 4, Qt::blue));
    Frame("Start", 1);
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(
        Run("LoadAPicture Hotspot(1), \"ok.bmp\"\r\nLoadAPicture Hotspot(1), \"gone.bmp\""));
    EXPECT_TRUE(t.Boxes().empty());
    EXPECT_EQ(g.scene->Area->Item(1)->GetPicture().Size(),
              QSize(4, 4));  // unchanged by the missing one
    EXPECT_TRUE(
        Run("LoadAPicture Hotspot(1), \"bad.bmp\"\r\n"
            "If LoadGraphicFile(\"bad.bmp\") Is Nothing Then Score = 1\r\n"
            "If LoadGraphicFile(\"gone.bmp\") Is Nothing Then Score = Score + 1"));
    EXPECT_EQ(Var("Score"), 2);
    const QString path = t.program.paths.AreasPath + "bad.bmp";
    EXPECT_EQ(BoxTexts(), QStringList({ErrorText(" Error loading the following picture:'\r\n" +
                                                 path + "'.\r\n\r\nInvalid picture"),
                                       ErrorText(" Error loading the following graphic file:'\r\n" +
                                                 path + "'.\r\n\r\nInvalid picture")}));
}

TEST_F(FunctionsTest, ItemsAreRemovedFromTheEndFirst) {
    Start();
    inventory.items = QStringList({"Key", "Coin", "key", "Map"});
    EXPECT_TRUE(Run("RemoveItem \"KEY\", False"));
    EXPECT_EQ(inventory.items, QStringList({"Key", "Coin", "Map"}));
    EXPECT_TRUE(Run("AddItem \"key\", True : RemoveItem \"Key\", True"));
    EXPECT_EQ(inventory.items, QStringList({"Coin", "Map"}));
    EXPECT_TRUE(Run("RemoveAllItems"));
    EXPECT_TRUE(inventory.items.isEmpty());
}

TEST_F(FunctionsTest, VariableReferencesAndQueries) {
    general.ProjectWidth = 80;
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(
        Run("Set v = GetVariableReferenceFromName(\"SCORE\")\r\n"
            "v.Value = GetProjectWidth()\r\n"
            "If GetVariableReferenceFromName(\"nothing here\") Is Nothing Then "
            "door_open = 1\r\n"
            "PlayerName = GetCurrentFrameName()"));
    EXPECT_EQ(Var("Score"), 80);
    EXPECT_EQ(Var("door_open"), 1);
    EXPECT_EQ(g.state.vars.VariablesVariant.Item(1)->Value.toString(), "Start");
}

TEST_F(FunctionsTest, MessageStripAndDefaultCursor) {
    WritePicture(t.project, "Icons/hand.cur", SolidImage(16, 16, Qt::black));
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(Run("Message \"Hello there\""));
    EXPECT_TRUE(g.MessageStripVisible());
    EXPECT_EQ(g.MessageStripText(), "Hello there");
    EXPECT_TRUE(Run("Message \"[hide]\" : ChangeDefaultCursor \"missing.cur\""));
    EXPECT_FALSE(g.MessageStripVisible());
    EXPECT_EQ(t.program.info.DefaultCursorFile, "DEFAULT");
    EXPECT_TRUE(Run("ChangeDefaultCursor \"default\""));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(FunctionsTest, ComponentFunctionsWithoutAGamesComponentsRaiseAClearError) {
    Start();
    EXPECT_FALSE(Run("AddComponent \"A.B\", \"b\", False, False"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, RunErrorBox("Object variable not set (line 1 of the script)"));
}

TEST_F(FunctionsTest, CapturedFrameIsSavedAsABitmapInsideTheGame) {
    WritePicture(t.project, "Areas/red.bmp", SolidImage(64, 48, Qt::red));
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    auto nonRed = [](const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor(image.pixel(x, y)) != QColor(Qt::red)) ++count;
        return count;
    };
    const QString load =
        "BackgroundObject.Picture = LoadGraphicFile(\"red.bmp\")\r\n"
        "Message \"A note over the frame\"\r\n"
        "LoadControl PictureBoxObject(1)\r\n"
        "PictureBoxObject(1).BorderStyle = 0\r\n"
        "PictureBoxObject(1).Move 0, 0, 960, 720\r\n";
    // Drawn without the screen, the message strip is left out.
    ASSERT_TRUE(Run(load + "CaptureFrame PictureBoxObject(1), True\r\n"
                           "SaveAPicture PictureBoxObject(1).Image, \"quiet.bmp\""))
        << BoxTexts().join("|").toStdString();
    const QImage quiet(t.project.NativePath("quiet.bmp"));
    ASSERT_EQ(quiet.size(), QSize(64, 48));
    EXPECT_EQ(nonRed(quiet), 0);
    // As the player sees it, the strip is there too.
    ASSERT_TRUE(Run("UnloadControl PictureBoxObject(1)\r\n" + load +
                    "CaptureFrame PictureBoxObject(1), False\r\n"
                    "SaveAPicture PictureBoxObject(1), \"External\\seen.bmp\""))
        << BoxTexts().join("|").toStdString();
    const QImage seen(t.project.NativePath("External/seen.bmp"));
    ASSERT_EQ(seen.size(), QSize(64, 48));
    EXPECT_GT(nonRed(seen), 0);
    EXPECT_TRUE(t.Boxes().empty());

    // Outside the game's folder nothing is written; a picture that is not one is refused.
    QTemporaryDir outside;
    const QString elsewhere = outside.path() + "/x.bmp";
    EXPECT_FALSE(Run("SaveAPicture LoadGraphicFile(\"red.bmp\"), \"" + elsewhere + "\""));
    EXPECT_FALSE(QFile::exists(elsewhere));
    EXPECT_FALSE(Run("SaveAPicture \"text\", \"y.bmp\""));
    EXPECT_FALSE(Run("CaptureFrame Hotspot, True"));
    ASSERT_EQ(t.Boxes().size(), 3u);
    EXPECT_TRUE(t.Boxes()[0].text.contains("Permission denied"));
    EXPECT_TRUE(t.Boxes()[1].text.contains("Type mismatch"));
    EXPECT_FALSE(QFile::exists(t.project.NativePath("y.bmp")));
}

TEST_F(FunctionsTest, StopEverythingStopsScriptsForGood) {
    Frame("Start");
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_TRUE(Run("StopEverything : Score = 1"));
    EXPECT_TRUE(t.program.StopRequested);
    EXPECT_FALSE(g.PictureBox->Visible());
    EXPECT_TRUE(Run("Score = 2"));
    EXPECT_EQ(Var("Score"), 1);
}

}  // namespace
}  // namespace storyloom::test
