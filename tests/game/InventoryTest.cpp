// The inventory: items picked up, given, combined, dropped and used up; the layout of the panel
// and its slide; the button; damaged item files.
#include "GameFixture.h"
#include "game/inventory/Inventory.h"

namespace storyloom::test {
namespace {

class InventoryTest : public GameTest {
  protected:
    InventoryTest() {
        general.ProjectWidth = 640;
        general.ProjectHeight = 480;
    }

    // The game with the real inventory.
    Game& StartGame() {
        t.project.WriteGeneral(general);
        LoadProjectInformation(t.program);
        GameServices s;
        s.transitions = &transitions;
        s.sound = &sound;
        s.video = &video;
        s.savedGames = &savedGames;
        s.dialogues = &dialogues;
        game = std::make_unique<Game>(t.program, scripts, s);
        game->ScreenWidthPx = general.ProjectWidth;
        game->ScreenHeightPx = general.ProjectHeight;
        auto owned = std::make_unique<Inventory>(*game);
        inv = owned.get();
        game->UseInventory(std::move(owned));
        game->ResetAll();
        return *game;
    }

    // Frame "Room": hotspot 1 at (100, 200) and hotspot 2 at (300, 200), 100 pixels square
    // (96 clickable), with the given click actions.
    Game& Room(const std::vector<AuthoredAction>& actions = {}) {
        ColourFrame("Room", 0x404040);
        ColourFrame("Hall", 0x0000FF);
        AuthoredHotspot a, b;
        a.Left = 1500;
        a.Top = 3000;
        b.Left = 4500;
        b.Top = 3000;
        WriteHotspots(t.project, "Room", {a, b});
        if (!actions.empty()) WriteActions(t.project, "Room", actions);
        Game& g = StartGame();
        g.OpenFrame("Room", false, 0, 0);
        return g;
    }

    void Item(const QString& name, QColor color = Qt::red) {
        WriteItem(t.project, name, name + ".bmp");
        WritePicture(t.project, "Areas/" + name + ".bmp", SolidImage(32, 32, color));
    }

    QStringList Names() const {
        QStringList out;
        for (int i = 1; i <= inv->ItemCount(); ++i) out << inv->PickedObjectName(i);
        return out;
    }
    QRect SlotRect(int i) const { return inv->PickedObject->Item(i)->PixelRect(); }
    int PanelTop() const { return inv->Inventory1->PixelRect().y(); }
    int PanelHeight() const { return inv->Inventory1->PixelRect().height(); }

    // The pointer over the button: the panel slides open.
    void OpenPanel() { game->MouseMoveAt(5, 5); }

    Inventory* inv = nullptr;
    int itemsWhenScriptRan = -1;
};

TEST_F(InventoryTest, LayoutFillsRowsAcrossThePictureAndThePanelGrows) {
    general.ShowInventoryOnPickUp = false;
    Item("coin");
    Room();
    EXPECT_EQ(PanelHeight(), 2 * 10 + 32);
    EXPECT_EQ(PanelTop(), -PanelHeight());
    for (int i = 1; i <= 15; ++i) inv->AddPickedObject("coin", false);
    // 640 / 42 = 15 columns.
    EXPECT_EQ(SlotRect(1), QRect(10, 10, 32, 32));
    EXPECT_EQ(SlotRect(15), QRect(10 + 14 * 42, 10, 32, 32));
    EXPECT_EQ(PanelHeight(), 10 + 42);
    inv->AddPickedObject("coin", false);
    EXPECT_EQ(SlotRect(16), QRect(10, 10 + 42, 32, 32));
    EXPECT_EQ(PanelHeight(), 10 + 2 * 42);
    EXPECT_EQ(PanelTop(), -PanelHeight()) << "a closed panel that grows stays out of view";
    inv->RemovePickedObject(16);
    EXPECT_EQ(PanelHeight(), 10 + 42);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(InventoryTest, RemovingAnItemMovesTheLaterOnesDownWithoutMovingIcons) {
    general.ShowInventoryOnPickUp = false;
    Item("a", Qt::red);
    Item("b", Qt::green);
    Item("c", Qt::blue);
    Room();
    for (const char* n : {"a", "b", "c"}) inv->AddPickedObject(n, false);
    const QRect second = SlotRect(2);
    inv->RemovePickedObject(2);
    EXPECT_EQ(Names(), QStringList({"a", "c"}));
    EXPECT_EQ(SlotRect(2), second);
    EXPECT_EQ(inv->PickedObject->Item(2)->ToolTipText(), "c");
    EXPECT_EQ(inv->PickedObject->Item(2)->GetPicture().Image().pixel(5, 5), QColor(Qt::blue).rgb());
    EXPECT_FALSE(inv->PickedObject->Exists(3));
    EXPECT_EQ(inv->ItemCount(), 2);
}

TEST_F(InventoryTest, PickUpFileGivesTheItemOfTheClickedHotspotBeforeItsAction) {
    Item("key");
    WritePickUps(t.project, "Room", {{2, ""}, {1, "key"}});
    AuthoredAction check;
    check.ScriptOn = true;
    check.ScriptCode = "x";
    scripts.onRun = [this](const QString&, ScriptRequests&) {
        itemsWhenScriptRan = inv->ItemCount();
        return true;
    };
    Game& g = Room({check, AuthoredAction{}});
    g.MouseDownAt(350, 250, MouseButton::Left);  // hotspot 2: a record that gives nothing
    EXPECT_TRUE(Names().isEmpty());
    g.MouseDownAt(150, 250, MouseButton::Left);
    EXPECT_EQ(Names(), QStringList({"key"}));
    EXPECT_EQ(itemsWhenScriptRan, 1);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(InventoryTest, PickingUpPopsThePanelOpenUntilThePopUpTimerEnds) {
    Item("key");
    Game& g = Room();
    EXPECT_FALSE(inv->Inventory2->Visible()) << "empty, and hidden when empty";
    const qint64 start = t.loop.NowMs();
    inv->AddPickedObject("key", false);
    const qint64 slide = t.loop.NowMs() - start;
    EXPECT_EQ(PanelTop(), 0);
    EXPECT_TRUE(inv->InventoryOpen());
    EXPECT_TRUE(inv->Inventory2->Visible());
    EXPECT_FALSE(inv->InventoryMoving());
    EXPECT_GE(slide, 200);
    EXPECT_LE(slide, 450);
    // The pointer over the frame cannot close a panel held open by a pick-up ...
    g.MouseMoveAt(300, 400);
    EXPECT_EQ(PanelTop(), 0);
    // ... until the pop-up timer ends.
    t.loop.Advance(2500);
    EXPECT_EQ(PanelTop(), -PanelHeight());
    EXPECT_FALSE(inv->InventoryOpen());
    // Not popped up: no slide, no timer.
    inv->AddPickedObject("key", true);
    EXPECT_EQ(PanelTop(), -PanelHeight());
    EXPECT_FALSE(inv->TimerInventory.Enabled());
}

TEST_F(InventoryTest, PointerOpensAndClosesThePanelAndCanTurnASlideRound) {
    general.ShowInventoryOnPickUp = false;
    Item("key");
    Game& g = Room();
    inv->AddPickedObject("key", false);
    OpenPanel();
    EXPECT_EQ(PanelTop(), 0);
    g.MouseMoveAt(300, 400);  // over the frame
    EXPECT_EQ(PanelTop(), -PanelHeight());

    // Half-way through opening, the pointer moves to the frame: the running slide turns round,
    // and the request made inside it starts no second slide.
    bool nestedSlide = true;
    int topWhenTurned = 0;
    t.loop.Post(
        [&] {
            topWhenTurned = PanelTop();
            const qint64 before = t.loop.NowMs();
            g.MouseMoveAt(300, 400);
            nestedSlide = t.loop.NowMs() != before;
        },
        120);
    OpenPanel();
    EXPECT_FALSE(nestedSlide);
    EXPECT_GT(topWhenTurned, -PanelHeight());
    EXPECT_LT(topWhenTurned, 0);
    EXPECT_EQ(PanelTop(), -PanelHeight());
    EXPECT_FALSE(inv->InventoryMoving());
}

TEST_F(InventoryTest, WithoutSlidingThePanelJumps) {
    general.ShowInventoryOnPickUp = false;
    general.InventorySlideOpen = false;
    general.InventorySlideClose = false;
    Item("key");
    Game& g = Room();
    inv->AddPickedObject("key", false);
    const qint64 start = t.loop.NowMs();
    OpenPanel();
    EXPECT_EQ(PanelTop(), 0);
    g.MouseMoveAt(300, 400);
    EXPECT_EQ(PanelTop(), -PanelHeight());
    EXPECT_LE(t.loop.NowMs() - start, 2 * Inventory::kSlideStepMs);
}

TEST_F(InventoryTest, ButtonFollowsTheItemCountAndTheScriptsRequests) {
    Item("key");
    general.ShowInventoryOnPickUp = false;
    Room();
    EXPECT_FALSE(inv->Inventory2->Visible());
    inv->AddPickedObject("key", false);
    EXPECT_TRUE(inv->Inventory2->Visible());
    inv->HideInventoryButton();
    EXPECT_FALSE(inv->Inventory2->Visible());
    inv->ShowInventoryButton();
    EXPECT_TRUE(inv->Inventory2->Visible());
    inv->RemovePickedObject(1);
    EXPECT_FALSE(inv->Inventory2->Visible());

    // A new game empties the inventory.
    inv->AddPickedObject("key", false);
    game->ResetAll();
    EXPECT_EQ(inv->ItemCount(), 0);
    EXPECT_FALSE(inv->PickedObject->Exists(1));
    EXPECT_EQ(PanelHeight(), 52);
    EXPECT_EQ(PanelTop(), -52);
}

TEST_F(InventoryTest, WithoutThePopUpPanelItemsLieOnTheFrame) {
    general.InventoryPopupMode = false;
    Item("key", Qt::yellow);
    Game& g = Room();
    inv->AddPickedObject("key", false);
    EXPECT_FALSE(inv->Inventory1->Visible());
    EXPECT_FALSE(inv->Inventory2->Visible());
    EXPECT_EQ(inv->PickedObject->Item(1)->Parent(), g.PictureBox);
    EXPECT_EQ(g.RenderFrame().pixel(20, 20), QColor(Qt::yellow).rgb());
    inv->HideForCapture();
    EXPECT_NE(g.RenderFrame().pixel(20, 20), QColor(Qt::yellow).rgb());
    inv->ShowAfterCapture();
    EXPECT_EQ(g.RenderFrame().pixel(20, 20), QColor(Qt::yellow).rgb());
}

TEST_F(InventoryTest, DraggingAnItemOntoAHotspotRunsItsDropActionAndUsesItUp) {
    general.ShowInventoryOnPickUp = false;
    Item("key");
    Item("coin");
    AuthoredAction drop;
    drop.DropKey = "2_KEY.drg";
    drop.DisappearOn = true;
    drop.ShowMessage = true;
    drop.MessageText = "It opens.";
    drop.MessageMode = true;
    WriteActions(t.project, "Room", {drop}, "fm0");
    Game& g = Room();
    inv->AddPickedObject("coin", false);
    inv->AddPickedObject("key", false);
    OpenPanel();
    // Key is item 2, at (52, 10) of the open panel.
    g.PressAt(60, 20, MouseButton::Left);
    EXPECT_EQ(inv->DraggedItemIndex(), 2);
    EXPECT_EQ(g.window.CurrentDrag().source, inv->PickedObject->Item(2));
    g.MouseMoveAt(150, 250);  // over hotspot 1: the panel closes
    EXPECT_EQ(PanelTop(), -PanelHeight());
    g.MouseMoveAt(350, 250);
    g.ReleaseAt(350, 250, MouseButton::Left);
    EXPECT_EQ(Names(), QStringList({"coin"}));
    EXPECT_EQ(g.MessageStripText(), "It opens.");
    EXPECT_EQ(g.state.LastClickX, 350);
    EXPECT_EQ(g.state.LastClickY, 250);

    // The coin on hotspot 1 (no record) and on the bare frame: nothing happens.
    OpenPanel();
    g.PressAt(20, 20, MouseButton::Left);
    g.MouseMoveAt(150, 250);
    g.ReleaseAt(150, 250, MouseButton::Left);
    OpenPanel();
    g.PressAt(20, 20, MouseButton::Left);
    g.MouseMoveAt(500, 400);
    g.ReleaseAt(500, 400, MouseButton::Left);
    EXPECT_EQ(Names(), QStringList({"coin"}));
    EXPECT_EQ(g.window.CurrentDrag().source, nullptr);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(InventoryTest, CombiningTwoItems) {
    general.ShowInventoryOnPickUp = false;
    for (const char* n : {"rope", "hook", "grapple", "stone"}) Item(n);
    AuthoredCombination both;
    both.DraggedDisappears = both.TargetDisappears = true;
    both.GiveItemOn = true;
    both.GiveItemName = "grapple";
    both.ScriptOn = true;
    both.ScriptCode = "Message \"made\"";
    WriteCombination(t.project, "rope", "hook", both);
    Game& g = Room();
    for (const char* n : {"stone", "rope", "hook"}) inv->AddPickedObject(n, false);
    OpenPanel();
    // Rope (2) onto hook (3): both go, the hook at its index less one, and a grapple comes.
    g.PressAt(60, 20, MouseButton::Left);
    g.MouseMoveAt(100, 20);
    g.ReleaseAt(100, 20, MouseButton::Left);
    EXPECT_EQ(Names(), QStringList({"stone", "grapple"}));
    ASSERT_EQ(scripts.texts.size(), 1);
    EXPECT_EQ(scripts.texts.at(0), "Message \"made\"");
    EXPECT_TRUE(scripts.resets.at(0));

    // An item dropped on itself, and two items without a combination file: nothing.
    OpenPanel();
    g.PressAt(20, 20, MouseButton::Left);
    g.MouseMoveAt(22, 22);
    g.ReleaseAt(22, 22, MouseButton::Left);
    OpenPanel();
    g.PressAt(20, 20, MouseButton::Left);
    g.MouseMoveAt(60, 20);
    g.ReleaseAt(60, 20, MouseButton::Left);
    EXPECT_EQ(Names(), QStringList({"stone", "grapple"}));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(InventoryTest, CombinationWithoutScriptFieldsAndTheTargetBeforeTheDragged) {
    general.ShowInventoryOnPickUp = false;
    for (const char* n : {"a", "b", "c"}) Item(n);
    AuthoredCombination targetOnly;
    targetOnly.TargetDisappears = true;
    targetOnly.withScript = false;
    WriteCombination(t.project, "c", "a", targetOnly);
    Room();
    for (const char* n : {"a", "b", "c"}) inv->AddPickedObject(n, false);
    inv->PickedObject_MouseDown(3, forms::kLeftButton);
    inv->PickedObject_DragDrop(1, "PickedObject");
    EXPECT_EQ(Names(), QStringList({"b", "c"}));
    EXPECT_TRUE(scripts.texts.isEmpty());
    inv->PickedObject_DragDrop(2, "Label1");  // not an item picture
    EXPECT_EQ(Names(), QStringList({"b", "c"}));
}

TEST_F(InventoryTest, RightPressOnAnItemTogglesTheMenus) {
    general.ShowInventoryOnPickUp = false;
    Item("key");
    Game& g = Room();
    inv->AddPickedObject("key", false);
    OpenPanel();
    EXPECT_FALSE(g.menus.ExitVisible);
    g.MouseDownAt(20, 20, MouseButton::Right);
    EXPECT_TRUE(g.menus.ExitVisible);
    EXPECT_EQ(inv->DraggedItemIndex(), 0);
    EXPECT_EQ(g.window.CurrentDrag().source, nullptr);
}

TEST_F(InventoryTest, DamagedItemFilesShowTheirBoxesAndTheGameGoesOn) {
    general.ShowInventoryOnPickUp = false;
    Item("key");
    WriteItem(t.project, "ghost", "ghost.ico");  // an icon that does not exist
    WriteItem(t.project, "fake", "fake.ico");
    t.project.WriteText("Areas/fake.ico", "not a picture");
    t.project.WriteText("FramesData/Room.fm4", "0,\"one\"\r\n");
    t.project.WriteText("Areas/key_on_key2.drg", "1,#TRUE#,abc\r\n");
    WriteItem(t.project, "key2", "key.bmp");
    Game& g = Room();
    inv->AddPickedObject("missing", false);
    inv->AddPickedObject("ghost", false);
    inv->AddPickedObject("fake", false);
    EXPECT_EQ(inv->ItemCount(), 0) << "no slot is taken by an item that cannot be shown";
    g.MouseDownAt(150, 250, MouseButton::Left);
    inv->AddPickedObject("key", false);
    inv->AddPickedObject("key2", false);
    inv->PickedObject_MouseDown(1, forms::kLeftButton);
    inv->PickedObject_DragDrop(2, "PickedObject");
    g.window.CancelMouseMode();
    inv->RemovePickedObject(7);
    const QStringList expected = {
        ErrorText(" Unable to pick up the item named 'missing'. The item may be unavailable, or "
                  "the icon '' associated to the item may be corrupt."),
        ErrorText(" Unable to pick up the item named 'ghost'. The item may be unavailable, or the "
                  "icon 'ghost.ico' associated to the item may be corrupt."),
        ErrorText(" Unable to pick up the item named 'fake'. The item may be unavailable, or the "
                  "icon 'fake.ico' associated to the item may be corrupt."),
        ErrorText(" Error in the \"PickOrNotPickObject\" procedure.\r\n\r\nType mismatch"),
        ErrorText(" Unable to combine items."),
        ErrorText(" Unable to remove the item from the inventory."),
    };
    // The missing icon is also reported by the media lookup, before the item's own box.
    QStringList boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), expected.size() + 1);
    EXPECT_TRUE(boxes.at(1).contains("ghost")) << boxes.at(1).toStdString();
    boxes.removeAt(1);
    EXPECT_EQ(boxes, expected);
    // The damaged field stopped the combination before it changed anything.
    EXPECT_EQ(Names(), QStringList({"key", "key2"}));
    EXPECT_EQ(t.Boxes().at(0).title, t.program.Messages(29));
}

}  // namespace
}  // namespace storyloom::test
