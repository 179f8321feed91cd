#pragma once
// The standard controls besides pictures, labels and frames that scripts may load on the game
// window: check boxes, lines, shapes, text boxes, list boxes and the file, folder and drive
// lists.
#include <QPainter>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "platform/forms/Control.h"

namespace storyloom::forms {

inline constexpr int kErrInvalidCall = 5;
inline constexpr int kErrPathNotFound = 76;
inline constexpr int kErrDeviceUnavailable = 68;
inline constexpr int kErrInvalidArrayIndex = 381;

// Controls that draw text: a font and two colours.
class StyledControl : public Control {
  public:
    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);
    OleColor ForeColor() const { return foreColor_; }
    void SetForeColor(OleColor color);
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);

  protected:
    StyledControl(ControlKind kind, QString name, OleColor back, OleColor fore);
    StyledControl(const StyledControl& other) = default;

  private:
    FontSpec font_;
    OleColor foreColor_;
    OleColor backColor_;
};

class CheckBox : public StyledControl {
  public:
    explicit CheckBox(QString name = QStringLiteral("Check1"));
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    int Value() const { return value_; }  // 0 unchecked, 1 checked, 2 greyed
    // Raises Click when the value changes, whether a click or code changed it.
    void SetValue(int value);
    int Alignment() const { return alignment_; }  // 0 box on the left, 1 on the right
    void SetAlignment(int alignment);
    bool TakesFocus() const override { return true; }
    void OwnClick() override;
    void OwnKeyPress(int ascii) override;  // the space bar toggles too

  protected:
    CheckBox(const CheckBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    QString caption_;
    int value_ = 0;
    int alignment_ = 0;
};

// Pen styles of lines and shape outlines: 0 none, 1 solid, 2 dash, 3 dot, 4 dash-dot,
// 5 dash-dot-dot, 6 solid inside the shape's rectangle.
struct Outline {
    OleColor color = kSysWindowText;
    int width = 1;  // pixels
    int style = 1;
    bool operator==(const Outline&) const = default;
};

// A straight line between two points of its container. Its rectangle follows the points.
class LineControl : public Control {
  public:
    explicit LineControl(QString name = QStringLiteral("Line1"));
    bool ReceivesMouse() const override { return false; }
    // End points in twips, relative to the container's inner area.
    double X1() const { return PixelsToTwips(p1_.x()); }
    double Y1() const { return PixelsToTwips(p1_.y()); }
    double X2() const { return PixelsToTwips(p2_.x()); }
    double Y2() const { return PixelsToTwips(p2_.y()); }
    void SetX1(double twips);
    void SetY1(double twips);
    void SetX2(double twips);
    void SetY2(double twips);
    QPoint P1() const { return p1_; }
    QPoint P2() const { return p2_; }
    const Outline& Border() const { return border_; }
    void SetBorderColor(OleColor color);
    void SetBorderWidth(int width);  // 1..8192, else 380
    void SetBorderStyle(int style);  // 0..6, else 380

  protected:
    LineControl(const LineControl& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    void Place();
    QPoint p1_{0, 0};
    QPoint p2_{60, 0};
    Outline border_;
};

class ShapeControl : public Control {
  public:
    enum Kind { Rectangle = 0, Square, Oval, Circle, RoundedRectangle, RoundedSquare };
    explicit ShapeControl(QString name = QStringLiteral("Shape1"));
    bool ReceivesMouse() const override { return false; }
    int Shape() const { return shape_; }
    void SetShape(int shape);                     // 0..5, else 380
    int BackStyle() const { return backStyle_; }  // 0 transparent, 1 opaque
    void SetBackStyle(int style);
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    OleColor FillColor() const { return fillColor_; }
    void SetFillColor(OleColor color);
    // 0 solid, 1 transparent, 2 horizontal, 3 vertical, 4 up diagonal, 5 down diagonal,
    // 6 cross, 7 diagonal cross.
    int FillStyle() const { return fillStyle_; }
    void SetFillStyle(int style);
    const Outline& Border() const { return border_; }
    void SetBorderColor(OleColor color);
    void SetBorderWidth(int width);
    void SetBorderStyle(int style);
    // The figure's bounding rectangle in the control: squares and circles are centred.
    QRect FigureRect() const;

  protected:
    ShapeControl(const ShapeControl& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    int shape_ = Rectangle;
    int backStyle_ = 0;
    OleColor backColor_ = kSysWindowBackground;
    OleColor fillColor_ = 0;
    int fillStyle_ = 1;
    Outline border_;
};

class TextBox : public StyledControl {
  public:
    explicit TextBox(QString name = QStringLiteral("Text1"));
    const QString& Text() const { return text_; }
    // Code may set any text (MaxLength limits typing only); raises Change when it differs.
    void SetText(const QString& text);
    int MaxLength() const { return maxLength_; }  // 0 = no limit
    void SetMaxLength(int length);
    bool Locked() const { return locked_; }
    void SetLocked(bool on) { locked_ = on; }
    QString PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(const QString& ch);  // "" or one character
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool on);
    int Alignment() const { return alignment_; }
    void SetAlignment(int alignment);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);
    int SelStart() const { return selStart_; }
    void SetSelStart(int start);  // beyond the end: the end; negative: 380
    int SelLength() const { return selLength_; }
    void SetSelLength(int length);
    QString SelText() const { return text_.mid(selStart_, selLength_); }
    // Replaces the selection (code may do this even when Locked).
    void SetSelText(const QString& text);
    // The text as shown: every character replaced by the password character if there is one.
    QString DisplayText() const;
    int BorderPixels() const override { return borderStyle_ ? 2 : 0; }

    bool TakesFocus() const override { return true; }
    void OwnMouseDown(QPoint local, int button) override;
    void OwnKeyDown(int keyCode, int shift) override;
    void OwnKeyPress(int ascii) override;
    std::function<void(Control&)> onChange;

  protected:
    TextBox(const TextBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    void Replace(int start, int length, const QString& with);
    QString text_;
    int maxLength_ = 0;
    bool locked_ = false;
    QString passwordChar_;
    bool multiLine_ = false;
    int alignment_ = 0;
    int borderStyle_ = 1;
    int selStart_ = 0;
    int selLength_ = 0;
};

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
    std::vector<Row> rows_;

  private:
    int selected_ = -1;
    int newIndex_ = -1;
    int top_ = 0;
    bool sorted_ = false;
};

// The files of a folder that match a pattern ("*.*", or several wildcards separated by ";").
class FileListBox : public ListBox {
  public:
    explicit FileListBox(QString name = QStringLiteral("File1"));
    const QString& Path() const { return path_; }
    // A folder that does not exist is error 76 and leaves the list as it was.
    void SetPath(const QString& path);
    const QString& Pattern() const { return pattern_; }
    void SetPattern(const QString& pattern);
    // The selected file's name; setting a name with a folder changes Path, with wildcards
    // Pattern, otherwise selects that file.
    QString FileName() const { return Text(); }
    void SetFileName(const QString& name);
    // Reads the folder again.
    void Reload();
    std::function<void(Control&)> onPathChange;
    std::function<void(Control&)> onPatternChange;

  protected:
    FileListBox(const FileListBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

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

  private:
    void Reload();
    QString path_;
    int chain_ = 0;  // rows from the root down to the current folder
};

// The drives of the machine: on this system there is one, "/".
class DriveListBox : public StyledControl {
  public:
    explicit DriveListBox(QString name = QStringLiteral("Drive1"));
    const QString& Drive() const { return drive_; }
    // Only a name of an existing drive is accepted (error 68 otherwise).
    void SetDrive(const QString& drive);
    static QStringList Drives();
    std::function<void(Control&)> onChange;

  protected:
    DriveListBox(const DriveListBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    QString drive_;
};

// Draws one of the controls above (the renderer calls this); false for other kinds.
bool DrawMoreControl(QPainter& painter, const Control& control);
// Property tables of the controls above (used by PropertiesOf).
const class PropertyTable* MoreControlsProperties(ControlKind kind);

}  // namespace storyloom::forms
