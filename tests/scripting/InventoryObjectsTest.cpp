// The inventory as scripts see it: the item functions over the real inventory, the button
// functions, the five inventory objects, and references kept after an item went.
#include "ScriptFixture.h"
#include "game/inventory/Inventory.h"

namespace storyloom::test {
namespace {

class InventoryObjectsTest : public ScriptTest {
  protected:
    Game& StartWithInventory() {
        general.ShowInventoryOnPickUp = false;
        Frame("Start", 1);
        for (const char* name : {"key", "coin"}) {
            WriteItem(t.project, name, QString::fromLatin1(name) + ".bmp");
            WritePicture(t.project, "Areas/" + QString::fromLatin1(name) + ".bmp",
                         SolidImage(32, 32, Qt::red));
        }
        Game& g = Start();
        auto owned = std::make_unique<Inventory>(g);
        inv = owned.get();
        g.UseInventory(std::move(owned));
        host.Attach(g);  // the objects are built over the game's inventory
        g.ResetAll();
        g.OpenFrame("Start", false, 0, 0);
        return g;
    }
    Inventory* inv = nullptr;
};

TEST_F(InventoryObjectsTest, ItemFunctionsAndObjects) {
    StartWithInventory();
    EXPECT_TRUE(Run(
        "AddItem \"key\", True\r\nAddItem \"coin\", True\r\nAddItem \"key\", True\r\n"
        "Score = InventoryItemObject.UBound * 10 + InventoryItemObject(2).Left / 15\r\n"
        "PlayerName = InventoryItemObject(3).Tag & \"/\" & InventoryItemObject(2).ToolTipText"));
    EXPECT_EQ(Var("Score"), 3 * 10 + 10) << "one column on a 64-pixel picture: item 2 starts row 2";
    EXPECT_EQ(VarText("PlayerName"), "key/coin");
    EXPECT_TRUE(Run("RemoveItem \"KEY\", False"));
    EXPECT_EQ(inv->ItemCount(), 2);
    EXPECT_EQ(inv->PickedObjectName(1), "key");
    EXPECT_EQ(inv->PickedObjectName(2), "coin");
    EXPECT_TRUE(Run("RemoveAllItems"));
    EXPECT_EQ(inv->ItemCount(), 0);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(InventoryObjectsTest, KeptReferenceToAnItemThatWentIsARunError) {
    StartWithInventory();
    EXPECT_FALSE(
        Run("AddItem \"key\", True\r\nSet Kept = InventoryItemObject(1)\r\n"
            "RemoveItem \"key\", False\r\nPlayerName = Kept.Tag"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text,
              RunErrorBox("Control array element '1' doesn't exist (line 4 of the script)"));
}

TEST_F(InventoryObjectsTest, ButtonCanvasBackgroundAndTimer) {
    StartWithInventory();
    EXPECT_TRUE(Run("AddItem \"key\", True"));
    EXPECT_TRUE(inv->Inventory2->Visible());
    EXPECT_TRUE(
        Run("HideInventoryButton\r\n"
            "Score = InventoryCanvasObject.Top / 15\r\n"
            "door_open = InventoryTimerObject.Interval / 1000"));
    EXPECT_FALSE(inv->Inventory2->Visible());
    EXPECT_EQ(Var("Score"), -52);
    EXPECT_EQ(Var("door_open"), 2);
    EXPECT_TRUE(
        Run("ShowInventoryButton\r\nInventoryBackgroundObject.Visible = False\r\n"
            "InventoryButtonObject.Left = 300"));
    EXPECT_TRUE(inv->Inventory2->Visible());
    EXPECT_EQ(inv->Inventory2->PixelRect().x(), 20);
    EXPECT_TRUE(t.Boxes().empty());
}

}  // namespace
}  // namespace storyloom::test
