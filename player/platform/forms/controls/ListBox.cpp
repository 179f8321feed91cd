#include "platform/forms/controls/ListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>

#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"
#include "platform/forms/Text.h"

namespace storyloom::forms {

ListBox::ListBox(QString name) : ListBox(ControlKind::ListBox, std::move(name)) {}

ListBox::ListBox(ControlKind kind, QString name)
    : StyledControl(kind, std::move(name), kSysWindowBackground, kSysWindowText) {
    SetPixelRect(QRect(0, 0, 120, 97));
}

std::unique_ptr<Control> ListBox::CloneForArray() const {
    return std::unique_ptr<ListBox>(new ListBox(*this));
}

int ListBox::ListCount() const {
    return IndexOf(int(rows_.size()));
}

QString ListBox::List(int index) const {
    const int row = RowOf(index);
    return row >= 0 && row < int(rows_.size()) ? rows_[row].text : QString();
}

void ListBox::SetList(int index, const QString& text) {
    const int row = RowOf(index);
    if (row < 0 || row >= int(rows_.size()))
        throw ControlError(kErrInvalidArrayIndex, "Invalid property array index");
    rows_[row].text = text;
    Changed();
}

int ListBox::ListIndex() const {
    return selected_ < 0 ? -1 : IndexOf(selected_);
}

void ListBox::SetListIndex(int index) {
    // -1 is "no selection" in a plain list but the current folder in a folder list.
    const int row = index == -1 && RowOf(-1) < 0 ? -1 : RowOf(index);
    if (row < -1 || row >= int(rows_.size()) || (row == -1 && index != -1)) ThrowInvalidValue();
    SelectRow(row, true);
}

void ListBox::SelectRow(int row, bool raiseClick) {
    if (row == selected_) return;
    selected_ = row;
    // Keep the selected row in view.
    const int visible = std::max(1, (PixelRect().height() - 4) / std::max(1, RowHeight()));
    if (row >= 0 && row < top_) top_ = row;
    if (row >= top_ + visible) top_ = row - visible + 1;
    Changed();
    if (raiseClick) RaiseEvent(onClick, *this);
}

QString ListBox::Text() const {
    return selected_ >= 0 && selected_ < int(rows_.size()) ? rows_[selected_].text : QString();
}

void ListBox::AddItem(const QString& text, int index) {
    int at = int(rows_.size());
    if (index >= 0) {
        if (index > int(rows_.size())) ThrowInvalidCall();
        at = index;
    } else if (index < -1) {
        ThrowInvalidCall();
    } else if (sorted_) {
        at = int(std::upper_bound(
                     rows_.begin(), rows_.end(), text,
                     [](const QString& t, const Row& r) { return CompareRows(t, r.text) < 0; }) -
                 rows_.begin());
    }
    rows_.insert(rows_.begin() + at, Row{text, 0});
    if (selected_ >= at) ++selected_;
    newIndex_ = at;
    Changed();
}

void ListBox::RemoveItem(int index) {
    if (index < 0 || index >= int(rows_.size())) ThrowInvalidCall();
    rows_.erase(rows_.begin() + index);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    top_ = std::clamp(top_, 0, std::max(0, int(rows_.size()) - 1));
    newIndex_ = -1;
    Changed();
}

void ListBox::Clear() {
    rows_.clear();
    selected_ = -1;
    top_ = 0;
    newIndex_ = -1;
    Changed();
}

void ListBox::SetSorted(bool on) {
    sorted_ = on;
    if (on) {
        const QString keep = Text();
        const bool had = selected_ >= 0;
        std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
            return CompareRows(a.text, b.text) < 0;
        });
        if (had)
            for (int i = 0; i < int(rows_.size()); ++i)
                if (rows_[i].text == keep) selected_ = i;
        Changed();
    }
}

qint32 ListBox::ItemData(int index) const {
    if (index < 0 || index >= int(rows_.size()))
        throw ControlError(kErrInvalidArrayIndex, QStringLiteral("Invalid property array index"));
    return rows_[index].data;
}

void ListBox::SetItemData(int index, qint32 value) {
    if (index < 0 || index >= int(rows_.size()))
        throw ControlError(kErrInvalidArrayIndex, QStringLiteral("Invalid property array index"));
    rows_[index].data = value;
}

void ListBox::SetTopIndex(int index) {
    if (index < 0) ThrowInvalidValue();
    top_ = std::min(index, std::max(0, int(rows_.size()) - 1));
    Changed();
}

int ListBox::RowHeight() const {
    return QFontMetrics(MakeQFont(Font())).height();
}

QString ListBox::DisplayRow(int row) const {
    return row >= 0 && row < int(rows_.size()) ? rows_[row].text : QString();
}

void ListBox::ReplaceRows(std::vector<Row> rows, int selected) {
    rows_ = std::move(rows);
    selected_ = selected;
    top_ = 0;
    newIndex_ = -1;
    Changed();
}

void ListBox::OwnMouseDown(QPoint local, int button) {
    if (button != kLeftButton) return;
    const int row = top_ + (local.y() - BorderPixels()) / std::max(1, RowHeight());
    // Click follows on release; selecting here raises nothing of its own.
    if (local.y() >= BorderPixels() && row < DisplayRowCount()) SelectRow(row, false);
}

void ListBox::OwnKeyDown(int keyCode, int shift) {
    (void)shift;
    const int count = DisplayRowCount();
    if (count == 0) return;
    if (keyCode == 0x26 && selected_ > 0) SelectRow(selected_ - 1, true);          // up
    if (keyCode == 0x28 && selected_ + 1 < count) SelectRow(selected_ + 1, true);  // down
}

int ListBox::CompareRows(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive);
}

QString ListBox::CleanFolder(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QDir(p).absolutePath());
}

QString ListBox::ExistingFolder(const QString& path) {
    const QString folder = CleanFolder(path);
    if (!QFileInfo(folder).isDir())
        throw ControlError(kErrPathNotFound, QStringLiteral("Path not found"));
    return folder;
}

void AddListProperties(PropertyTable& t, bool editable) {
    t.Add(Member<ListBox>("ListCount", PropertyType::Integer, &ListBox::ListCount));
    t.Add(Member<ListBox>("ListIndex", PropertyType::Integer, &ListBox::ListIndex,
                          &ListBox::SetListIndex));
    t.Add(Member<ListBox>("TopIndex", PropertyType::Integer, &ListBox::TopIndex,
                          &ListBox::SetTopIndex));
    t.Add(MethodInfo{"List", 1, 2, [](Control& c, const std::vector<PropertyValue>& a) {
                         auto& list = As<ListBox>(c);
                         const int index = ToLong(a[0]);
                         if (Given(a, 1)) {
                             list.SetList(index, ToText(a[1]));
                             return PropertyValue();
                         }
                         return PropertyValue(list.List(index));
                     }});
    if (!editable) {
        t.Add(Member<ListBox>("Text", PropertyType::String, &ListBox::Text));
        return;
    }
    t.Add({"Text", PropertyType::String,
           [](Control& c) { return PropertyValue(As<ListBox>(c).Text()); },
           [](Control& c, const PropertyValue& v) {
               // Selects the row of that text, as typing a known item would.
               auto& list = As<ListBox>(c);
               const QString text = std::get<QString>(v);
               for (int i = 0; i < list.ListCount(); ++i)
                   if (list.List(i).compare(text, Qt::CaseInsensitive) == 0) {
                       list.SetListIndex(i);
                       return;
                   }
               list.SetListIndex(-1);
           }});
    t.Add(Member<ListBox>("NewIndex", PropertyType::Integer, &ListBox::NewIndex));
    t.Add(Member<ListBox>("Sorted", PropertyType::Boolean, &ListBox::Sorted, &ListBox::SetSorted));
    t.Add(MethodInfo{"ItemData", 1, 2, [](Control& c, const std::vector<PropertyValue>& a) {
                         auto& list = As<ListBox>(c);
                         const int index = ToLong(a[0]);
                         if (Given(a, 1)) {
                             list.SetItemData(index, ToLong(a[1]));
                             return PropertyValue();
                         }
                         return PropertyValue(list.ItemData(index));
                     }});
    t.Add(MethodInfo{"AddItem", 1, 2, [](Control& c, const std::vector<PropertyValue>& a) {
                         As<ListBox>(c).AddItem(ToText(a[0]), Given(a, 1) ? ToLong(a[1]) : -1);
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"RemoveItem", 1, 1, [](Control& c, const std::vector<PropertyValue>& a) {
                         As<ListBox>(c).RemoveItem(ToLong(a[0]));
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"Clear", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                         As<ListBox>(c).Clear();
                         return PropertyValue();
                     }});
}

void ListBox::Paint(QPainter& p) const {
    const QRect outer(QPoint(0, 0), PixelRect().size());
    p.fillRect(outer, ToQColor(BackColor()));
    DrawSunkenBox(p, outer);
    const QRect inner = outer.adjusted(2, 2, -2, -2);
    const QFont font = MakeQFont(Font());
    const QFontMetrics metrics(font);
    const int rowH = std::max(1, metrics.height());
    p.save();
    p.setClipRect(inner, Qt::IntersectClip);
    p.setFont(font);
    const int count = DisplayRowCount();
    for (int row = TopIndex(), y = inner.top(); row < count && y <= inner.bottom();
         ++row, y += rowH) {
        const QString text = RowCaption(row);
        const int x = PaintRowIcon(p, row, QPoint(inner.left() + 1, y), rowH);
        const bool selected = row == SelectedRow();
        if (selected) {
            p.fillRect(QRect(x - 1, y, inner.right() - x + 2, rowH), kSelection);
            p.setPen(kWhite);
        } else {
            p.setPen(Enabled() ? ToQColor(ForeColor()) : kShadow);
        }
        p.drawText(x + 1, y + metrics.ascent(), text);
    }
    p.restore();
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("ListBox"));
    AddCommonProperties(t, true);
    AddStyleProperties(t);
    AddListProperties(t, true);
    t.SetDefault("Text");
    return t;
}

const PropertyTableRegistration registration(ControlKind::ListBox, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
