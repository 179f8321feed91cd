#pragma once
// The player's items: the item pictures PickedObject (a control array whose element 0 is a
// hidden template), either in the panel Inventory1 that slides down from the top edge of the
// frame (the pop-up mode) or laid straight on the frame picture; the panel's background
// picture, the button Inventory2 that opens it, and the pop-up timer. Items are picked up from
// hotspots, given by actions and scripts, dragged onto hotspots, animated objects and other
// items (a combination file says what two items make), and used up.
//
// The slide moves the panel a step per display frame (kSlideStepMs) and lets events run
// between steps, so the pointer can turn it round half-way; it lasts about 0.3 s whatever the
// machine. A request made while it runs only changes the direction: a slide never starts inside
// another one.
#include <QString>
#include <memory>

#include "game/inventory/InventoryService.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/loop/EventLoop.h"

namespace storyloom {

class Game;

class Inventory : public InventoryService {
  public:
    // The time between two steps of the slide (one frame of a 60 Hz display).
    static constexpr int kSlideStepMs = 16;
    // Icons are this many pixels square.
    static constexpr int kIconSize = 32;

    // Builds the controls into the game's frame picture area and wires their events.
    explicit Inventory(Game& game);
    ~Inventory() override;
    Inventory(const Inventory&) = delete;
    Inventory& operator=(const Inventory&) = delete;

    // ---- InventoryService ---------------------------------------------------------------------
    void PickOrNotPickObject(int areaIndex) override;
    void AddPickedObject(const QString& itemName, bool doNotPopup) override;
    void RemovePickedObject(int objectIndex) override;
    QString PickedObjectName(int objectIndex) const override;
    int DraggedItemIndex() const override { return draggedItemIndex_; }
    void BringToFront() override;
    bool InventoryMoving() const override { return moving_; }
    void PointerOverFrame() override { RequestClose(); }
    void HideInventoryIfItem() override { RequestClose(); }
    void ClearItems() override;
    void BuildInventory() override;
    int ItemCount() const override { return objectsCount_; }
    void Inventory_Hide() override;
    void HideForCapture() override;
    void ShowAfterCapture() override;
    void HideInventoryButton() override;
    void ShowInventoryButton() override;
    bool InventoryOpen() const override;
    QRect PanelRect() const override;
    forms::ControlArray<forms::Image>* PickedObjects() override { return PickedObject.get(); }
    forms::PictureBox* InventoryCanvas() override { return Inventory1; }
    forms::Image* InventoryButton() override { return Inventory2; }
    forms::Image* InventoryBackground() override { return Inventory_Background; }
    Timer* InventoryTimer() override { return &TimerInventory; }

    // ---- The rest of the inventory's operations -------------------------------------------------
    // Runs the slide toward InventoryDirection (0 none, 1 open, 2 close) until it gets there.
    void Inventory_Move();
    // The panel's background and the button's picture from the project's inventory pictures.
    void Load_InventoryBackground();
    void TimerInventory_Timer();
    // Pointer events of the items and the panel.
    void PickedObject_MouseDown(int Index, int Button);
    // Item `Index` received a dragged control.
    void PickedObject_DragDrop(int Index, const QString& sourceName);
    // The pointer asks for the panel to open or close (only in the pop-up mode).
    void RequestOpen();
    void RequestClose();

    int InventoryDirection = 0;
    bool InventoryHeldOpen = false;

    forms::PictureBox* Inventory1 = nullptr;       // the panel
    forms::Image* Inventory_Background = nullptr;  // inside the panel, behind the items
    forms::Image* Inventory2 = nullptr;            // the button that opens the panel
    std::unique_ptr<forms::ControlArray<forms::Image>> PickedObject;
    Timer TimerInventory;

  private:
    bool PopupMode() const;
    // Panel height for the current count, and putting the background on its bottom edge.
    void SetPanelHeight(int pixels);
    void AnchorBackground();
    QPoint SlotPosition(int n) const;
    void Request(int direction);

    Game& game_;
    int objectsCount_ = 0;
    int draggedItemIndex_ = 0;
    bool moving_ = false;
    bool buttonShownBeforeCapture_ = false;
    bool captureHidden_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace storyloom
