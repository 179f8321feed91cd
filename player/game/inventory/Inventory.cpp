#include "game/inventory/Inventory.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/Color.h"
#include "project/ItemFiles.h"
#include "project/MediaFiles.h"

namespace storyloom {

namespace {

bool IsDefaultName(const QString& name) {
    return name.isEmpty() || name.compare(QStringLiteral("default"), Qt::CaseInsensitive) == 0;
}

// The button's own picture: a tab with an arrow pointing down.
forms::Picture BuiltInButtonPicture() {
    QImage image(40, 14, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(200, 200, 200));
    p.setBrush(QColor(60, 60, 72));
    p.drawRoundedRect(QRectF(0.5, -4, 39, 17.5), 4, 4);
    QPainterPath arrow;
    arrow.moveTo(14, 4);
    arrow.lineTo(26, 4);
    arrow.lineTo(20, 10);
    arrow.closeSubpath();
    p.fillPath(arrow, QColor(230, 230, 230));
    p.end();
    return forms::Picture::FromImage(image);
}

}  // namespace

Inventory::Inventory(Game& game) : TimerInventory(game.program.platform.loop), game_(game) {
    forms::PictureBox& area = *game.PictureBox;
    Inventory1 = area.Add<forms::PictureBox>(QStringLiteral("Inventory1"));
    Inventory1->SetBorderStyle(0);
    Inventory1->SetBackColor(forms::Rgb(48, 48, 56));
    Inventory1->SetVisible(false);
    Inventory_Background = Inventory1->Add<forms::Image>(QStringLiteral("Inventory_Background"));
    Inventory_Background->SetVisible(false);
    auto* templ = Inventory1->Add<forms::Image>(QStringLiteral("PickedObject"));
    templ->SetVisible(false);
    templ->SetStretch(true);
    templ->SetPixelRect(QRect(0, 0, kIconSize, kIconSize));
    PickedObject = std::make_unique<forms::ControlArray<forms::Image>>(templ);
    Inventory2 = area.Add<forms::Image>(QStringLiteral("Inventory2"));
    Inventory2->SetPicture(BuiltInButtonPicture());
    Inventory2->SetVisible(false);

    TimerInventory.SetEnabled(false);
    TimerInventory.SetInterval(2000);
    TimerInventory.onTick = [this] { TimerInventory_Timer(); };

    auto open = [this](forms::Control&, int, int, double, double) { RequestOpen(); };
    Inventory1->onMouseMove = open;
    Inventory2->onMouseMove = open;
    Inventory_Background->onMouseMove = open;
    templ->onMouseMove = open;
    auto dragOpen = [this](forms::Control&, forms::Control&, double, double, forms::DragOverState) {
        RequestOpen();
    };
    Inventory1->onDragOver = dragOpen;
    Inventory2->onDragOver = dragOpen;
    Inventory_Background->onDragOver = dragOpen;
    templ->onDragOver = dragOpen;
    templ->onMouseDown = [this](forms::Control& c, int button, int, double, double) {
        PickedObject_MouseDown(c.Index(), button);
    };
    templ->onDragDrop = [this](forms::Control& c, forms::Control& source, double, double) {
        PickedObject_DragDrop(c.Index(), source.Name());
    };
}

Inventory::~Inventory() {
    *alive_ = false;
}

bool Inventory::PopupMode() const {
    return game_.program.info.InventoryPopupMode;
}

// ---- Layout -------------------------------------------------------------------------------

QPoint Inventory::SlotPosition(int n) const {
    const ProjectInfo& info = game_.program.info;
    const int cellW = kIconSize + info.InventoryOffsetX;
    const int cellH = kIconSize + info.InventoryOffsetY;
    const int columns = cellW > 0 ? std::max(1, info.ProjectWidth / cellW) : 1;
    const int column = (n - 1) % columns, row = (n - 1) / columns;
    return QPoint(info.InventoryOffsetX + column * cellW, info.InventoryOffsetY + row * cellH);
}

void Inventory::SetPanelHeight(int pixels) {
    QRect r = Inventory1->PixelRect();
    // A closed panel stays out of view whatever its new height (a row added to a closed panel
    // would otherwise peek down into the frame).
    const bool closed = !moving_ && r.y() <= -r.height();
    r.setHeight(std::max(0, pixels));
    if (closed) r.moveTop(-r.height());
    Inventory1->SetPixelRect(r);
    AnchorBackground();
}

void Inventory::AnchorBackground() {
    if (!Inventory_Background->Visible()) return;
    const QSize size = Inventory_Background->PixelRect().size();
    Inventory_Background->SetPixelRect(
        QRect(QPoint(0, Inventory1->PixelRect().height() - size.height()), size));
}

QRect Inventory::PanelRect() const {
    if (!PopupMode() || !Inventory1->Visible()) return {};
    return Inventory1->PixelRect();
}

bool Inventory::InventoryOpen() const {
    if (!PopupMode()) return objectsCount_ > 0;
    return Inventory1->Visible() && Inventory1->PixelRect().y() >= 0 &&
           Inventory1->PixelRect().height() > 0;
}

// ---- Items ----------------------------------------------------------------------------------

void Inventory::AddPickedObject(const QString& itemName, bool doNotPopup) {
    Program& p = game_.program;
    QString iconName;
    TimerInventory.SetEnabled(false);
    try {
        iconName = ReadItemIconName(p.platform.files, p.paths.AreasPath, itemName);
        const int n = objectsCount_ + 1;
        // Item icons are meant to be .ico files; any picture the player reads will do. The
        // icon is loaded before a slot is taken: an invisible, nameless item left by a broken
        // icon would end the list of names that scripts and saved games walk.
        const forms::Picture icon = game_.scene->LoadPicture(p.paths.AreasPath + iconName);
        objectsCount_ = n;
        forms::Image* item = PickedObject->Load(n);
        const QPoint at = SlotPosition(n);
        item->SetPixelRect(QRect(at, QSize(kIconSize, kIconSize)));
        item->SetPicture(icon);
        item->SetDragIcon(icon);
        item->SetToolTipText(itemName);
        item->SetTag(itemName);
        item->SetVisible(true);
        item->ZOrder(0);
        if (PopupMode()) {
            SetPanelHeight(SlotPosition(n).y() + kIconSize + p.info.InventoryOffsetY);
            if (objectsCount_ > 0)
                Inventory2->SetVisible(true);
            else if (p.info.HideInventoryWhenEmpty)
                Inventory2->SetVisible(false);
        }
        if (p.info.ShowInventoryOnPickUp && !doNotPopup) {
            InventoryHeldOpen = true;
            InventoryDirection = 1;
            if (!moving_ && PopupMode()) Inventory_Move();
            TimerInventory.SetEnabled(false);
            TimerInventory.SetEnabled(true);
        }
    } catch (const std::exception&) {
        p.ShowErrorBox(QStringLiteral(" Unable to pick up the item named '") + itemName +
                       QStringLiteral("'. The item may be unavailable, or the icon '") + iconName +
                       QStringLiteral("' associated to the item may be corrupt."));
    }
}

void Inventory::RemovePickedObject(int objectIndex) {
    Program& p = game_.program;
    try {
        if (objectIndex < 1 || objectIndex > objectsCount_)
            throw RunError(
                340, QStringLiteral("Control array element '%1' doesn't exist").arg(objectIndex));
        for (int i = objectIndex; i <= objectsCount_ - 1; ++i) {
            forms::Image* to = PickedObject->Item(i);
            const forms::Image* from = PickedObject->Item(i + 1);
            to->SetPicture(from->GetPicture());
            to->SetDragIcon(from->DragIcon());
            to->SetTag(from->Tag());
            to->SetToolTipText(from->ToolTipText());
        }
        // The picture being dragged may be the one that goes: the drag ends with it.
        if (draggedItemIndex_ == objectsCount_) draggedItemIndex_ = 0;
        PickedObject->Unload(objectsCount_);
        --objectsCount_;
        if (PopupMode()) {
            if (objectsCount_ > 0)
                SetPanelHeight(SlotPosition(objectsCount_).y() + kIconSize +
                               p.info.InventoryOffsetY);
            AnchorBackground();
            if (objectsCount_ == 0 && p.info.HideInventoryWhenEmpty) Inventory2->SetVisible(false);
        }
    } catch (const std::exception&) {
        p.ShowErrorBox(QStringLiteral(" Unable to remove the item from the inventory."));
    }
}

QString Inventory::PickedObjectName(int objectIndex) const {
    if (objectIndex < 1 || objectIndex > objectsCount_) return {};
    const forms::Image* item = PickedObject->Find(objectIndex);
    return item ? item->Tag() : QString();
}

void Inventory::PickOrNotPickObject(int areaIndex) {
    Program& p = game_.program;
    try {
        const std::optional<QString> item =
            FindPickUp(p.platform.files, p.paths.FramesDataPath, game_.state.frame.CurrentFrameName,
                       areaIndex, [&p] { return p.StopRequested; });
        if (item) AddPickedObject(*item, false);
    } catch (const std::exception& e) {
        if (!p.StopRequested)
            p.ShowErrorBox(
                QStringLiteral(" Error in the \"PickOrNotPickObject\" procedure.") + kCrLf + kCrLf,
                ErrorDescription(e));
    }
}

void Inventory::BringToFront() {
    for (int i = 1; i <= objectsCount_; ++i)
        if (forms::Image* item = PickedObject->Find(i)) item->ZOrder(0);
    Inventory2->ZOrder(0);
    Inventory1->ZOrder(0);
}

// ---- New game -------------------------------------------------------------------------------

void Inventory::ClearItems() {
    objectsCount_ = 0;
    draggedItemIndex_ = 0;
    PickedObject->UnloadAll();
}

void Inventory::BuildInventory() {
    Program& p = game_.program;
    ClearItems();
    InventoryDirection = 0;
    InventoryHeldOpen = false;
    TimerInventory.SetEnabled(false);
    forms::Image* templ = PickedObject->Template();
    if (PopupMode()) {
        const int height = 2 * p.info.InventoryOffsetY + kIconSize;
        Inventory1->SetPixelRect(QRect(0, -height, p.info.ProjectWidth, height));
        Inventory1->SetVisible(true);
        templ->SetContainer(Inventory1);
        Load_InventoryBackground();
        Inventory2->SetPixelRect(QRect(QPoint(0, 0), Inventory2->PixelRect().size()));
        Inventory2->SetVisible(!p.info.HideInventoryWhenEmpty);
    } else {
        templ->SetContainer(game_.PictureBox);
        Load_InventoryBackground();
        Inventory1->SetVisible(false);
        Inventory2->SetVisible(false);
    }
    BringToFront();
}

void Inventory::Load_InventoryBackground() {
    Program& p = game_.program;
    auto clearBackground = [this] {
        Inventory_Background->SetVisible(false);
        Inventory_Background->SetPicture(forms::Picture());
    };
    try {
        if (!PopupMode() || !p.info.CustomInventoryPictures) {
            clearBackground();
            return;
        }
        const QString& back = p.info.InventoryBackgroundPicture;
        const QString backPath = p.paths.InventoryPath + back;
        if (IsDefaultName(back) || p.platform.files.FileExists(backPath).isEmpty()) {
            clearBackground();
        } else {
            Inventory_Background->SetPicture(game_.scene->LoadPicture(backPath));
            Inventory_Background->SetVisible(true);
            AnchorBackground();
        }
        const QString& button = p.info.InventoryButtonPicture;
        const QString buttonPath = p.paths.InventoryPath + button;
        if (!IsDefaultName(button) && !p.platform.files.FileExists(buttonPath).isEmpty())
            Inventory2->SetPicture(game_.scene->LoadPicture(buttonPath));
    } catch (const std::exception&) {
        // The built-in pictures stay.
    }
}

// ---- Opening and closing --------------------------------------------------------------------

void Inventory::Request(int direction) {
    if (!PopupMode()) return;
    InventoryDirection = direction;
    if (!moving_) Inventory_Move();
}

void Inventory::RequestOpen() {
    Request(1);
}

void Inventory::RequestClose() {
    Request(2);
}

void Inventory::TimerInventory_Timer() {
    TimerInventory.SetEnabled(false);
    InventoryHeldOpen = false;
    if (game_.program.info.InventorySlideClose) {
        InventoryDirection = 2;
        if (!moving_ && PopupMode()) Inventory_Move();
    }
}

void Inventory::Inventory_Move() {
    if (moving_) return;
    Program& p = game_.program;
    EventLoop& loop = p.platform.loop;
    const std::shared_ptr<bool> alive = alive_;
    moving_ = true;
    double step = 1;  // pixels
    qint64 mark = loop.NowMs();
    int pass = 0;
    double top = Inventory1->PixelRect().y();
    for (;;) {
        const int height = Inventory1->PixelRect().height();
        // Someone else may have moved the panel while events ran (a reset, a script).
        if (std::lround(top) != Inventory1->PixelRect().y()) top = Inventory1->PixelRect().y();
        if (InventoryDirection == 0 || (InventoryDirection == 1 && top >= 0) ||
            (InventoryDirection == 2 && top <= -height) || p.StopRequested || game_.Closed())
            break;
        if (InventoryHeldOpen) InventoryDirection = 1;
        if (++pass % 5 == 0) {
            const qint64 now = loop.NowMs();
            step = height * double(now - mark) / (5 * 300.0);
            mark = now;
        }
        if (InventoryDirection == 1) {
            top = p.info.InventorySlideOpen ? std::min(0.0, top + step) : 0.0;
        } else {
            top = p.info.InventorySlideClose ? std::max(double(-height), top - step)
                                             : double(-height);
        }
        Inventory1->SetTop(std::round(top) * forms::kTwipsPerPixel);
        loop.Wait(kSlideStepMs);
        if (!*alive) return;
    }
    moving_ = false;
}

void Inventory::Inventory_Hide() {
    moving_ = true;
    Inventory1->SetTop(-Inventory1->Height());
    moving_ = false;
}

void Inventory::HideForCapture() {
    if (captureHidden_) return;
    captureHidden_ = true;
    if (PopupMode()) {
        buttonShownBeforeCapture_ = Inventory2->Visible();
        Inventory2->SetVisible(false);
        Inventory_Hide();
    } else {
        for (int i = 1; i <= objectsCount_; ++i)
            if (forms::Image* item = PickedObject->Find(i)) item->SetVisible(false);
    }
}

void Inventory::ShowAfterCapture() {
    if (!captureHidden_) return;
    captureHidden_ = false;
    if (PopupMode()) {
        Inventory2->SetVisible(buttonShownBeforeCapture_);
    } else {
        for (int i = 1; i <= objectsCount_; ++i)
            if (forms::Image* item = PickedObject->Find(i)) item->SetVisible(true);
    }
}

void Inventory::HideInventoryButton() {
    if (!PopupMode()) return;
    try {
        Inventory1->SetTop(-Inventory1->Height());
        Inventory2->SetVisible(false);
    } catch (const std::exception& e) {
        game_.program.ShowErrorBox(QStringLiteral(" Error hiding inventory. "),
                                   ErrorDescription(e));
    }
}

void Inventory::ShowInventoryButton() {
    if (!PopupMode()) return;
    try {
        Inventory2->SetVisible(true);
    } catch (const std::exception& e) {
        game_.program.ShowErrorBox(QStringLiteral(" Error displaying inventory. "),
                                   ErrorDescription(e));
    }
}

// ---- Dragging -------------------------------------------------------------------------------

void Inventory::PickedObject_MouseDown(int Index, int Button) {
    game_.state.StopMovie = true;
    game_.program.InterruptTransition = true;
    if (game_.IsOneTimeVideoPlaying()) return;
    if (Button == forms::kRightButton) {
        if (!game_.menus.ExitVisible)
            game_.ShowMenus();
        else if (!game_.state.SubmenuOpened)
            game_.HideMenus();
        return;
    }
    if (Button != forms::kLeftButton) return;
    forms::Image* item = PickedObject->Find(Index);
    if (!item) return;
    draggedItemIndex_ = Index;
    item->Drag(1);
}

void Inventory::PickedObject_DragDrop(int Index, const QString& sourceName) {
    if (sourceName.compare(QStringLiteral("pickedobject"), Qt::CaseInsensitive) != 0) return;
    const int dragged = draggedItemIndex_;
    if (Index == dragged) return;
    Program& p = game_.program;
    const QString draggedName = PickedObjectName(dragged);
    const QString targetName = PickedObjectName(Index);
    if (draggedName.isEmpty() || targetName.isEmpty()) return;
    const QString file = CombinationFileName(p.paths.AreasPath, draggedName, targetName);
    try {
        if (p.platform.files.FileExists(file).isEmpty()) return;
        SeqReader r = OpenSeqFile(p.platform.files, file);
        ItemCombination c;
        ReadItemCombination(r, c);
        if (c.DraggedDisappears) RemovePickedObject(dragged);
        if (c.TargetDisappears)
            RemovePickedObject(c.DraggedDisappears && dragged < Index ? Index - 1 : Index);
        if (c.GiveItemOn) AddPickedObject(c.GiveItemName, false);
        if (ReadCombinationScript(r, c) && !p.StopRequested && c.ScriptOn &&
            !c.ScriptCode.isEmpty())
            game_.ExecuteVBScriptAndConsequences(c.ScriptCode, true);
    } catch (const std::exception&) {
        p.ShowErrorBox(QStringLiteral(" Unable to combine items."));
    }
}

}  // namespace storyloom
