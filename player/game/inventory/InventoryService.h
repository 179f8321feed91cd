#pragma once
// The game's connection to the inventory: items picked up, given, used up and dragged.
// Until it is built, the default bodies do nothing, so the game calls it at the right moments
// today; tests derive from it to watch the calls.
#include <QString>

namespace storyloom {

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
};

}  // namespace storyloom
