#include "app/walkthrough/RandomWalk.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <vector>

#include "app/walkthrough/Walkthrough.h"

namespace storyloom {

namespace {

// The raw output of the standard engine is the same everywhere; the standard distributions are
// not, so ranges are cut from it by hand.
class Dice {
  public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}
    int Below(int n) { return n <= 1 ? 0 : static_cast<int>(engine_() % std::uint32_t(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool OneIn(int n) { return Below(n) == 0; }
    template <class T>
    const T& Pick(const std::vector<T>& v) {
        return v[static_cast<size_t>(Below(static_cast<int>(v.size())))];
    }

  private:
    std::mt19937 engine_;
};

const std::vector<QString> kKeys = {"Escape", "Enter", "Space", "F1", "F9", "F10",  "F11",
                                    "F12",    "L",     "S",     "Q",  "A",  "Left", "Tab"};
const std::vector<QString> kAnswers = {
    "OK",    "Cancel", "Yes",
    "No",    "Retry",  "Ignore",
    "Abort", "Keeper", QString::fromUtf8("\xc3\xa9t\xc3\xa9 \"quoted\"")};

long ResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

bool CopyFolder(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(file, target)) return false;
    }
    return true;
}

}  // namespace

QString RandomWalkText(std::uint32_t seed, const RandomWalkOptions& o) {
    Dice dice(seed);
    QStringList lines{QStringLiteral("start")};
    const int w = std::max(1, o.picture.width()), h = std::max(1, o.picture.height());
    // A little outside the picture too: clicks beside it and on its edges.
    auto x = [&] { return dice.Between(-20, w + 20); };
    auto y = [&] { return dice.Between(-20, h + 20); };
    for (int i = 0; i < o.commands; ++i) {
        switch (dice.Below(13)) {
            case 0:
            case 1:
                lines << QStringLiteral("click %1").arg(dice.Between(1, std::max(1, o.hotspots)));
                break;
            case 2:
            case 3:
                lines << QStringLiteral("click %1 %2").arg(x()).arg(y());
                break;
            case 4:
                lines << QStringLiteral("rclick %1 %2").arg(x()).arg(y());
                break;
            case 5: {
                // A press and its release, perhaps somewhere else and with things between.
                const bool right = dice.OneIn(4);
                lines
                    << QStringLiteral("press %1 %2%3").arg(x()).arg(y()).arg(right ? " right" : "");
                if (dice.OneIn(2)) lines << QStringLiteral("wait %1").arg(dice.Between(0, 400));
                if (dice.OneIn(3)) lines << QStringLiteral("answer %1").arg(dice.Pick(kAnswers));
                lines << QStringLiteral("release %1 %2%3")
                             .arg(x())
                             .arg(y())
                             .arg(right ? " right" : "");
                break;
            }
            case 6:
            case 7: {
                QString line = QStringLiteral("key ") + dice.Pick(kKeys);
                if (dice.OneIn(3)) line += QStringLiteral(" ctrl");
                if (dice.OneIn(6)) line += QStringLiteral(" shift");
                lines << line;
                break;
            }
            case 8:
                if (!o.menus.isEmpty())
                    lines << QStringLiteral("menu ") +
                                 dice.Pick(std::vector<QString>(o.menus.begin(), o.menus.end()));
                break;
            case 9:
            case 10:
                lines << QStringLiteral("wait %1").arg(dice.OneIn(5) ? dice.Between(1000, 20000)
                                                                     : dice.Between(0, 600));
                break;
            case 11:
                lines << QStringLiteral("answer %1").arg(dice.Pick(kAnswers));
                break;
            default:
                // After the game has ended, the welcome window is back: start again.
                lines << QStringLiteral("start");
                break;
        }
    }
    return lines.join(u'\n') + u'\n';
}

QStringList DamageGameFolder(const QString& folder, std::uint32_t seed, int files) {
    Dice dice(seed);
    std::vector<QString> all;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (!file.endsWith(QStringLiteral("/Config/General"))) all.push_back(file);
    }
    std::sort(all.begin(), all.end());
    QStringList done;
    for (int n = 0; n < files && !all.empty(); ++n) {
        const QString file = dice.Pick(all);
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            all.erase(std::find(all.begin(), all.end(), file));
            continue;
        }
        QByteArray bytes = f.readAll();
        f.close();
        const QString name = file.mid(folder.size() + 1);
        switch (dice.Below(4)) {
            case 0:
                bytes.truncate(dice.Below(static_cast<int>(bytes.size()) + 1));
                done << QStringLiteral("%1 cut to %2 bytes").arg(name).arg(bytes.size());
                break;
            case 1:
            case 2: {
                const int count = dice.Between(1, 16);
                for (int k = 0; k < count && !bytes.isEmpty(); ++k)
                    bytes[dice.Below(static_cast<int>(bytes.size()))] =
                        static_cast<char>(dice.Below(256));
                done << QStringLiteral("%1 with %2 bytes changed").arg(name).arg(count);
                break;
            }
            default:
                QFile::remove(file);
                all.erase(std::find(all.begin(), all.end(), file));  // never picked again
                done << QStringLiteral("%1 removed").arg(name);
                continue;
        }
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
    }
    return done;
}

int RunRandomWalkCommand(const QStringList& args, const QString& defaultFolder) {
    QTextStream out(stdout);
    std::uint32_t seed = 1;
    int walks = 10, damage = 0;
    RandomWalkOptions options;
    QString folder = defaultFolder;
    bool verbose = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto number = [&](int lo, int hi, int* target) {
            bool ok = false;
            const int v = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (!ok || v < lo || v > hi) return false;
            *target = v;
            ++i;
            return true;
        };
        int value = 0;
        if (a == u"--seed" && number(0, 2147483647, &value)) {
            seed = static_cast<std::uint32_t>(value);
        } else if (a == u"--walks" && number(1, 1000000, &walks)) {
        } else if (a == u"--commands" && number(1, 10000000, &options.commands)) {
        } else if (a == u"--damage" && number(1, 100, &damage)) {
        } else if (a == u"--verbose") {
            verbose = true;
        } else if (!a.startsWith(u'-')) {
            folder = QDir(a).absolutePath();
        } else {
            QTextStream(stderr) << "usage: run --random-walk [--seed S] [--walks N] [--commands N]"
                                   " [--damage FILES] [--verbose] [FOLDER]\n";
            return 2;
        }
    }
    RandomWalkReport report;
    for (int n = 0; n < walks; ++n) {
        const std::uint32_t walkSeed = seed + static_cast<std::uint32_t>(n);
        QString game = folder;
        std::optional<QTemporaryDir> copy;
        if (damage > 0) {
            copy.emplace();
            game = copy->path() + QStringLiteral("/game");
            if (!CopyFolder(folder, game)) {
                QTextStream(stderr) << "cannot copy " << folder << "\n";
                return 1;
            }
            DamageGameFolder(game, walkSeed, damage);
        }
        QTemporaryDir shots;
        Walkthrough walk(shots.path(), [&](const QString& line) {
            if (verbose) out << line << Qt::endl;
        });
        if (verbose) out << RandomWalkText(walkSeed, options);
        if (walk.Open(game)) {
            walk.RunText(RandomWalkText(walkSeed, options));
            report.commands += options.commands;
        }
        ++report.walks;
        if (n == 0) report.rssStartKb = ResidentKb();
    }
    report.rssEndKb = ResidentKb();
    out << QStringLiteral(
               "%1 random walks, %2 commands, seeds %3 to %4%5; memory %6 KB after the "
               "first, %7 KB after the last")
               .arg(report.walks)
               .arg(report.commands)
               .arg(seed)
               .arg(seed + static_cast<std::uint32_t>(walks) - 1)
               .arg(damage > 0 ? QStringLiteral(", %1 damaged files each").arg(damage) : QString())
               .arg(report.rssStartKb)
               .arg(report.rssEndKb)
        << Qt::endl;
    return 0;
}

}  // namespace storyloom
