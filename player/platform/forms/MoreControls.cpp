#include "platform/forms/MoreControls.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "platform/forms/Text.h"

namespace storyloom::forms {

namespace {

[[noreturn]] void InvalidValue() {
    throw ControlError(kErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
}
[[noreturn]] void InvalidCall() {
    throw ControlError(kErrInvalidCall, QStringLiteral("Invalid procedure call or argument"));
}

void CheckRange(int value, int low, int high) {
    if (value < low || value > high) InvalidValue();
}

template <class Handler>
void Raise(const Handler& handler, Control& c) {
    if (!handler) return;
    Handler copy = handler;  // the handler may unload the control
    copy(c);
}

int CompareRows(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive);
}

}  // namespace

// ---- StyledControl -----------------------------------------------------------------------

StyledControl::StyledControl(ControlKind kind, QString name, OleColor back, OleColor fore)
    : Control(kind, std::move(name)), foreColor_(fore), backColor_(back) {}

void StyledControl::SetFont(const FontSpec& font) {
    font_ = font;
    Changed();
}
void StyledControl::SetForeColor(OleColor color) {
    foreColor_ = color;
    Changed();
}
void StyledControl::SetBackColor(OleColor color) {
    backColor_ = color;
    Changed();
}

// ---- CheckBox ----------------------------------------------------------------------------

CheckBox::CheckBox(QString name)
    : StyledControl(ControlKind::CheckBox, std::move(name), kSysButtonFace, kSysButtonText) {
    SetPixelRect(QRect(0, 0, 81, 17));
}

std::unique_ptr<Control> CheckBox::CloneForArray() const {
    return std::unique_ptr<CheckBox>(new CheckBox(*this));
}

void CheckBox::SetCaption(const QString& caption) {
    caption_ = caption;
    Changed();
}

void CheckBox::SetValue(int value) {
    CheckRange(value, 0, 2);
    if (value == value_) return;
    value_ = value;
    Changed();
    Raise(onClick, *this);
}

void CheckBox::SetAlignment(int alignment) {
    CheckRange(alignment, 0, 1);
    alignment_ = alignment;
    Changed();
}

void CheckBox::OwnClick() {
    // Checked goes to unchecked; unchecked and greyed go to checked. SetValue raises Click.
    SetValue(value_ == 1 ? 0 : 1);
}

void CheckBox::OwnKeyPress(int ascii) {
    if (ascii == ' ') OwnClick();
}

// ---- LineControl -------------------------------------------------------------------------

LineControl::LineControl(QString name) : Control(ControlKind::Line, std::move(name)) {
    Place();
}

std::unique_ptr<Control> LineControl::CloneForArray() const {
    return std::unique_ptr<LineControl>(new LineControl(*this));
}

void LineControl::Place() {
    // The rectangle covers both ends and the pen's width, so the renderer and hit tests of
    // neighbours see where the line is.
    const int half = border_.width / 2;
    const QRect r = QRect(p1_, p2_).normalized().adjusted(-half, -half, half, half);
    SetPixelRect(QRect(r.topLeft(), r.size()));
    Changed();
}

void LineControl::SetX1(double twips) {
    p1_.setX(TwipsToPixels(twips));
    Place();
}
void LineControl::SetY1(double twips) {
    p1_.setY(TwipsToPixels(twips));
    Place();
}
void LineControl::SetX2(double twips) {
    p2_.setX(TwipsToPixels(twips));
    Place();
}
void LineControl::SetY2(double twips) {
    p2_.setY(TwipsToPixels(twips));
    Place();
}
void LineControl::SetBorderColor(OleColor color) {
    border_.color = color;
    Changed();
}
void LineControl::SetBorderWidth(int width) {
    CheckRange(width, 1, 8192);
    border_.width = width;
    Place();
}
void LineControl::SetBorderStyle(int style) {
    CheckRange(style, 0, 6);
    border_.style = style;
    Changed();
}

// ---- ShapeControl ------------------------------------------------------------------------

ShapeControl::ShapeControl(QString name) : Control(ControlKind::Shape, std::move(name)) {
    SetPixelRect(QRect(0, 0, 65, 65));
}

std::unique_ptr<Control> ShapeControl::CloneForArray() const {
    return std::unique_ptr<ShapeControl>(new ShapeControl(*this));
}

void ShapeControl::SetShape(int shape) {
    CheckRange(shape, 0, 5);
    shape_ = shape;
    Changed();
}
void ShapeControl::SetBackStyle(int style) {
    CheckRange(style, 0, 1);
    backStyle_ = style;
    Changed();
}
void ShapeControl::SetBackColor(OleColor color) {
    backColor_ = color;
    Changed();
}
void ShapeControl::SetFillColor(OleColor color) {
    fillColor_ = color;
    Changed();
}
void ShapeControl::SetFillStyle(int style) {
    CheckRange(style, 0, 7);
    fillStyle_ = style;
    Changed();
}
void ShapeControl::SetBorderColor(OleColor color) {
    border_.color = color;
    Changed();
}
void ShapeControl::SetBorderWidth(int width) {
    CheckRange(width, 1, 8192);
    border_.width = width;
    Changed();
}
void ShapeControl::SetBorderStyle(int style) {
    CheckRange(style, 0, 6);
    border_.style = style;
    Changed();
}

QRect ShapeControl::FigureRect() const {
    const QSize size = PixelRect().size();
    if (shape_ != Square && shape_ != Circle && shape_ != RoundedSquare)
        return QRect(QPoint(0, 0), size);
    const int side = std::min(size.width(), size.height());
    return QRect((size.width() - side) / 2, (size.height() - side) / 2, side, side);
}

// ---- TextBox -----------------------------------------------------------------------------

TextBox::TextBox(QString name)
    : StyledControl(ControlKind::TextBox, std::move(name), kSysWindowBackground, kSysWindowText) {
    SetPixelRect(QRect(0, 0, 100, 21));
}

std::unique_ptr<Control> TextBox::CloneForArray() const {
    return std::unique_ptr<TextBox>(new TextBox(*this));
}

void TextBox::Replace(int start, int length, const QString& with) {
    const QString before = text_;
    text_.replace(start, length, with);
    selStart_ = start + int(with.size());
    selLength_ = 0;
    Changed();
    if (text_ != before) Raise(onChange, *this);
}

void TextBox::SetText(const QString& text) {
    if (text == text_) return;
    Replace(0, int(text_.size()), text);
    selStart_ = 0;
}

void TextBox::SetMaxLength(int length) {
    if (length < 0) InvalidValue();
    maxLength_ = length;
}

void TextBox::SetPasswordChar(const QString& ch) {
    if (ch.size() > 1) InvalidValue();
    passwordChar_ = ch;
    Changed();
}

void TextBox::SetMultiLine(bool on) {
    multiLine_ = on;
    Changed();
}

void TextBox::SetAlignment(int alignment) {
    CheckRange(alignment, 0, 2);
    alignment_ = alignment;
    Changed();
}

void TextBox::SetBorderStyle(int style) {
    CheckRange(style, 0, 1);
    borderStyle_ = style;
    Changed();
}

void TextBox::SetSelStart(int start) {
    if (start < 0) InvalidValue();
    selStart_ = std::min(start, int(text_.size()));
    selLength_ = 0;
    Changed();
}

void TextBox::SetSelLength(int length) {
    if (length < 0) InvalidValue();
    selLength_ = std::min(length, int(text_.size()) - selStart_);
    Changed();
}

void TextBox::SetSelText(const QString& text) {
    Replace(selStart_, selLength_, text);
}

QString TextBox::DisplayText() const {
    if (passwordChar_.isEmpty() || multiLine_) return text_;
    return QString(text_.size(), passwordChar_[0]);
}

void TextBox::OwnMouseDown(QPoint local, int button) {
    if (button != kLeftButton) return;
    // The caret goes to the character boundary nearest the pointer on the line under it.
    const QFontMetrics metrics(MakeQFont(Font()));
    const QString shown = DisplayText();
    const QStringList lines = multiLine_ ? shown.split(QStringLiteral("\r\n")) : QStringList{shown};
    const int b = BorderPixels() + 1;
    const int lineNo =
        std::clamp((local.y() - b) / std::max(1, metrics.height()), 0, int(lines.size()) - 1);
    int offset = 0;
    for (int i = 0; i < lineNo; ++i) offset += int(lines[i].size()) + 2;
    const QString& line = lines[lineNo];
    int pos = 0;
    while (pos < line.size() && metrics.horizontalAdvance(line.left(pos)) +
                                        metrics.horizontalAdvance(line.mid(pos, 1)) / 2 <
                                    local.x() - b)
        ++pos;
    selStart_ = offset + pos;
    selLength_ = 0;
    Changed();
}

void TextBox::OwnKeyDown(int keyCode, int shift) {
    (void)shift;
    const int size = int(text_.size());
    switch (keyCode) {
        case 0x25:  // left
            SetSelStart(std::max(0, selStart_ - 1));
            break;
        case 0x27:  // right
            SetSelStart(std::min(size, selStart_ + selLength_ + (selLength_ ? 0 : 1)));
            break;
        case 0x24:  // home
            SetSelStart(0);
            break;
        case 0x23:  // end
            SetSelStart(size);
            break;
        case 0x2E:  // delete
            if (locked_) break;
            if (selLength_)
                Replace(selStart_, selLength_, QString());
            else if (selStart_ < size)
                Replace(selStart_,
                        selStart_ + 1 < size && text_.mid(selStart_, 2) == "\r\n" ? 2 : 1,
                        QString());
            break;
        default:
            break;
    }
}

void TextBox::OwnKeyPress(int ascii) {
    if (locked_) return;
    if (ascii == 8) {
        if (selLength_) {
            Replace(selStart_, selLength_, QString());
        } else if (selStart_ > 0) {
            const int n = selStart_ >= 2 && text_.mid(selStart_ - 2, 2) == "\r\n" ? 2 : 1;
            Replace(selStart_ - n, n, QString());
        }
        return;
    }
    QString insert;
    if (ascii == 13) {
        if (!multiLine_) return;
        insert = QStringLiteral("\r\n");
    } else if (ascii >= 32 && ascii != 127) {
        insert = QString(QChar(ascii));
    } else {
        return;
    }
    // Typing never makes the text longer than MaxLength.
    if (maxLength_ > 0 && text_.size() - selLength_ + insert.size() > maxLength_) return;
    Replace(selStart_, selLength_, insert);
}

// ---- ListBox -----------------------------------------------------------------------------

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
    if (row < -1 || row >= int(rows_.size()) || (row == -1 && index != -1)) InvalidValue();
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
    if (raiseClick) Raise(onClick, *this);
}

QString ListBox::Text() const {
    return selected_ >= 0 && selected_ < int(rows_.size()) ? rows_[selected_].text : QString();
}

void ListBox::AddItem(const QString& text, int index) {
    int at = int(rows_.size());
    if (index >= 0) {
        if (index > int(rows_.size())) InvalidCall();
        at = index;
    } else if (index < -1) {
        InvalidCall();
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
    if (index < 0 || index >= int(rows_.size())) InvalidCall();
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
    if (index < 0) InvalidValue();
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

// ---- FileListBox -------------------------------------------------------------------------

namespace {

QString CleanFolder(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QDir(p).absolutePath());
}

// "*.bmp;*.jpg" to one case-insensitive expression (file names on the original's disks do not
// differ by case).
QRegularExpression PatternExpression(const QString& pattern) {
    QStringList parts;
    for (const QString& part : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString p = part.trimmed();
        if (p == QLatin1String("*.*")) p = QStringLiteral("*");  // also names without a dot
        parts << QRegularExpression::wildcardToRegularExpression(
                     p, QRegularExpression::UnanchoredWildcardConversion)
                     .prepend(QLatin1String("(?:"))
                     .append(QLatin1Char(')'));
    }
    if (parts.isEmpty()) parts << QStringLiteral("(?:.*)");
    return QRegularExpression(
        QStringLiteral("\\A(?:") + parts.join(QLatin1Char('|')) + QStringLiteral(")\\z"),
        QRegularExpression::CaseInsensitiveOption);
}

}  // namespace

FileListBox::FileListBox(QString name) : ListBox(ControlKind::FileListBox, std::move(name)) {
    path_ = CleanFolder(QDir::currentPath());
    Reload();
}

std::unique_ptr<Control> FileListBox::CloneForArray() const {
    return std::unique_ptr<FileListBox>(new FileListBox(*this));
}

void FileListBox::Reload() {
    const QRegularExpression match = PatternExpression(pattern_);
    std::vector<Row> rows;
    const QFileInfoList entries =
        QDir(path_).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& info : entries)
        if (match.match(info.fileName()).hasMatch()) rows.push_back(Row{info.fileName(), 0});
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return CompareRows(a.text, b.text) < 0; });
    ReplaceRows(std::move(rows), -1);
}

void FileListBox::SetPath(const QString& path) {
    const QString folder = CleanFolder(path);
    if (!QFileInfo(folder).isDir())
        throw ControlError(kErrPathNotFound, QStringLiteral("Path not found"));
    const bool changed = folder != path_;
    path_ = folder;
    Reload();
    if (changed) Raise(onPathChange, *this);
}

void FileListBox::SetPattern(const QString& pattern) {
    const bool changed = pattern != pattern_;
    pattern_ = pattern;
    Reload();
    if (changed) Raise(onPatternChange, *this);
}

void FileListBox::SetFileName(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const int slash = int(n.lastIndexOf(QLatin1Char('/')));
    if (slash >= 0) {
        SetPath(slash == 0 ? QStringLiteral("/") : n.left(slash));
        n = n.mid(slash + 1);
    }
    if (n.isEmpty()) return;
    if (n.contains(QLatin1Char('*')) || n.contains(QLatin1Char('?'))) {
        SetPattern(n);
        return;
    }
    for (int i = 0; i < int(rows_.size()); ++i)
        if (CompareRows(rows_[i].text, n) == 0) {
            SelectRow(i, true);
            return;
        }
}

// ---- DirListBox --------------------------------------------------------------------------

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
    const QString folder = CleanFolder(path);
    if (!QFileInfo(folder).isDir())
        throw ControlError(kErrPathNotFound, QStringLiteral("Path not found"));
    const bool changed = folder != path_;
    path_ = folder;
    Reload();
    if (changed) Raise(onChange, *this);
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

// ---- DriveListBox ------------------------------------------------------------------------

DriveListBox::DriveListBox(QString name)
    : StyledControl(ControlKind::DriveListBox, std::move(name), kSysWindowBackground,
                    kSysWindowText),
      drive_(Drives().value(0)) {
    SetPixelRect(QRect(0, 0, 120, 21));
}

std::unique_ptr<Control> DriveListBox::CloneForArray() const {
    return std::unique_ptr<DriveListBox>(new DriveListBox(*this));
}

QStringList DriveListBox::Drives() {
    return {QStringLiteral("/")};
}

void DriveListBox::SetDrive(const QString& drive) {
    // A drive is named by its start, as "c:" names "c: [label]".
    for (const QString& d : Drives())
        if (!drive.isEmpty() && d.startsWith(drive.left(d.size()), Qt::CaseInsensitive) &&
            drive.startsWith(d, Qt::CaseInsensitive)) {
            const bool changed = d != drive_;
            drive_ = d;
            Changed();
            if (changed) Raise(onChange, *this);
            return;
        }
    throw ControlError(kErrDeviceUnavailable, QStringLiteral("Device unavailable"));
}

}  // namespace storyloom::forms
