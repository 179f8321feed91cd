#include "platform/ini/IniFile.h"

#include <QStringList>
#include <optional>

#include "platform/files/FileSystem.h"
#include "platform/text/Codepage1252.h"

namespace storyloom {

namespace {

// The profile reader hands back at most one character less than its 255-character buffer.
constexpr qsizetype kMaxValueLength = 254;

QStringList SplitLines(const QByteArray& bytes) {
    QStringList lines = FromCp1252(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    }
    return lines;
}

// The section a line opens, or nullopt when it is no section line.
std::optional<QString> SectionName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('['))) return std::nullopt;
    qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0) close = t.size();
    return t.mid(1, close - 1).trimmed();
}

bool IsComment(const QString& line) {
    return line.trimmed().startsWith(QLatin1Char(';'));
}

// Splits "key = value" into its trimmed key and value; false for lines without "=".
bool SplitKeyLine(const QString& line, QString* key, QString* value) {
    if (IsComment(line)) return false;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return true;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first line opening `section`, or -1.
qsizetype FindSection(const QStringList& lines, const QString& section) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<QString> name = SectionName(lines[i]);
        if (name && SameName(*name, section)) return i;
    }
    return -1;
}

}  // namespace

QString IniLookup(const QByteArray& contents, const QString& section, const QString& key) {
    if (section.trimmed().isEmpty() || key.trimmed().isEmpty()) return {};
    const QStringList lines = SplitLines(contents);
    const qsizetype start = FindSection(lines, section.trimmed());
    if (start < 0) return {};
    const QString wanted = key.trimmed();
    for (qsizetype i = start + 1; i < lines.size(); ++i) {
        if (SectionName(lines[i])) break;
        QString k, v;
        if (!SplitKeyLine(lines[i], &k, &v) || !SameName(k, wanted)) continue;
        // A value in matching quotes is given without them.
        if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
            v.back() == v.front()) {
            v = v.mid(1, v.size() - 2);
        }
        return v.left(kMaxValueLength);
    }
    return {};
}

std::optional<QByteArray> IniUpdate(const QByteArray& contents, const QString& section,
                                    const QString& key, const QString& value) {
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    // Names that the file format cannot hold would turn into other sections or keys.
    if (s.isEmpty() || k.isEmpty() || s.contains(QLatin1Char(']')) ||
        k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char('[')) ||
        k.startsWith(QLatin1Char(';'))) {
        return std::nullopt;
    }
    for (const QString* name : {&s, &k}) {
        if (name->contains(QLatin1Char('\r')) || name->contains(QLatin1Char('\n'))) {
            return std::nullopt;
        }
    }
    // A line break in the value would start a new line that reads as another key.
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString newLine = k + QLatin1Char('=') + v;

    QStringList lines = SplitLines(contents);
    const qsizetype start = FindSection(lines, s);
    if (start < 0) {
        lines.append(QLatin1Char('[') + s + QLatin1Char(']'));
        lines.append(newLine);
    } else {
        qsizetype insertAt = start + 1;
        bool replaced = false;
        for (qsizetype i = start + 1; i < lines.size(); ++i) {
            if (SectionName(lines[i])) break;
            QString lk, lv;
            if (SplitKeyLine(lines[i], &lk, &lv) && SameName(lk, k)) {
                lines[i] = newLine;
                replaced = true;
                break;
            }
            if (!lines[i].trimmed().isEmpty()) insertAt = i + 1;
        }
        if (!replaced) lines.insert(insertAt, newLine);
    }
    QByteArray out;
    for (const QString& line : lines) {
        out.append(ToCp1252(line));
        out.append("\r\n");
    }
    return out;
}

QString ReadIniValue(const FileSystem& fs, const QString& file, const QString& section,
                     const QString& key) {
    const std::optional<QByteArray> bytes = fs.ReadAll(file);
    if (!bytes) return {};
    return IniLookup(*bytes, section, key);
}

bool WriteIniValue(const FileSystem& fs, const QString& file, const QString& section,
                   const QString& key, const QString& value) {
    std::optional<QByteArray> bytes = fs.ReadAll(file);
    if (!bytes) {
        if (!fs.FileExists(file).isEmpty()) return false;  // there, but unreadable: keep it
        bytes = QByteArray();
    }
    const std::optional<QByteArray> updated = IniUpdate(*bytes, section, key, value);
    return updated && fs.WriteAll(file, *updated);
}

}  // namespace storyloom
