#pragma once
// The game's connection to the inventory: items picked up, given, used up and dragged.
// The default bodies do nothing (a game without an inventory, and tests that derive from it to
// watch the calls); Inventory (Inventory.h) is the real one.
#include <QRect>
#include <QString>

namespace storyloom {

class Timer;
namespace forms {
class Control;
class Image;
class PictureBox;
template <class T>
class ControlArray;
}  // namespace forms

class InventoryService {
  public:
    virtual ~InventoryService() = default;
    // A click on a hotspot whose item can be picked up takes it (before the action runs).
    virtual void PickOrNotPickObject(int areaIndex) { (void)areaIndex; }
    virtual void AddPickedObject(const QString& itemName, bool doNotPopup) {
        (void)itemName;
        (void)doNotPopup;
    }
    virtual void RemovePickedObject(int objectIndex) { (void)objectIndex; }
    // The name (tag) of the item picture PickedObject(index); empty when there is none.
    virtual QString PickedObjectName(int objectIndex) const {
        (void)objectIndex;
        return {};
    }
    // How many items the inventory holds (PickedObject(1) to PickedObject(ItemCount())).
    virtual int ItemCount() const { return 0; }
    // The index of the item picture being dragged (0 when none).
    virtual int DraggedItemIndex() const { return 0; }
    // Keeps the item pictures and the two inventory panels above the frame's new hotspots.
    virtual void BringToFront() {}
    // True while the inventory panel slides.
    virtual bool InventoryMoving() const { return false; }
    // The pointer is over the frame: the panel closes (and pops up again when it should).
    virtual void PointerOverFrame() {}
    // An item is dragged over the frame.
    virtual void HideInventoryIfItem() {}
    // New game: no item, the item pictures destroyed but the template.
    virtual void ClearItems() {}
    // New game: panel, template container, background and button built afresh.
    virtual void BuildInventory() {}

    // ---- Added with the inventory itself ------------------------------------------------------
    // The panel hidden at once (no slide).
    virtual void Inventory_Hide() {}
    // Before the screen is captured for a transition or a script: the panel and its button (or,
    // without the pop-up panel, the item pictures) are hidden; ShowAfterCapture puts back what
    // was shown.
    virtual void HideForCapture() {}
    virtual void ShowAfterCapture() {}
    // The scripts' HideInventoryButton and ShowInventoryButton.
    virtual void HideInventoryButton() {}
    virtual void ShowInventoryButton() {}
    // Whether the pop-up panel is fully open (in the other mode: whether items are shown).
    virtual bool InventoryOpen() const { return false; }
    // The panel's rectangle in pixels of the frame picture area (empty when there is none).
    virtual QRect PanelRect() const { return {}; }
    // The controls, for the scripts' objects (null when there are none).
    virtual forms::ControlArray<forms::Image>* PickedObjects() { return nullptr; }
    virtual forms::PictureBox* InventoryCanvas() { return nullptr; }
    virtual forms::Image* InventoryButton() { return nullptr; }
    virtual forms::Image* InventoryBackground() { return nullptr; }
    virtual Timer* InventoryTimer() { return nullptr; }
};

}  // namespace storyloom
