#pragma once
// The folder list box: the folder tree down to the current folder and its subfolders.
#include <QString>
#include <functional>

#include "platform/forms/controls/ListBox.h"

namespace storyloom::forms {

// The folder tree down to the current folder (one row each, indented) and its subfolders.
// Scripts number the current folder -1, its parent -2 and so on, the subfolders from 0.
class DirListBox : public ListBox {
  public:
    explicit DirListBox(QString name = QStringLiteral("Dir1"));
    const QString& Path() const { return path_; }
    void SetPath(const QString& path);  // missing folder: error 76
    // Folders below the current one.
    int SubfolderCount() const { return int(rows_.size()) - chain_; }
    int DisplayIndent(int row) const override { return row < chain_ ? row : chain_; }
    // A double click opens the folder of that row.
    void OwnDoubleClick() override;
    std::function<void(Control&)> onChange;

  protected:
    DirListBox(const DirListBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;
    int RowOf(int index) const override { return index + chain_; }
    int IndexOf(int row) const override { return row - chain_; }
    // Each row indented by its depth, with a folder icon (open down to the current folder).
    int PaintRowIcon(QPainter& painter, int row, QPoint textAt, int rowHeight) const override;
    // Each folder row shows its own name; the root shows itself.
    QString RowCaption(int row) const override;

  private:
    void Reload();
    QString path_;
    int chain_ = 0;  // rows from the root down to the current folder
};

}  // namespace storyloom::forms
