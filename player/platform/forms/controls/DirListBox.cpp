#include "platform/forms/controls/DirListBox.h"

#include <QDir>
#include <QPainter>
#include <algorithm>

#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"

namespace storyloom::forms {

namespace {

void DrawFolderIcon(QPainter& p, int x, int y, bool open) {
    p.fillRect(x, y + 1, 6, 2, QColor(0xC0, 0xC0, 0x00));
    p.fillRect(x, y + 3, 13, 8, open ? QColor(0xFF, 0xFF, 0x80) : QColor(0xC0, 0xC0, 0x00));
    p.setPen(kBlack);
    p.setBrush(Qt::NoBrush);
    p.drawRect(x, y + 3, 12, 7);
}

}  // namespace

DirListBox::DirListBox(QString name) : ListBox(ControlKind::DirListBox, std::move(name)) {
    path_ = CleanFolder(QDir::currentPath());
    Reload();
}

std::unique_ptr<Control> DirListBox::CloneForArray() const {
    return std::unique_ptr<DirListBox>(new DirListBox(*this));
}

void DirListBox::Reload() {
    std::vector<Row> rows;
    // From the root down to the current folder, each row the folder's full path.
    QStringList chain;
    for (QDir d(path_);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp()) break;
    }
    for (const QString& folder : chain) rows.push_back(Row{folder, 0});
    chain_ = int(chain.size());
    QDir here(path_);
    QStringList subfolders = here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(subfolders.begin(), subfolders.end(),
              [](const QString& a, const QString& b) { return CompareRows(a, b) < 0; });
    for (const QString& sub : subfolders) rows.push_back(Row{here.absoluteFilePath(sub), 0});
    // The current folder is the selected row (script index -1).
    ReplaceRows(std::move(rows), chain_ - 1);
}

void DirListBox::SetPath(const QString& path) {
    const QString folder = ExistingFolder(path);
    const bool changed = folder != path_;
    path_ = folder;
    Reload();
    if (changed) RaiseEvent(onChange, *this);
}

void DirListBox::OwnDoubleClick() {
    const int row = SelectedRow();
    if (row >= 0 && row < int(rows_.size()) && rows_[row].text != path_) {
        try {
            SetPath(rows_[row].text);
        } catch (const ControlError&) {
            // The folder went away since the list was read: show what is there now.
            Reload();
        }
    }
    Control::OwnDoubleClick();
}

int DirListBox::PaintRowIcon(QPainter& p, int row, QPoint textAt, int rowHeight) const {
    const int x = textAt.x() + DisplayIndent(row) * 8;
    DrawFolderIcon(p, x, textAt.y() + (rowHeight - 12) / 2,
                   row < DisplayRowCount() - SubfolderCount());
    return x + 16;
}

QString DirListBox::RowCaption(int row) const {
    const QString text = DisplayRow(row);
    const int slash = int(text.lastIndexOf(QLatin1Char('/')));
    return text.size() > 1 && slash >= 0 ? text.mid(slash + 1) : text;
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("DirListBox"));
    AddCommonProperties(t, true);
    AddStyleProperties(t);
    AddListProperties(t, false);
    t.Add(
        Member<DirListBox>("Path", PropertyType::String, &DirListBox::Path, &DirListBox::SetPath));
    t.SetDefault("Path");
    return t;
}

const PropertyTableRegistration registration(ControlKind::DirListBox, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
