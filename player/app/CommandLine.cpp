#include "app/CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace storyloom {

namespace {

// A name in `dir` matching `name` in any letter case, as a Windows-made game expects.
QString FindEntry(const QDir& dir, const QString& name, QDir::Filters filter) {
    for (const QString& entry : dir.entryList(filter | QDir::NoDotAndDotDot | QDir::Hidden))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return {};
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& args) {
    CommandLine c;
    if (args.isEmpty()) return c;
    const QString& first = args.first();
    if (first == QLatin1String("--walkthrough")) {
        c.action = CommandLine::Action::Walkthrough;
        return c;
    }
    if (first == QLatin1String("--random-walk")) {
        c.action = CommandLine::Action::RandomWalk;
        return c;
    }
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        c.action = CommandLine::Action::Help;
        return c;
    }
    if (args.contains(QLatin1String("--version"))) {
        c.action = CommandLine::Action::Version;
        return c;
    }
    QStringList rest = args;
    if (first == QLatin1String("--info")) {
        c.action = CommandLine::Action::Info;
        rest.removeFirst();
    }
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString& a = rest[i];
        if (c.action == CommandLine::Action::Play &&
            (a == QLatin1String("--fullscreen") || a == QLatin1String("--window"))) {
            c.fullScreen = a == QLatin1String("--fullscreen");
            continue;
        }
        if (c.action == CommandLine::Action::Play && a == QLatin1String("--scale")) {
            static const QStringList kModes = {QStringLiteral("original"), QStringLiteral("sharp"),
                                               QStringLiteral("smooth"), QStringLiteral("stretch")};
            const QString mode = i + 1 < rest.size() ? rest[i + 1].toLower() : QString();
            if (!kModes.contains(mode)) {
                c.action = CommandLine::Action::Mistake;
                c.error = QStringLiteral("--scale needs original, sharp, smooth or stretch");
                return c;
            }
            c.scale = mode;
            ++i;
            continue;
        }
        if (a.startsWith(u'-') && a != QLatin1String("-")) {
            c.action = CommandLine::Action::Mistake;
            c.error = QStringLiteral("unknown option %1").arg(a);
            return c;
        }
        if (!c.folder.isEmpty()) {
            c.action = CommandLine::Action::Mistake;
            c.error = QStringLiteral("one game folder at a time (%1 and %2)").arg(c.folder, a);
            return c;
        }
        c.folder = a;
    }
    return c;
}

ViewPreference LoadViewPreference(const QString& gameFolder) {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("storyloom"),
                    QStringLiteral("view"));
    store.beginGroup(QString::fromLatin1(QDir(gameFolder).absolutePath().toUtf8().toHex()));
    ViewPreference p;
    p.windowed = store.value(QStringLiteral("windowed"), p.windowed).toString();
    p.fullScreen = store.value(QStringLiteral("fullScreen"), p.fullScreen).toString();
    p.fullScreenOn = store.value(QStringLiteral("fullScreenOn"), p.fullScreenOn).toBool();
    return p;
}

void SaveViewPreference(const QString& gameFolder, const ViewPreference& preference) {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("storyloom"),
                    QStringLiteral("view"));
    store.beginGroup(QString::fromLatin1(QDir(gameFolder).absolutePath().toUtf8().toHex()));
    store.setValue(QStringLiteral("windowed"), preference.windowed);
    store.setValue(QStringLiteral("fullScreen"), preference.fullScreen);
    store.setValue(QStringLiteral("fullScreenOn"), preference.fullScreenOn);
}

QString UsageText() {
    return QStringLiteral(
        "usage: run [--fullscreen | --window] [--scale MODE] [FOLDER]\n"
        "                                     play the game in FOLDER (or the program's own;\n"
        "                                     without either, choose one in the launcher);\n"
        "                                     MODE is original, sharp, smooth or stretch\n"
        "       run --info [FOLDER]           print what the player finds in the game\n"
        "       run --walkthrough FILE [--out DIR] [--scale MODE [--size WxH]] [FOLDER]\n"
        "                                     play the game headless from a walkthrough file\n"
        "       run --random-walk [--seed S] [--walks N] [--commands N] [--damage FILES]\n"
        "                         [--verbose] [FOLDER]\n"
        "                                     random walkthroughs over the game\n"
        "       run --help | --version\n");
}

QString VersionText() {
    return QStringLiteral("storyloom %1").arg(QStringLiteral(STORYLOOM_VERSION));
}

QString NotAGameFolder(const QString& folder) {
    const QString& shown = folder;
    const QFileInfo info(folder);
    if (!info.isDir())
        return QStringLiteral("%1 is not a game folder: it is not a folder").arg(shown);
    const QString config = FindEntry(QDir(folder), QStringLiteral("Config"), QDir::Dirs);
    if (config.isEmpty() ||
        FindEntry(QDir(folder + u'/' + config), QStringLiteral("General"), QDir::Files).isEmpty())
        return QStringLiteral("%1 is not a game folder: Config/General is missing").arg(shown);
    return {};
}

}  // namespace storyloom
