#include "platform/forms/controls/FileListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "platform/forms/CommonProperties.h"

namespace storyloom::forms {

namespace {

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
    const QString folder = ExistingFolder(path);
    const bool changed = folder != path_;
    path_ = folder;
    Reload();
    if (changed) RaiseEvent(onPathChange, *this);
}

void FileListBox::SetPattern(const QString& pattern) {
    const bool changed = pattern != pattern_;
    pattern_ = pattern;
    Reload();
    if (changed) RaiseEvent(onPatternChange, *this);
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

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("FileListBox"));
    AddCommonProperties(t, true);
    AddStyleProperties(t);
    AddListProperties(t, false);
    t.Add(Member<FileListBox>("Path", PropertyType::String, &FileListBox::Path,
                              &FileListBox::SetPath));
    t.Add(Member<FileListBox>("Pattern", PropertyType::String, &FileListBox::Pattern,
                              &FileListBox::SetPattern));
    t.Add(Member<FileListBox>("FileName", PropertyType::String, &FileListBox::FileName,
                              &FileListBox::SetFileName));
    t.Override(MethodInfo{"Refresh", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                              // A file list shows the folder as it is now.
                              As<FileListBox>(c).Reload();
                              c.Refresh();
                              return PropertyValue();
                          }});
    t.SetDefault("FileName");
    return t;
}

const PropertyTableRegistration registration(ControlKind::FileListBox, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
