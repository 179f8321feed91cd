// Item files: the icon named by an item's file, the pick-up records of a frame, combination
// files with and without their script, as the authoring tool writes them and damaged.
#include <gtest/gtest.h>

#include "TestProgram.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "project/ItemFiles.h"

namespace storyloom::test {
namespace {

class ItemFilesTest : public ::testing::Test {
  protected:
    ItemFilesTest() {
        t.project.MakeFolder("Areas");
        t.project.MakeFolder("FramesData");
    }
    std::optional<QString> PickUp(int hotspot) {
        return FindPickUp(t.files, t.program.paths.FramesDataPath, "Room", hotspot,
                          [] { return false; });
    }
    TestProgram t;
};

TEST_F(ItemFilesTest, IconNameAndPickUps) {
    WriteItem(t.project, "Brass key", "brasskey.ico");
    EXPECT_EQ(ReadItemIconName(t.files, t.program.paths.AreasPath, "Brass key"), "brasskey.ico");
    EXPECT_THROW(ReadItemIconName(t.files, t.program.paths.AreasPath, "none"), RunError);

    EXPECT_FALSE(PickUp(1)) << "no pick-up file";
    WritePickUps(t.project, "Room", {{3, ""}, {2, "coin"}, {2, "second record"}, {5, "map"}});
    EXPECT_FALSE(PickUp(1));
    EXPECT_FALSE(PickUp(3)) << "a record that gives nothing";
    EXPECT_EQ(PickUp(2), "coin") << "the first record of the hotspot";
    EXPECT_EQ(PickUp(5), "map");
    // A flag written #TRUE# is not 1.
    t.project.WriteText("FramesData/Room.fm4", "0,4,0,0,0,0,0,0,0,0,#TRUE#,\"x\"\r\n");
    EXPECT_FALSE(PickUp(4));
    // Reading stops when asked to.
    EXPECT_FALSE(
        FindPickUp(t.files, t.program.paths.FramesDataPath, "Room", 4, [] { return true; }));
    t.project.WriteText("FramesData/Room.fm4", "0,\"four\"\r\n");
    EXPECT_THROW(PickUp(4), std::exception);
}

TEST_F(ItemFilesTest, CombinationWithAndWithoutItsScript) {
    AuthoredCombination c;
    c.DraggedDisappears = true;
    c.GiveItemOn = true;
    c.GiveItemName = "grapple";
    c.ScriptOn = true;
    c.ScriptCode = "Message \"tied\"";
    WriteCombination(t.project, "rope", "hook", c);
    const QString file = CombinationFileName(t.program.paths.AreasPath, "rope", "hook");
    EXPECT_TRUE(file.endsWith("rope_on_hook.drg"));
    SeqReader r = OpenSeqFile(t.files, file);
    ItemCombination read;
    ReadItemCombination(r, read);
    EXPECT_TRUE(read.DraggedDisappears);
    EXPECT_FALSE(read.TargetDisappears);
    EXPECT_TRUE(read.GiveItemOn);
    EXPECT_EQ(read.GiveItemName, "grapple");
    ASSERT_TRUE(ReadCombinationScript(r, read));
    EXPECT_TRUE(read.ScriptOn);
    EXPECT_EQ(read.ScriptCode, "Message \"tied\"");

    c.withScript = false;
    WriteCombination(t.project, "rope", "hook", c);
    SeqReader shorter = OpenSeqFile(t.files, file);
    ItemCombination old;
    ReadItemCombination(shorter, old);
    EXPECT_FALSE(ReadCombinationScript(shorter, old));
    EXPECT_FALSE(old.HasScript);

    t.project.WriteText("Areas/rope_on_hook.drg", "1,1\r\n");
    SeqReader cut = OpenSeqFile(t.files, file);
    ItemCombination damaged;
    EXPECT_THROW(ReadItemCombination(cut, damaged), std::exception);
    EXPECT_TRUE(damaged.DraggedDisappears) << "what was read before the damage stays";
}

}  // namespace
}  // namespace storyloom::test
