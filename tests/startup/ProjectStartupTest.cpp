#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "TestProgram.h"
#include "core/FrameGlobals.h"
#include "core/PlatformBundle.h"
#include "core/Variables.h"
#include "platform/components/ControlFacility.h"
#include "platform/display/Display.h"
#include "project/FrameFiles.h"
#include "project/MediaFiles.h"
#include "project/Procedures.h"
#include "project/VariablesFile.h"
#include "startup/ProjectStartup.h"

namespace storyloom::test {
namespace {

TEST(ProjectPathTest, FolderGetsOneTrailingBackslash) {
    EXPECT_EQ(ProjectPathOf("/home/a/game"), "\\home\\a\\game\\");
    EXPECT_EQ(ProjectPathOf("/home/a/game/"), "\\home\\a\\game\\");
    EXPECT_EQ(ProjectPathOf("/"), "\\");
}

TEST(ProjectPathTest, SubFoldersFollowTheProjectPath) {
    ProjectPaths p;
    p.SetProject("\\g\\");
    EXPECT_EQ(p.ProjectPath, "\\g\\");
    EXPECT_EQ(p.FramesDataPath, "\\g\\FramesData\\");
    EXPECT_EQ(p.FramesPath, "\\g\\Frames\\");
    EXPECT_EQ(p.AreasPath, "\\g\\Areas\\");
    EXPECT_EQ(p.IconsPath, "\\g\\Icons\\");
    EXPECT_EQ(p.ConfigPath, "\\g\\Config\\");
    EXPECT_EQ(p.SchemesPath, "\\g\\Schemes\\");
    EXPECT_EQ(p.InventoryPath, "\\g\\Inventory\\");
    EXPECT_EQ(p.ExternalPath, "\\g\\External\\");
    EXPECT_EQ(p.CPDataPath, "\\g\\CPData\\");
    EXPECT_EQ(p.ScriptBasePath, "\\g\\");
}

class ProjectStartupTest : public ::testing::Test {
  protected:
    TestProgram t;
};

TEST_F(ProjectStartupTest, ListFilesMatchesThePatternCaseSensitively) {
    t.project.WriteFile("CPData/menu.ocx", "x");
    t.project.WriteFile("CPData/OTHER.OCX", "x");
    t.project.MakeFolder("CPData/folder.ocx");
    t.project.WriteFile("CPData/.hidden.ocx", "x");
    t.project.WriteFile("CPData/readme.txt", "x");
    QStringList names = ListFiles(t.program, t.program.paths.CPDataPath, "*.ocx");
    names.sort();
    EXPECT_EQ(names, QStringList({".hidden.ocx", "menu.ocx"}));
    // Patterns beyond an ending: the general matcher, still case-sensitive.
    EXPECT_EQ(ListFiles(t.program, t.program.paths.CPDataPath, "m?n[a-z].*"),
              QStringList({"menu.ocx"}));
    EXPECT_EQ(ListFiles(t.program, t.program.paths.CPDataPath, "*.OC?"),
              QStringList({"OTHER.OCX"}));

    // Without a trailing backslash and with an empty pattern: every file, no folder.
    QString folder = t.program.paths.CPDataPath;
    folder.chop(1);
    names = ListFiles(t.program, folder, "");
    names.sort();
    EXPECT_EQ(names, QStringList({".hidden.ocx", "OTHER.OCX", "menu.ocx", "readme.txt"}));
    EXPECT_TRUE(ListFiles(t.program, t.program.paths.ExternalPath, "*").isEmpty());
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ProjectStartupTest, MissingGeneralIsFatalAfterItsBox) {
    t.program.paths = ProjectPaths{};
    EXPECT_EQ(InitializeProject(t.program, t.project.Root()), InitializeResult::MissingGeneral);
    EXPECT_TRUE(t.program.ProgramRunning);
    EXPECT_EQ(t.program.paths.ProjectPath, ProjectPathOf(t.project.Root()));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text, "The following file is missing: " +
                                     ProjectPathOf(t.project.Root()) + "Config\\General");
}

TEST_F(ProjectStartupTest, ReadsMessagesAndProjectInformation) {
    GeneralFile g;
    g.ProjectTitle = "Cellar";
    g.InitialFrameName = "Stairs";
    t.project.WriteGeneral(g);
    EXPECT_EQ(InitializeProject(t.program, "/elsewhere"), InitializeResult::Ready);
    // Paths already set are kept.
    EXPECT_EQ(t.program.paths.ProjectPath, ProjectPathOf(t.project.Root()));
    EXPECT_EQ(t.program.Messages(1), "Start");
    EXPECT_EQ(t.program.info.ProjectTitle, "Cellar");
    EXPECT_EQ(t.program.info.InitialFrameName, "Stairs");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ProjectStartupTest, UnknownTextsModeLeavesEmptyMessages) {
    t.project.WriteGeneral(GeneralFile{});
    t.project.WriteTexts(5);
    EXPECT_EQ(InitializeProject(t.program, {}), InitializeResult::Ready);
    EXPECT_EQ(t.program.Messages(1), "");
    EXPECT_EQ(t.program.Messages(29), "");
}

TEST_F(ProjectStartupTest, StartUpRegistersTheControlsOfTheGameAndThePlayer) {
    t.project.WriteGeneral(GeneralFile{});
    QFile probe(QStringLiteral(PROBE_LIBRARY));
    ASSERT_TRUE(probe.open(QIODevice::ReadOnly));
    // A control library under a Windows name, one under its own, and files that are no
    // library: registered quietly or passed over.
    const QByteArray library = probe.readAll();
    t.project.WriteFile("CPData/Probe.ocx", library);
    t.project.WriteFile("CPData/broken.ocx", "MZ not really");
    t.project.WriteFile("CPData/text.so", "not a library");
    ControlFacility& controls = t.platform.controls;
    EXPECT_FALSE(controls.IsRegistered("ProbeLib.Probe"));
    EXPECT_FALSE(controls.IsRegistered("Menulet.MenuletControlRELEASE1"));
    ASSERT_EQ(InitializeProject(t.program, {}), InitializeResult::Ready);
    EXPECT_TRUE(controls.IsRegistered("probelib.probe"));
    EXPECT_TRUE(controls.IsRegistered("Menulet.MenuletControlRELEASE1"));
    EXPECT_TRUE(t.Boxes().empty());
}

// A game written on Windows: the names on disk differ from the names in the data in letter
// case, and the data uses "\" and "/" alike.
TEST_F(ProjectStartupTest, FolderWithOtherLetterCaseIsReadCompletely) {
    GeneralFile g;
    g.ProjectTitle = "Mixed";
    g.InitialFrameName = "hall";
    t.project.WriteGeneral(g, "Config/general");
    t.project.WriteTexts(2, {"Go"});
    t.project.WriteVariables({"DoorOpen"}, {"PlayerName"});
    t.project.WriteProcedures({"Sub Hello()", "End Sub"}, 77);
    FrameFile hall;
    hall.BackgroundType = 1;
    hall.BackgroundValue = "Pictures/HALL.bmp";
    t.project.WriteFrame("HALL", hall);
    t.project.WriteHotspotCount("hall", 3);
    t.project.WriteFile("Frames/pictures/hall.BMP", "x");
    QDir root(t.project.Root());
    for (const char* name : {"Texts", "Variables", "Procedures", "More"})
        ASSERT_TRUE(root.rename(QStringLiteral("Config/") + name,
                                QStringLiteral("Config/") + QString(name).toUpper()));
    ASSERT_TRUE(root.rename("Config", "CONFIG"));
    ASSERT_TRUE(root.rename("Frames", "FRAMES"));

    ASSERT_EQ(InitializeProject(t.program, {}), InitializeResult::Ready);
    EXPECT_EQ(t.program.Messages(1), "Go");
    EXPECT_EQ(t.program.info.ProjectTitle, "Mixed");
    EXPECT_EQ(LoadProcedures(t.program), "Sub Hello()\r\nEnd Sub");
    GameVariables vars;
    LoadVariables(t.program, vars);
    EXPECT_EQ(vars.Variables.Count(), 1);
    EXPECT_EQ(vars.VariablesVariant.Count(), 1);
    FrameGlobals frame;
    ReadFrameHeader(t.program, frame, t.program.info.InitialFrameName);
    EXPECT_EQ(frame.BackgroundType, 1);
    EXPECT_EQ(frame.HotspotCount, 3);
    const QString picture = t.program.paths.FramesPath + frame.BackgroundValue;
    EXPECT_EQ(ResolveMediaPath(t.program, picture), picture);
    EXPECT_EQ(t.files.FileExists(picture), "hall.BMP");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST(SampleProjectTest, BundledSampleIsReadWithoutComplaint) {
    TestPlatform platform;
    Program program(platform.Services());
    ASSERT_EQ(InitializeProject(program, QStringLiteral(STORYLOOM_SOURCE_DIR "/examples/sample")),
              InitializeResult::Ready);
    EXPECT_FALSE(program.info.GameName.isEmpty());
    EXPECT_TRUE(FrameExists(program, program.info.InitialFrameName));
    FrameGlobals frame;
    ReadFrameHeader(program, frame, program.info.InitialFrameName);
    EXPECT_GT(frame.HotspotCount, 0);
    EXPECT_FALSE(LoadProcedures(program).isEmpty());
    GameVariables vars;
    LoadVariables(program, vars);
    EXPECT_GT(vars.Variables.Count(), 0);
    for (const auto& box : platform.dialogs.shown)
        ADD_FAILURE() << box.title.toStdString() << ": " << box.text.toStdString();
}

TEST_F(ProjectStartupTest, LargeFontsAreAskedAboutAndNoEndsTheStart) {
    t.project.WriteGeneral(GeneralFile{});
    FixedDisplay largeFonts(QSize(1024, 768), /*textHeight=*/20);
    t.program.paths = ProjectPaths{};
    // No is the default answer: an unanswered box declines.
    EXPECT_EQ(InitializeProject(t.program, t.project.Root(), &largeFonts),
              InitializeResult::Declined);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(t.Boxes()[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(t.Boxes()[0].title, "!!!");
    EXPECT_EQ(t.Boxes()[0].text, t.program.Messages(40) + "\r\n\r\n" + t.program.Messages(41));
    EXPECT_EQ(t.Boxes()[0].answer, "No");
    EXPECT_FALSE(t.program.Messages(40).isEmpty());

    t.dialogs.QueueAnswer("Yes");
    EXPECT_EQ(InitializeProject(t.program, t.project.Root(), &largeFonts), InitializeResult::Ready);

    FixedDisplay smallFonts(QSize(1024, 768), /*textHeight=*/15);
    const size_t before = t.Boxes().size();
    EXPECT_EQ(InitializeProject(t.program, t.project.Root(), &smallFonts), InitializeResult::Ready);
    EXPECT_EQ(t.Boxes().size(), before);
}

}  // namespace
}  // namespace storyloom::test
