#include <gtest/gtest.h>

#include "TestProgram.h"
#include "core/FrameGlobals.h"
#include "project/FrameFiles.h"
#include "project/Messages.h"

namespace storyloom::test {
namespace {

const QString kLead = QStringLiteral(
    "An error has occurred. The program may not work properly. Press 'Esc' and the click 'Exit' to "
    "quit.\r\n\r\n"
    "Error description:");

class FrameFilesTest : public ::testing::Test {
  protected:
    FrameFilesTest() { SetDefaultMessages(t.program.Messages, 0); }
    TestProgram t;
    const FrameGlobals& F() const { return frame; }
    FrameGlobals frame;
};

TEST_F(FrameFilesTest, ReadsTheHeaderAndTheHotspotCount) {
    FrameFile f;
    f.BackgroundType = 1;
    f.BackgroundValue = "room.jpg";
    f.BackgroundTiled = true;
    t.project.WriteFrame("Room", f);
    t.project.WriteHotspotCount("Room", 12);
    ASSERT_TRUE(FrameExists(t.program, "Room"));
    ReadFrameHeader(t.program, frame, "Room");
    EXPECT_EQ(F().CurrentFrameName, "Room");
    EXPECT_EQ(F().BackgroundType, 1);
    EXPECT_EQ(F().BackgroundValue, "room.jpg");
    EXPECT_TRUE(F().BackgroundTiled);
    EXPECT_EQ(F().HotspotCount, 12);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(FrameFilesTest, OldestFileLayoutReadsToo) {
    FrameFile f;
    f.BackgroundValue = "255";
    f.lastGroup = 1;
    t.project.WriteFrame("Old", f);
    ReadFrameHeader(t.program, frame, "Old");
    EXPECT_EQ(F().BackgroundValue, "255");
    EXPECT_EQ(F().HotspotCount, 0);  // no .lks file: no hotspots, no message
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(FrameFilesTest, MissingFrameFileShowsTheBox) {
    frame.HotspotCount = 4;
    EXPECT_FALSE(FrameExists(t.program, "Nowhere"));
    ReadFrameHeader(t.program, frame, "Nowhere");
    EXPECT_EQ(F().CurrentFrameName, "Nowhere");
    EXPECT_EQ(F().HotspotCount, 4);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text,
              kLead + " Unable to load the frame called 'Nowhere'. File not found");
}

TEST_F(FrameFilesTest, TruncatedAndWrongTypedHeaders) {
    t.project.WriteHotspotCount("Cut", 5);
    t.project.WriteText("Frames/Cut.fme", "1\r\n\"pic.bmp\"\r\n");
    ReadFrameHeader(t.program, frame, "Cut");
    EXPECT_EQ(F().BackgroundType, 1);
    EXPECT_EQ(F().BackgroundValue, "pic.bmp");
    EXPECT_EQ(F().HotspotCount, 0);  // not updated after the failure
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text,
              kLead + " Unable to load the frame called 'Cut'. Input past end of file");

    t.project.WriteText("Frames/Typed.fme", "\"one\",\"pic.bmp\",#FALSE#\r\n");
    ReadFrameHeader(t.program, frame, "Typed");
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_EQ(t.Boxes()[1].text, kLead + " Unable to load the frame called 'Typed'. Type mismatch");
}

TEST_F(FrameFilesTest, NoBoxWhileStopping) {
    t.program.StopRequested = true;
    ReadFrameHeader(t.program, frame, "Nowhere");
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(FrameFilesTest, HotspotCountConversions) {
    t.project.WriteText("Frames/A.lks", "\"7\"\r\n");
    EXPECT_EQ(ReadHotspotCount(t.program, "A"), 7);
    t.project.WriteText("Frames/B.lks", "2.5\r\n");
    EXPECT_EQ(ReadHotspotCount(t.program, "B"), 2);  // rounded half to even
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(FrameFilesTest, DamagedHotspotCountIsReportedAndCountsZero) {
    t.project.WriteText("Frames/Bad.lks", "\"many\"\r\n");
    EXPECT_EQ(ReadHotspotCount(t.program, "Bad"), 0);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].text, "Error reading the hotspots count from the file \"" +
                                     t.program.paths.FramesPath +
                                     "Bad.lks\".\r\n\r\nType mismatch");

    t.project.WriteText("Frames/Empty.lks", "");
    EXPECT_EQ(ReadHotspotCount(t.program, "Empty"), 0);
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_TRUE(t.Boxes()[1].text.endsWith("Input past end of file"));

    t.project.WriteText("Frames/Huge.lks", "99999\r\n");
    EXPECT_EQ(ReadHotspotCount(t.program, "Huge"), 0);
    ASSERT_EQ(t.Boxes().size(), 3u);
    EXPECT_TRUE(t.Boxes()[2].text.endsWith("Overflow"));
}

}  // namespace
}  // namespace storyloom::test
