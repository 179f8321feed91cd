#include "platform/settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <optional>
#include <utility>
#include <vector>

#include "platform/files/FileSystem.h"

namespace storyloom {

namespace {

struct Section {
    QString name;
    std::vector<std::pair<QString, QString>> entries;
};
using SettingsFile = std::vector<Section>;

// Percent-escapes "%", line breaks and the characters that would end the name in question.
QString Escape(const QString& text, QLatin1StringView specials) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
            specials.contains(c)) {
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        } else {
            out += c;
        }
    }
    return out;
}

QString Unescape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%') && i + 2 < text.size()) {
            bool ok = false;
            const int code = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

constexpr QLatin1StringView kSectionSpecials("[]");
constexpr QLatin1StringView kKeySpecials("[=;");

SettingsFile Parse(const QByteArray& bytes) {
    SettingsFile file;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
            file.push_back({Unescape(line.mid(1, (close < 0 ? line.size() : close) - 1)), {}});
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || file.empty()) continue;
        file.back().entries.emplace_back(Unescape(line.left(eq)), Unescape(line.mid(eq + 1)));
    }
    return file;
}

QByteArray Serialize(const SettingsFile& file) {
    QString out;
    for (const Section& section : file) {
        out += QLatin1Char('[') + Escape(section.name, kSectionSpecials) + QStringLiteral("]\n");
        for (const auto& [key, value] : section.entries) {
            out += Escape(key, kKeySpecials) + QLatin1Char('=') +
                   Escape(value, QLatin1StringView()) + QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

bool Same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QByteArray> ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.readAll();
}

QString DefaultFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative value.
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/storyloom");
}

}  // namespace

FileSettingsStore::FileSettingsStore(QString folder)
    : folder_(folder.isEmpty() ? DefaultFolder() : std::move(folder)) {}

QString FileSettingsStore::FilePath(const QString& application) const {
    // One file per application; the name is reduced to harmless characters.
    QString name;
    for (const QChar c : application.toLower()) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                           c == QLatin1Char('-') || c == QLatin1Char('_');
        name += plain ? c : QLatin1Char('_');
    }
    if (name.isEmpty()) name = QStringLiteral("_");
    return folder_ + QLatin1Char('/') + name + QStringLiteral(".ini");
}

QString FileSettingsStore::Get(const QString& application, const QString& section,
                               const QString& key, const QString& defaultValue) const {
    const std::optional<QByteArray> bytes = ReadFile(FilePath(application));
    if (!bytes) return defaultValue;
    for (const Section& s : Parse(*bytes)) {
        if (!Same(s.name, section)) continue;
        for (const auto& [k, v] : s.entries) {
            if (Same(k, key)) return v;
        }
    }
    return defaultValue;
}

void FileSettingsStore::Save(const QString& application, const QString& section, const QString& key,
                             const QString& value) {
    TrySave(application, section, key, value);
}

bool FileSettingsStore::TrySave(const QString& application, const QString& section,
                                const QString& key, const QString& value) {
    const QString path = FilePath(application);
    if (!QDir().mkpath(folder_)) return false;
    SettingsFile file;
    if (const std::optional<QByteArray> bytes = ReadFile(path)) {
        file = Parse(*bytes);
    } else if (QFile::exists(path)) {
        return false;  // there but unreadable: rewriting it would lose what it holds
    }
    Section* target = nullptr;
    for (Section& s : file) {
        if (Same(s.name, section)) {
            target = &s;
            break;
        }
    }
    if (!target) {
        file.push_back({section, {}});
        target = &file.back();
    }
    bool found = false;
    for (auto& [k, v] : target->entries) {
        if (Same(k, key)) {
            v = value;
            found = true;
            break;
        }
    }
    if (!found) target->entries.emplace_back(key, value);
    return WriteFileAtomically(path, Serialize(file));
}

QString MemorySettingsStore::Get(const QString& application, const QString& section,
                                 const QString& key, const QString& defaultValue) const {
    const QString id =
        (application + QLatin1Char('\\') + section + QLatin1Char('\\') + key).toLower();
    const auto it = values.find(id);
    return it == values.end() ? defaultValue : it->second;
}

void MemorySettingsStore::Save(const QString& application, const QString& section,
                               const QString& key, const QString& value) {
    values[(application + QLatin1Char('\\') + section + QLatin1Char('\\') + key).toLower()] = value;
}

}  // namespace storyloom
