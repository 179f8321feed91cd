#pragma once
// Random walkthroughs: a player who clicks, presses and releases, right-clicks, types keys and
// shortcuts, opens menus, waits and answers boxes at random, for as long as asked. The same
// seed gives the same walk on every machine. Run with the walkthrough runner over a game (and
// over damaged copies of it), they look for crashes, hangs and growing memory; whether the
// walk's own lines succeed does not matter.
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace storyloom {

struct RandomWalkOptions {
    int commands = 300;
    // The frame picture's size, for points to click.
    QSize picture = QSize(800, 600);
    // Hotspot numbers to click by number: 1 to this.
    int hotspots = 12;
    // Menu captions to choose from.
    QStringList menus = {QStringLiteral("Exit"),
                         QStringLiteral("Load game"),
                         QStringLiteral("Save game"),
                         QStringLiteral("Options"),
                         QStringLiteral("Disable Transitions"),
                         QStringLiteral("Disable Real-Time Effects")};
};

// The walk of `seed`: "start", then `options.commands` random lines.
QString RandomWalkText(std::uint32_t seed, const RandomWalkOptions& options);

// Damages a copy of a game folder for the damaged-data trials: truncates, overwrites bytes of,
// or removes `files` files chosen from `seed` (never the project information file, without
// which no game starts). Returns what it did, one line a file.
QStringList DamageGameFolder(const QString& folder, std::uint32_t seed, int files);

struct RandomWalkReport {
    int walks = 0;
    long long commands = 0;
    long rssStartKb = 0;  // resident memory after the first walk
    long rssEndKb = 0;    // after the last
};

// `run --random-walk [--seed S] [--walks N] [--commands N] [--damage N] [FOLDER]`: plays N
// random walks (seeds S, S+1, ...) headless, each over the game or, with --damage, over a
// freshly damaged copy of it; prints one summary line and returns 0 unless a walk could not
// run. A crash or a hang shows as the process dying or never ending.
int RunRandomWalkCommand(const QStringList& args, const QString& defaultFolder);

}  // namespace storyloom
