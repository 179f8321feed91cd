#include <gtest/gtest.h>

#include "TestProgram.h"
#include "project/MediaFiles.h"
#include "project/Messages.h"

namespace storyloom::test {
namespace {

TEST(DisguisedNameTest, NameDependentAndPlainCodes) {
    EXPECT_EQ(DisguisedName("\\g\\Frames\\door.bmp", false), "\\g\\Frames\\door.204");
    EXPECT_EQ(DisguisedName("\\g\\Frames\\door.bmp", true), "\\g\\Frames\\door.004");
    // Letter case of the name and the extension does not change the code.
    EXPECT_EQ(DisguisedName("\\g\\Frames\\DOOR.BMP", false), "\\g\\Frames\\DOOR.204");
    // hall.wav: code 10, a = 104, b = 97, c = 108: 10 + |104 * 2 - 97 + 108 * 1| = 229.
    EXPECT_EQ(DisguisedName("Areas\\hall.wav", false), "Areas\\hall.229");
    // abc.asf: code 44, 44 mod 3 = 2, 44 mod 2 = 0: 44 + |97 * 3 - 98 + 99| = 336.
    EXPECT_EQ(DisguisedName("abc.asf", false), "abc.336");
    EXPECT_EQ(DisguisedName("abc.ico", true), "abc.002");
}

TEST(DisguisedNameTest, ShortNamesAndOtherExtensionsStayAsTheyAre) {
    EXPECT_EQ(DisguisedName("\\g\\.bmp", false), "\\g\\.bmp");
    EXPECT_EQ(DisguisedName("\\g\\x.wa", true), "\\g\\x.wa");
    // A one-letter name with a four-character extension is five characters long: disguised.
    EXPECT_EQ(DisguisedName("\\g\\a.bmp", false), "\\g\\a.250");
    EXPECT_EQ(DisguisedName("\\g\\song.mpeg", false), "\\g\\song.mpeg");
    EXPECT_EQ(DisguisedName("\\g\\song.midi", true), "\\g\\song.midi");
    EXPECT_EQ(DisguisedName("\\g\\notes.txt", true), "\\g\\notes.txt");
    EXPECT_EQ(DisguisedName("", true), "");
}

class ResolveMediaPathTest : public ::testing::Test {
  protected:
    ResolveMediaPathTest() { SetDefaultMessages(t.program.Messages, 0); }
    QString Frames(const QString& name) const { return t.program.paths.FramesPath + name; }
    TestProgram t;
};

TEST_F(ResolveMediaPathTest, PrefersThePlainNameThenTheDisguisedForms) {
    t.project.WriteFile("Frames/door.204", "x");
    t.project.WriteFile("Frames/door.004", "x");
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("door.bmp")), Frames("door.204"));
    t.project.Remove("Frames/door.204");
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("door.bmp")), Frames("door.004"));
    t.project.WriteFile("Frames/door.bmp", "x");
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("door.bmp")), Frames("door.bmp"));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ResolveMediaPathTest, FindsFilesWhoseLetterCaseDiffers) {
    t.project.WriteFile("Frames/Door.BMP", "x");
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("door.bmp")), Frames("door.bmp"));
    t.project.Remove("Frames");
    t.project.WriteFile("frames/DOOR.204", "x");
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("door.bmp")), Frames("door.204"));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ResolveMediaPathTest, MissingFileIsReportedWithTheLastPathTried) {
    const QString result = ResolveMediaPath(t.program, Frames("door.bmp"));
    EXPECT_EQ(result, Frames("door.004"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text, "The following file is missing:\r\n" + Frames("door.004") +
                                     "\r\n\r\nThis file may have been moved or removed from its "
                                     "original location. The program may "
                                     "not work properly until the missing file is placed back in "
                                     "its original location. Press 'Esc' "
                                     "and the click 'Exit' to quit.");
}

TEST_F(ResolveMediaPathTest, MissingFileWithOtherExtensionNamesItself) {
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("song.midi")), Frames("song.midi"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_TRUE(t.Boxes()[0].text.contains(Frames("song.midi")));
}

TEST_F(ResolveMediaPathTest, ShortPathsAreReturnedWithoutReport) {
    EXPECT_EQ(ResolveMediaPath(t.program, "a.bm"), "a.bm");
    EXPECT_EQ(ResolveMediaPath(t.program, ""), "");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(ResolveMediaPathTest, NoReportWhileStopping) {
    t.program.StopRequested = true;
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("door.bmp")), Frames("door.004"));
    EXPECT_TRUE(t.Boxes().empty());
}

}  // namespace
}  // namespace storyloom::test
