#pragma once
// A list box, and the list members the file and folder lists share with it.
#include <QPoint>
#include <QString>
#include <vector>

#include "platform/forms/StyledControl.h"

namespace storyloom::forms {

// A list of text rows, one of them selected (highlighted). File and folder lists build on it.
class ListBox : public StyledControl {
  public:
    explicit ListBox(QString name = QStringLiteral("List1"));
    // Row count and rows as scripts number them (0 = first).
    int ListCount() const;
    QString List(int index) const;  // "" outside the list
    void SetList(int index, const QString& text);
    int ListIndex() const;
    // -1 clears the selection; raises Click when the selection changes.
    void SetListIndex(int index);
    QString Text() const;  // the selected row's text, "" without one
    // Inserts a row (at the end, at `index`, or in order when Sorted); index out of 0..count
    // is error 5. NewIndex tells where the row went.
    void AddItem(const QString& text, int index = -1);
    void RemoveItem(int index);  // out of range: error 5
    void Clear();
    int NewIndex() const { return newIndex_; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool on);
    qint32 ItemData(int index) const;  // out of range: error 381
    void SetItemData(int index, qint32 value);
    int TopIndex() const { return top_; }
    void SetTopIndex(int index);
    int BorderPixels() const override { return 2; }
    // Height of one row in pixels, from the font.
    int RowHeight() const;
    // Everything drawn: the rows and the row that is highlighted (-1 none).
    virtual int DisplayRowCount() const { return int(rows_.size()); }
    virtual QString DisplayRow(int row) const;
    virtual int DisplayIndent(int /*row*/) const { return 0; }
    int SelectedRow() const { return selected_; }

    // The sunken white box and the rows from TopIndex down, the selected one highlighted.
    void Paint(QPainter& painter) const override;

    bool TakesFocus() const override { return true; }
    void OwnMouseDown(QPoint local, int button) override;
    void OwnKeyDown(int keyCode, int shift) override;

  protected:
    ListBox(ControlKind kind, QString name);
    ListBox(const ListBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;
    struct Row {
        QString text;
        qint32 data = 0;
    };
    // Rows for lists that fill themselves; the selection is cleared without raising Click.
    void ReplaceRows(std::vector<Row> rows, int selected);
    // Script index <-> row: file lists number from 0, folder lists from the current folder.
    virtual int RowOf(int index) const { return index; }
    virtual int IndexOf(int row) const { return row; }
    void SelectRow(int row, bool raiseClick);
    // What a row shows before its text (Paint calls this for each row in view, with the text's
    // place); returns where the text starts. Plain lists show nothing there.
    virtual int PaintRowIcon(QPainter& /*painter*/, int /*row*/, QPoint textAt,
                             int /*rowHeight*/) const {
        return textAt.x();
    }
    // The text a row shows.
    virtual QString RowCaption(int row) const { return DisplayRow(row); }
    // Rows compare without regard to case, as file names on the original's disks do.
    static int CompareRows(const QString& a, const QString& b);
    // A folder as file and folder lists keep it: absolute, with forward slashes, without "."
    // and "..". ExistingFolder also requires it to exist (error 76 otherwise).
    static QString CleanFolder(const QString& path);
    static QString ExistingFolder(const QString& path);
    std::vector<Row> rows_;

  private:
    int selected_ = -1;
    int newIndex_ = -1;
    int top_ = 0;
    bool sorted_ = false;
};

// ListCount, ListIndex, TopIndex, List(i) and Text; with `editable` (a list scripts fill)
// Text selects the row of that text, and NewIndex, Sorted, ItemData, AddItem, RemoveItem and
// Clear. List and ItemData take the index as an argument; a second argument sets the row.
void AddListProperties(PropertyTable& table, bool editable);

}  // namespace storyloom::forms
