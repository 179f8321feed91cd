#include "app/CommandLine.h"

#include <QDir>
#include <QFileInfo>

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
    for (const QString& a : rest) {
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

QString UsageText() {
    return QStringLiteral(
        "usage: run [FOLDER]                  play the game in FOLDER (or the program's own)\n"
        "       run --info [FOLDER]           print what the player finds in the game\n"
        "       run --walkthrough FILE [--out DIR] [FOLDER]\n"
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
