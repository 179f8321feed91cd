#include "app/walkthrough/Walkthrough.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/PlayerAssembly.h"
#include "core/BasicConvert.h"
#include "core/PlatformBundle.h"
#include "core/Program.h"
#include "game/Game.h"
#include "game/dialogues/Dialogues.h"
#include "game/discs/RunFromDisc.h"
#include "game/saves/SavedGames.h"
#include "game/video/OneTimeVideo.h"
#include "platform/forms/controls/AnimatedGif.h"
#include "platform/media/GstMediaPlayer.h"
#include "platform/media/PathMappingMediaPlayer.h"
#include "project/ItemFiles.h"

namespace storyloom {

namespace {

QString Rest(const QString& text, int words) {
    // The text after the first `words` words, as written (inner blanks kept).
    int pos = 0;
    for (int w = 0; w < words; ++w) {
        while (pos < text.size() && text[pos].isSpace()) ++pos;
        while (pos < text.size() && !text[pos].isSpace()) ++pos;
    }
    while (pos < text.size() && text[pos].isSpace()) ++pos;
    return text.mid(pos);
}

// A list as written in a walkthrough ("a ,b") in the form the runner prints ("a, b").
QString ListText(const QString& text, QChar separator, const QString& joiner) {
    if (text.trimmed().compare(QStringLiteral("none"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("none");
    QStringList parts = text.split(separator);
    for (QString& part : parts) part = part.trimmed();
    return parts.join(joiner);
}

QJsonArray PixelRectJson(const QRect& r) {
    return QJsonArray{r.left(), r.top(), r.width(), r.height()};
}

bool ToInt(const QString& s, int* out, int min, int max) {
    bool ok = false;
    const qlonglong v = s.toLongLong(&ok);
    if (!ok || v < min || v > max) return false;
    *out = static_cast<int>(v);
    return true;
}

QJsonArray RectJson(const QRect& twips) {
    // Rectangles are reported in pixels of the frame picture area.
    return QJsonArray{twips.left() / 15, twips.top() / 15, twips.width() / 15, twips.height() / 15};
}

QString IconName(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Critical:
            return QStringLiteral("critical");
        case BoxIcon::Question:
            return QStringLiteral("question");
        case BoxIcon::Exclamation:
            return QStringLiteral("exclamation");
        case BoxIcon::Information:
            return QStringLiteral("information");
        case BoxIcon::None:
            break;
    }
    return QStringLiteral("none");
}

}  // namespace

bool WalkCommand::IsExpectation() const {
    switch (kind) {
        case Kind::ExpectFrame:
        case Kind::ExpectVar:
        case Kind::ExpectVisible:
        case Kind::ExpectHidden:
        case Kind::ExpectBox:
        case Kind::ExpectStrip:
        case Kind::ExpectSaves:
        case Kind::ExpectQuestions:
        case Kind::ExpectItems:
        case Kind::ExpectInventory:
        case Kind::ExpectPixel:
        case Kind::ExpectSound:
        case Kind::ExpectVolume:
        case Kind::ExpectVideo:
            return true;
        default:
            return false;
    }
}

std::optional<int> KeyCodeOf(const QString& name) {
    const QString n = name.toLower();
    if (n.size() == 1 && n[0] >= u'a' && n[0] <= u'z') return n[0].unicode() - u'a' + 65;
    if (n.size() == 1 && n[0] >= u'0' && n[0] <= u'9') return n[0].unicode() - u'0' + 48;
    if (n.size() >= 2 && n.size() <= 3 && n[0] == u'f') {
        int f = 0;
        if (ToInt(n.mid(1), &f, 1, 12)) return kKeyF1 + f - 1;
    }
    static const std::pair<const char*, int> kNamed[] = {
        {"escape", kKeyEscape}, {"esc", kKeyEscape}, {"enter", 13},  {"return", 13},
        {"space", 32},          {"tab", 9},          {"left", 37},   {"up", 38},
        {"right", 39},          {"down", 40},        {"delete", 46}, {"backspace", 8}};
    for (const auto& [key, code] : kNamed)
        if (n == QLatin1String(key)) return code;
    return std::nullopt;
}

std::optional<WalkCommand> ParseWalkLine(const QString& text, int line, QString* error) {
    error->clear();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'#')) return std::nullopt;
    const QStringList w = trimmed.split(u' ', Qt::SkipEmptyParts);
    WalkCommand c;
    c.line = line;
    using K = WalkCommand::Kind;
    const QString verb = w[0].toLower();
    auto malformed = [&](const QString& why) {
        *error = why;
        return std::optional<WalkCommand>(c);
    };
    auto words = [&](qsizetype n) { return w.size() == n; };

    if (verb == u"start") {
        if (!words(1)) return malformed(QStringLiteral("start takes nothing after it"));
        c.kind = K::Start;
    } else if (verb == u"load" || verb == u"save") {
        c.kind = verb == u"load" ? K::Load : K::Save;
        c.name = Rest(trimmed, 1);
        if (c.name.isEmpty())
            return malformed(QStringLiteral("%1 needs a saved game's name").arg(verb));
    } else if (verb == u"ask") {
        c.kind = K::Ask;
        c.text = Rest(trimmed, 1);
        if (c.text.isEmpty()) return malformed(QStringLiteral("ask needs a question's text"));
    } else if (verb == u"click" || verb == u"rclick") {
        if (verb == u"click" && words(2)) {
            c.kind = K::ClickHotspot;
            if (!ToInt(w[1], &c.a, 1, 32767))
                return malformed(QStringLiteral("no hotspot number: %1").arg(w[1]));
        } else if (words(3)) {
            c.kind = verb == u"click" ? K::Click : K::RightClick;
            if (!ToInt(w[1], &c.a, -100000, 100000) || !ToInt(w[2], &c.b, -100000, 100000))
                return malformed(QStringLiteral("%1 needs X and Y in pixels").arg(verb));
        } else {
            return malformed(verb == u"click"
                                 ? QStringLiteral("click needs a hotspot number or X and Y")
                                 : QStringLiteral("rclick needs X and Y in pixels"));
        }
    } else if (verb == u"press" || verb == u"release") {
        // One half of a click; "right" after the point presses or releases the right button.
        c.kind = verb == u"press" ? K::Press : K::Release;
        c.shift = static_cast<int>(MouseButton::Left);
        if (w.size() == 4 && w[3].toLower() == u"right")
            c.shift = static_cast<int>(MouseButton::Right);
        else if (!words(3))
            return malformed(
                QStringLiteral("%1 needs X and Y in pixels, then perhaps right").arg(verb));
        if (!ToInt(w[1], &c.a, -100000, 100000) || !ToInt(w[2], &c.b, -100000, 100000))
            return malformed(QStringLiteral("%1 needs X and Y in pixels").arg(verb));
    } else if (verb == u"hover") {
        c.kind = K::Hover;
        if (!words(3) || !ToInt(w[1], &c.a, -100000, 100000) || !ToInt(w[2], &c.b, -100000, 100000))
            return malformed(QStringLiteral("hover needs X and Y in pixels"));
    } else if (verb == u"drag" && w.size() >= 2 && w[1].toLower() == u"item") {
        // drag item N to X Y / drag item N to item M
        c.kind = K::DragItem;
        if (w.size() < 5 || !ToInt(w[2], &c.a, 1, 32767) || w[3].toLower() != u"to")
            return malformed(QStringLiteral("drag item needs N to X Y, or N to item M"));
        if (words(6) && w[4].toLower() == u"item") {
            c.toItem = true;
            if (!ToInt(w[5], &c.c, 1, 32767))
                return malformed(QStringLiteral("no item number: %1").arg(w[5]));
        } else if (!words(6) || !ToInt(w[4], &c.c, -100000, 100000) ||
                   !ToInt(w[5], &c.d, -100000, 100000)) {
            return malformed(QStringLiteral("drag item needs N to X Y, or N to item M"));
        }
    } else if (verb == u"drag") {
        c.kind = K::Drag;
        if (!words(5) || !ToInt(w[1], &c.a, -100000, 100000) ||
            !ToInt(w[2], &c.b, -100000, 100000) || !ToInt(w[3], &c.c, -100000, 100000) ||
            !ToInt(w[4], &c.d, -100000, 100000))
            return malformed(QStringLiteral("drag needs X1 Y1 X2 Y2 in pixels"));
    } else if (verb == u"key") {
        c.kind = K::Key;
        if (w.size() < 2) return malformed(QStringLiteral("key needs a key name"));
        const auto code = KeyCodeOf(w[1]);
        if (!code) return malformed(QStringLiteral("no such key: %1").arg(w[1]));
        c.a = *code;
        c.name = w[1];
        for (qsizetype i = 2; i < w.size(); ++i) {
            const QString m = w[i].toLower();
            if (m == u"ctrl")
                c.shift |= kCtrlMask;
            else if (m == u"shift")
                c.shift |= kShiftMask;
            else if (m == u"alt")
                c.shift |= kAltMask;
            else
                return malformed(QStringLiteral("not ctrl, shift or alt: %1").arg(w[i]));
        }
    } else if (verb == u"menu") {
        c.kind = K::Menu;
        c.name = Rest(trimmed, 1);
        if (c.name.isEmpty()) return malformed(QStringLiteral("menu needs a caption"));
    } else if (verb == u"wait") {
        c.kind = K::Wait;
        if (!words(2) || !ToInt(w[1], &c.a, 0, 24 * 3600 * 1000))
            return malformed(QStringLiteral("wait needs milliseconds"));
    } else if (verb == u"answer") {
        c.kind = K::Answer;
        c.text = Rest(trimmed, 1);
        if (c.text.isEmpty()) return malformed(QStringLiteral("answer needs a button or text"));
    } else if (verb == u"expect") {
        if (w.size() < 2) return malformed(QStringLiteral("expect needs what to expect"));
        const QString what = w[1].toLower();
        if (what == u"frame") {
            c.kind = K::ExpectFrame;
            c.name = Rest(trimmed, 2);
            if (c.name.isEmpty()) return malformed(QStringLiteral("expect frame needs a name"));
        } else if (what == u"var") {
            c.kind = K::ExpectVar;
            if (w.size() < 3) return malformed(QStringLiteral("expect var needs a name"));
            c.name = w[2];
            // The value is the rest of the line as written: variant texts may hold blanks.
            c.text = Rest(text.trimmed(), 3);
        } else if (what == u"visible" || what == u"hidden") {
            c.kind = what == u"visible" ? K::ExpectVisible : K::ExpectHidden;
            if (!words(3) || !ToInt(w[2], &c.a, 1, 32767))
                return malformed(QStringLiteral("expect %1 needs a hotspot number").arg(what));
        } else if (what == u"saves" || what == u"questions") {
            c.kind = what == u"saves" ? K::ExpectSaves : K::ExpectQuestions;
            c.text = Rest(trimmed, 2);
            if (c.text.isEmpty())
                return malformed(QStringLiteral("expect %1 needs a list or none").arg(what));
        } else if (what == u"items") {
            c.kind = K::ExpectItems;
            c.text = Rest(trimmed, 2);
            if (c.text.isEmpty())
                return malformed(QStringLiteral("expect items needs names, or none"));
        } else if (what == u"inventory") {
            c.kind = K::ExpectInventory;
            const QString state = words(3) ? w[2].toLower() : QString();
            if (state != u"open" && state != u"closed")
                return malformed(QStringLiteral("expect inventory needs open or closed"));
            c.a = state == u"open" ? 1 : 0;
        } else if (what == u"pixel") {
            // expect pixel X Y #RRGGBB [±N]
            c.kind = K::ExpectPixel;
            if (w.size() != 5 && w.size() != 6)
                return malformed(QStringLiteral("expect pixel needs X Y #RRGGBB, then perhaps ±N"));
            if (!ToInt(w[2], &c.a, 0, 100000) || !ToInt(w[3], &c.b, 0, 100000))
                return malformed(QStringLiteral("expect pixel needs X and Y in pixels"));
            bool ok = w[4].size() == 7 && w[4].startsWith(u'#');
            if (ok) c.rgb = w[4].mid(1).toUInt(&ok, 16);
            if (!ok) return malformed(QStringLiteral("not a colour #RRGGBB: %1").arg(w[4]));
            if (w.size() == 6) {
                QString t = w[5];
                if (t.startsWith(u'\u00B1'))
                    t = t.mid(1);
                else if (t.startsWith(QStringLiteral("+-")))
                    t = t.mid(2);
                else
                    t.clear();
                if (!ToInt(t, &c.tolerance, 0, 255))
                    return malformed(QStringLiteral("not a tolerance ±N: %1").arg(w[5]));
            }
        } else if (what == u"box" || what == u"strip") {
            c.kind = what == u"box" ? K::ExpectBox : K::ExpectStrip;
            c.text = Rest(trimmed, 2);
            if (c.text.isEmpty())
                return malformed(QStringLiteral("expect %1 needs a text").arg(what));
        } else if (what == u"sound" || what == u"volume") {
            c.kind = what == u"sound" ? K::ExpectSound : K::ExpectVolume;
            if (!words(4) || !ToInt(w[2], &c.a, 1, 7))
                return malformed(QStringLiteral("expect %1 needs a channel 1 to 7 and %2")
                                     .arg(what, what == u"sound"
                                                    ? QStringLiteral("a file name or none")
                                                    : QStringLiteral("a level")));
            c.name = w[3];
            if (c.kind == K::ExpectVolume) {
                bool ok = false;
                w[3].toDouble(&ok);
                if (!ok) return malformed(QStringLiteral("no volume level: %1").arg(w[3]));
            }
        } else if (what == u"video") {
            c.kind = K::ExpectVideo;
            if (!words(3))
                return malformed(QStringLiteral("expect video needs a file name or none"));
            c.name = w[2];
        } else {
            return malformed(QStringLiteral("cannot expect %1").arg(w[1]));
        }
    } else if (verb == u"screenshot" || verb == u"windowshot" || verb == u"state") {
        c.kind = verb == u"screenshot"   ? K::Screenshot
                 : verb == u"windowshot" ? K::WindowShot
                                         : K::State;
        const QString ext = c.kind == K::State ? QStringLiteral(".json") : QStringLiteral(".png");
        if (!words(2)) return malformed(QStringLiteral("%1 needs one file name").arg(verb));
        c.name = w[1];
        // The files stay inside the output folder.
        if (c.name.contains(u'/') || c.name.contains(u'\\') || c.name.startsWith(u'.') ||
            !c.name.endsWith(ext, Qt::CaseInsensitive) || c.name.size() <= ext.size())
            return malformed(
                QStringLiteral("%1 needs a plain file name ending in %2").arg(verb, ext));
    } else {
        return malformed(QStringLiteral("unknown command: %1").arg(w[0]));
    }
    return c;
}

// ---- The platform and the program ----------------------------------------------------------

namespace {

// The test platform with media players that open files with the real decoders (real
// durations, real video frames) and take their time from the virtual clock.
class WalkPlatform : public TestPlatform {
  public:
    explicit WalkPlatform(QSize screen) : TestPlatform(screen), gst(loop, VirtualOptions()) {}
    Platform Services() override {
        const Platform p = TestPlatform::Services();
        return Platform{p.files, p.settings, p.loop,    p.dialogs, p.display,
                        p.shell, p.printing, p.windows, mapped,    p.controls};
    }
    GstMediaFactory gst;
    PathMappingMediaFactory mapped{gst,
                                   [this](const QString& path) { return files.NativePath(path); }};

  private:
    static GstMediaFactory::Options VirtualOptions() {
        GstMediaFactory::Options o;
        o.virtualClock = true;
        return o;
    }
};

// The file name part of a path, for comparisons without regard to folder.
QString NamePart(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

}  // namespace

// The test platform and, over it, the same assembly as the desktop program's.
struct Walkthrough::Parts {
    explicit Parts(QSize screen) : platform(screen), player(platform) {
        // Saved games of a walk that cannot go to the game's folder go to a folder of its own.
        player.saves.userSavesRoot = userData.path() + QStringLiteral("/saves");
        player.saves.gameFolderWritable = [] { return false; };
    }

    QTemporaryDir userData;
    WalkPlatform platform;
    PlayerAssembly player;
    ScriptedDialogs& dialogs = platform.dialogs;
    VirtualEventLoop& loop = platform.loop;
    FixedDisplay& display = platform.display;
    HeadlessWindowHost& windows = platform.windows;
    Program& program = player.program;
    frmWelcome& welcome = player.welcome;
};

Walkthrough::Walkthrough(QString outDir, std::function<void(const QString&)> print, QSize screen)
    : p_(std::make_unique<Parts>(screen)), outDir_(std::move(outDir)), print_(std::move(print)) {
    p_->player.transitionStepWait = [this](int ms) { TransitionStepWait(ms); };
    p_->loop.onWait = [this] { RunDuringWait(); };
    // The run-from-disc window takes the queued answers as a player would act on it: "Cancel"
    // cancels, "OK" presses OK, anything else is a folder (relative ones inside the game's
    // folder) chosen and confirmed. A box it opens takes the next answer, as every box does;
    // while the window stays open it takes the answer after that.
    p_->player.discs.runModal = [this](RunFromDiscWindow& w) {
        ScriptedDialogs& dialogs = p_->dialogs;
        while (w.Shown()) {
            if (dialogs.answers.empty()) {
                Fail(lastLine_, QStringLiteral("the run-from-disc window (\"%1\") opened "
                                               "without a queued answer: cancelled")
                                    .arg(w.lblMessage->Caption()));
                w.Press(w.cmdCancel);
                return;
            }
            const QString answer = dialogs.answers.front();
            dialogs.answers.pop_front();
            print_(QStringLiteral("line %1: run-from-disc window \"%2\" answered: %3")
                       .arg(lastLine_)
                       .arg(w.lblMessage->Caption(), answer));
            if (answer.compare(QStringLiteral("Cancel"), Qt::CaseInsensitive) == 0) {
                w.Press(w.cmdCancel);
            } else {
                if (answer.compare(QStringLiteral("OK"), Qt::CaseInsensitive) != 0) {
                    const QString game =
                        p_->program.platform.files.NativePath(p_->program.paths.ProjectPath);
                    w.TypeFolder(QDir::cleanPath(QDir(game).absoluteFilePath(answer)));
                }
                w.Press(w.cmdOk);
            }
        }
    };
}

Walkthrough::~Walkthrough() {
    p_->loop.onWait = nullptr;
}

bool Walkthrough::Open(const QString& folder) {
    const bool shown = p_->welcome.Start(QDir(folder).absolutePath());
    ReportNewBoxes(0);
    if (!shown) {
        Fail(0, QStringLiteral("the game in %1 could not be started (exit code %2)")
                    .arg(folder)
                    .arg(p_->welcome.ExitCode()));
        return false;
    }
    return true;
}

Game* Walkthrough::CurrentGame() const {
    return p_->welcome.CurrentGame();
}

bool Walkthrough::WelcomeShown() const {
    return p_->windows.IsShown(p_->welcome.window);
}

bool Walkthrough::ProgramEnded() const {
    return p_->windows.quitRequested || p_->welcome.Unloaded();
}

QString Walkthrough::Summary() const {
    return QStringLiteral("%1 passed, %2 failed").arg(passed_).arg(failed_);
}

void Walkthrough::Fail(int line, const QString& message) {
    ++failed_;
    print_(line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(message) : message);
}

void Walkthrough::RunText(const QString& text) {
    lines_ = text.split(u'\n');
    for (QString& l : lines_)
        if (l.endsWith(u'\r')) l.chop(1);
    nextLine_ = 0;
    while (nextLine_ < lines_.size()) {
        const qsizetype i = nextLine_++;
        RunLine(lines_[i], int(i + 1));
        // Waiting asked for inside a transition that ended before it was used.
        while (p_->loop.NowMs() < grantedUntilMs_)
            p_->loop.Advance(grantedUntilMs_ - p_->loop.NowMs());
    }
    lines_.clear();
    nextLine_ = 0;
    Finish();
}

void Walkthrough::TransitionStepWait(int ms) {
    // Deep enough for a click during a transition to start another one.
    constexpr int kDeepest = 4;
    VirtualEventLoop& loop = p_->loop;
    const qint64 target = loop.NowMs() + std::max(0, ms);
    while (loop.NowMs() < target) {
        const qint64 now = loop.NowMs();
        if (grantedUntilMs_ > now) {
            // The walk's last wait still runs: its time goes to the transition.
            loop.Advance(std::min(target, grantedUntilMs_) - now);
        } else if (nextLine_ < lines_.size() && nested_ < kDeepest) {
            const qsizetype i = nextLine_++;
            ++nested_;
            RunLine(lines_[i], int(i + 1));
            --nested_;
            // The animation looks at what the line did (a click or a key ends it) before the
            // next line runs.
            if (loop.NowMs() == now) return;
        } else {
            loop.Advance(target - now);
        }
    }
}

void Walkthrough::RunQueuedLine() {
    const qsizetype i = nextLine_++;
    QString l = lines_[i];
    if (l.endsWith(u'\r')) l.chop(1);
    RunLine(l, int(i + 1));
}

void Walkthrough::RunDuringWait() {
    // Only the wait for a one-time video lets the player act (not the pause before it).
    auto waitingForVideo = [this] {
        Game* game = CurrentGame();
        return game && !game->Closed() && !p_->program.MoviePlaying && !game->state.StopMovie &&
               game->IsOneTimeVideoPlaying();
    };
    while (nextLine_ < lines_.size() && waitingForVideo()) {
        QString error;
        const auto command = ParseWalkLine(lines_[nextLine_].trimmed(), int(nextLine_ + 1), &error);
        RunQueuedLine();
        // A wait lets the time pass in the game's own wait.
        if (command && error.isEmpty() && command->kind == WalkCommand::Kind::Wait) break;
    }
}

void Walkthrough::RunLine(const QString& text, int line) {
    QString error;
    const auto command = ParseWalkLine(text, line, &error);
    if (!command) return;
    lastLine_ = line;
    if (!error.isEmpty()) {
        Fail(line, error);
        return;
    }
    Execute(*command);
    // Calls posted for "as soon as possible" run before the next command, as they would
    // between two real events.
    p_->loop.ProcessEvents();
    ReportNewBoxes(line);
}

void Walkthrough::Finish() {
    for (const QString& a : p_->dialogs.answers)
        Fail(lastLine_, QStringLiteral("the answer \"%1\" was never asked for").arg(a));
    p_->dialogs.answers.clear();
}

void Walkthrough::ReportNewBoxes(int line) {
    auto& shown = p_->dialogs.shown;
    for (; boxesReported_ < shown.size(); ++boxesReported_) {
        const auto& r = shown[boxesReported_];
        if (r.answeredFromQueue) continue;
        print_(QStringLiteral("line %1: %2 \"%3\" (%4) got its default: %5")
                   .arg(line)
                   .arg(r.isInput ? QStringLiteral("input box") : QStringLiteral("box"),
                        QString(r.text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")),
                        r.title, r.answer));
    }
    boxMatched_.resize(shown.size(), false);
    // A queued answer that did not fit its box (a button the box lacks) is the walk's mistake.
    for (const QString& problem : p_->dialogs.problems) Fail(line, problem);
    p_->dialogs.problems.clear();
}

Game* Walkthrough::RunningGame(const WalkCommand& c) {
    if (ProgramEnded()) {
        Fail(c.line, QStringLiteral("the program has ended"));
        return nullptr;
    }
    Game* game = CurrentGame();
    if (!game || game->Closed() || !p_->windows.IsShown(game->window)) {
        Fail(c.line, QStringLiteral("the game window is not shown"));
        return nullptr;
    }
    return game;
}

bool Walkthrough::CheckHotspot(const WalkCommand& c, Game& game) {
    if (c.a > game.scene->AreaCount() || !game.scene->Area->Find(c.a)) {
        Fail(c.line, QStringLiteral("frame %1 has no hotspot %2")
                         .arg(game.state.frame.CurrentFrameName)
                         .arg(c.a));
        return false;
    }
    return true;
}

void Walkthrough::DragAlong(Game& game, QPoint from, QPoint to) {
    game.MouseMoveAt(from.x(), from.y());
    game.PressAt(from.x(), from.y(), MouseButton::Left);
    constexpr int kSteps = 4;
    for (int i = 1; i <= kSteps; ++i) {
        if (game.Closed()) return;
        const QPoint at = from + (to - from) * i / kSteps;
        game.MouseMoveAt(at.x(), at.y());
    }
    if (!game.Closed()) game.ReleaseAt(to.x(), to.y(), MouseButton::Left);
}

namespace {

// The centre of item `n`'s picture in pixels of the frame picture area; nullopt when the item
// is not shown there.
std::optional<QPoint> ItemCentre(Game& game, int n) {
    auto* items = game.services.inventory->PickedObjects();
    forms::Image* item = items ? items->Find(n) : nullptr;
    if (!item || n > game.services.inventory->ItemCount() || !item->IsShown()) return std::nullopt;
    const QRect r =
        item->WindowPixelRect().translated(-game.PictureBox->WindowPixelRect().topLeft());
    if (!QRect(QPoint(0, 0), game.PictureBox->PixelRect().size()).contains(r.center()))
        return std::nullopt;
    return r.center();
}

QStringList ItemNames(const Game& game) {
    QStringList names;
    const InventoryService& inv = *game.services.inventory;
    for (int i = 1; i <= inv.ItemCount(); ++i) names << inv.PickedObjectName(i);
    return names;
}

}  // namespace

QString Walkthrough::OutPath(const WalkCommand& c, const QString& extension) {
    (void)extension;
    if (!QDir().mkpath(outDir_)) return {};
    return QDir(outDir_).filePath(c.name);
}

void Walkthrough::Execute(const WalkCommand& c) {
    using K = WalkCommand::Kind;
    auto& dialogs = p_->dialogs;
    switch (c.kind) {
        case K::Start: {
            if (ProgramEnded()) return Fail(c.line, QStringLiteral("the program has ended"));
            if (!WelcomeShown())
                return Fail(c.line, QStringLiteral("the welcome window is not shown"));
            p_->welcome.ClickButton(0);
            return;
        }
        case K::Save:
        case K::Load:
            return SaveOrLoad(c);
        case K::Ask:
            return Ask(c);
        case K::ClickHotspot: {
            Game* game = RunningGame(c);
            if (!game || !CheckHotspot(c, *game)) return;
            if (!game->scene->AreaVisible(c.a))
                return Fail(c.line, QStringLiteral("hotspot %1 is hidden").arg(c.a));
            const QRect r = game->scene->AreaRectTwips(c.a);
            const int x = (r.left() + r.width() / 2) / 15;
            const int y = (r.top() + r.height() / 2) / 15;
            // As with a real mouse, the pointer gets there before the button goes down.
            game->MouseMoveAt(x, y);
            game->MouseDownAt(x, y, MouseButton::Left);
            return;
        }
        case K::Click:
        case K::RightClick: {
            Game* game = RunningGame(c);
            if (!game) return;
            game->MouseMoveAt(c.a, c.b);
            game->MouseDownAt(c.a, c.b,
                              c.kind == K::Click ? MouseButton::Left : MouseButton::Right);
            return;
        }
        case K::Press:
        case K::Release: {
            Game* game = RunningGame(c);
            if (!game) return;
            game->MouseMoveAt(c.a, c.b);
            const auto button = static_cast<MouseButton>(c.shift);
            if (c.kind == K::Press)
                game->PressAt(c.a, c.b, button);
            else
                game->ReleaseAt(c.a, c.b, button);
            return;
        }
        case K::Hover: {
            Game* game = RunningGame(c);
            if (!game) return;
            game->MouseMoveAt(c.a, c.b);
            return;
        }
        case K::Drag: {
            Game* game = RunningGame(c);
            if (!game) return;
            DragAlong(*game, QPoint(c.a, c.b), QPoint(c.c, c.d));
            return;
        }
        case K::DragItem: {
            Game* game = RunningGame(c);
            if (!game) return;
            InventoryService& inv = *game->services.inventory;
            if (c.a > inv.ItemCount())
                return Fail(c.line, QStringLiteral("there is no item %1").arg(c.a));
            // As a player would: the pointer to the button first, so that the panel opens.
            forms::Image* button = inv.InventoryButton();
            if (!inv.InventoryOpen() && game->program.info.InventoryPopupMode && button &&
                button->IsShown()) {
                const QRect r = button->WindowPixelRect().translated(
                    -game->PictureBox->WindowPixelRect().topLeft());
                game->MouseMoveAt(r.center().x(), r.center().y());
            }
            const std::optional<QPoint> from = ItemCentre(*game, c.a);
            if (!from) return Fail(c.line, QStringLiteral("item %1 is not shown").arg(c.a));
            QPoint to(c.c, c.d);
            if (c.toItem) {
                const std::optional<QPoint> target = ItemCentre(*game, c.c);
                if (!target) return Fail(c.line, QStringLiteral("item %1 is not shown").arg(c.c));
                to = *target;
            }
            DragAlong(*game, *from, to);
            return;
        }
        case K::Key: {
            if (ProgramEnded()) return Fail(c.line, QStringLiteral("the program has ended"));
            Game* game = CurrentGame();
            if (game && !game->Closed() && p_->windows.IsShown(game->window))
                game->Form_KeyDown(c.a, c.shift);
            else if (WelcomeShown())
                p_->welcome.Form_KeyDown(c.a, c.shift);
            else
                Fail(c.line, QStringLiteral("no window takes the key"));
            return;
        }
        case K::Menu: {
            Game* game = RunningGame(c);
            if (!game) return;
            if (!game->RunMenuCommand(c.name))
                Fail(c.line, QStringLiteral("no menu command \"%1\" is shown").arg(c.name));
            return;
        }
        case K::Wait: {
            // The walk grants time up to a moment; a transition that runs meanwhile uses it
            // step by step (TransitionStepWait), and a wait read between its steps adds to it.
            grantedUntilMs_ = std::max(grantedUntilMs_, p_->loop.NowMs()) + c.a;
            if (nested_ == 0) p_->loop.Advance(grantedUntilMs_ - p_->loop.NowMs());
            return;
        }
        case K::Answer:
            dialogs.QueueAnswer(c.text);
            return;
        case K::Screenshot: {
            const QString path = OutPath(c, QStringLiteral(".png"));
            QImage shot = p_->windows.Screenshot(p_->display.DesktopSize());
            // A screenshot has no pointer; during a drag the dragged picture is drawn where
            // the pointer is, as the player sees it.
            if (Game* game = CurrentGame(); game && !game->Closed()) {
                const auto& drag = game->window.CurrentDrag();
                if (drag.source && !drag.source->DragIcon().IsEmpty()) {
                    const forms::Picture& icon = drag.source->DragIcon();
                    QPainter painter(&shot);
                    painter.drawImage(game->window.PixelRect().topLeft() + drag.pointer -
                                          QPoint(icon.Size().width(), icon.Size().height()) / 2,
                                      icon.Image());
                }
            }
            if (shotScaling_) shot = Scaled(shot);
            if (path.isEmpty() || !shot.save(path))
                Fail(c.line, QStringLiteral("cannot write %1").arg(QDir(outDir_).filePath(c.name)));
            return;
        }
        case K::WindowShot:
            windowShot_ = OutPath(c, QStringLiteral(".png"));
            if (windowShot_.isEmpty())
                Fail(c.line, QStringLiteral("cannot write %1").arg(QDir(outDir_).filePath(c.name)));
            return;
        case K::State: {
            const QString path = OutPath(c, QStringLiteral(".json"));
            if (path.isEmpty()) {
                Fail(c.line, QStringLiteral("cannot write %1").arg(QDir(outDir_).filePath(c.name)));
                return;
            }
            WriteState(path);
            return;
        }
        default:
            break;
    }

    // Expectations.
    bool held = false;
    QString got;
    switch (c.kind) {
        case K::ExpectBox: {
            // Each box matches one expectation; the boxes of the last expectation of another
            // kind and before are out of reach.
            const auto& shown = dialogs.shown;
            boxMatched_.resize(shown.size(), false);
            for (size_t i = boxWindow_; i < shown.size() && !held; ++i) {
                if (boxMatched_[i] || !shown[i].text.contains(c.text)) continue;
                boxMatched_[i] = true;
                held = true;
            }
            if (!held) {
                QStringList texts;
                for (size_t i = boxWindow_; i < shown.size(); ++i)
                    if (!boxMatched_[i]) texts << QStringLiteral("\"%1\"").arg(shown[i].text);
                got = texts.isEmpty() ? QStringLiteral("no box") : texts.join(QStringLiteral(", "));
            }
            break;
        }
        case K::ExpectFrame: {
            Game* game = RunningGame(c);
            if (!game) return;
            got = game->state.frame.CurrentFrameName;
            held = got.compare(c.name, Qt::CaseInsensitive) == 0;
            break;
        }
        case K::ExpectVar: {
            Game* game = CurrentGame();
            if (!game) return Fail(c.line, QStringLiteral("no game has started"));
            std::optional<QString> value;
            for (const auto& v : game->state.vars.Variables)
                if (v->Name.compare(c.name, Qt::CaseInsensitive) == 0) {
                    value = QString::number(v->Value);
                    break;
                }
            if (!value)
                for (const auto& v : game->state.vars.VariablesVariant)
                    if (v->Name.compare(c.name, Qt::CaseInsensitive) == 0) {
                        value = CStr(v->Value);
                        break;
                    }
            if (!value) {
                boxWindow_ = dialogs.shown.size();
                return Fail(c.line, QStringLiteral("no variable %1").arg(c.name));
            }
            got = *value;
            held = got == c.text;
            break;
        }
        case K::ExpectVisible:
        case K::ExpectHidden: {
            Game* game = RunningGame(c);
            if (!game) return;
            if (!CheckHotspot(c, *game)) {
                boxWindow_ = dialogs.shown.size();
                return;
            }
            const bool visible = game->scene->AreaVisible(c.a);
            got = visible ? QStringLiteral("visible") : QStringLiteral("hidden");
            held = visible == (c.kind == K::ExpectVisible);
            break;
        }
        case K::ExpectSaves: {
            QStringList names;
            for (const SavedGameEntry& e : p_->player.saves.ListSavedGames()) names << e.name;
            got = names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
            held = got == ListText(c.text, u',', QStringLiteral(", "));
            break;
        }
        case K::ExpectQuestions: {
            Game* game = RunningGame(c);
            if (!game) return;
            const auto* d = dynamic_cast<const Dialogues*>(game->services.dialogues);
            const QStringList shown = d ? d->ShownCaptions() : QStringList();
            got = shown.isEmpty() ? QStringLiteral("none") : shown.join(QStringLiteral(" | "));
            held = got.compare(ListText(c.text, u'|', QStringLiteral(" | ")),
                               Qt::CaseInsensitive) == 0;
            break;
        }
        case K::ExpectItems: {
            Game* game = RunningGame(c);
            if (!game) return;
            const QStringList names = ItemNames(*game);
            QStringList wanted;
            if (c.text.trimmed().compare(QStringLiteral("none"), Qt::CaseInsensitive) != 0)
                for (const QString& n : c.text.split(u',')) wanted << n.trimmed();
            held = names.size() == wanted.size();
            for (qsizetype i = 0; held && i < names.size(); ++i)
                held = names[i].compare(wanted[i], Qt::CaseInsensitive) == 0;
            got = names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
            break;
        }
        case K::ExpectInventory: {
            Game* game = RunningGame(c);
            if (!game) return;
            const bool open = game->services.inventory->InventoryOpen();
            got = open ? QStringLiteral("open") : QStringLiteral("closed");
            held = open == (c.a == 1) && !game->services.inventory->InventoryMoving();
            if (game->services.inventory->InventoryMoving()) got = QStringLiteral("sliding");
            break;
        }
        case K::ExpectPixel: {
            Game* game = RunningGame(c);
            if (!game) return;
            const QImage frame = game->RenderFrame();
            if (!frame.rect().contains(c.a, c.b)) {
                boxWindow_ = dialogs.shown.size();
                return Fail(c.line, QStringLiteral("(%1, %2) is outside the %3 x %4 frame picture")
                                        .arg(c.a)
                                        .arg(c.b)
                                        .arg(frame.width())
                                        .arg(frame.height()));
            }
            const QRgb px = frame.pixel(c.a, c.b);
            got = QStringLiteral("#%1").arg(px & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
            held = std::abs(qRed(px) - int((c.rgb >> 16) & 255)) <= c.tolerance &&
                   std::abs(qGreen(px) - int((c.rgb >> 8) & 255)) <= c.tolerance &&
                   std::abs(qBlue(px) - int(c.rgb & 255)) <= c.tolerance;
            break;
        }
        case K::ExpectStrip: {
            Game* game = RunningGame(c);
            if (!game) return;
            const bool shown = game->MessageStripVisible();
            got = shown ? QStringLiteral("\"%1\"").arg(game->MessageStripText())
                        : QStringLiteral("no strip");
            held = shown && game->MessageStripText().contains(c.text);
            break;
        }
        case K::ExpectSound:
        case K::ExpectVolume: {
            Game* game = RunningGame(c);
            if (!game) return;
            const MediaPlayer& player = game->ChannelPlayer(c.a);
            if (c.kind == K::ExpectSound) {
                const bool playing = player.PlayState() == MediaPlayer::Playing;
                got = playing ? NamePart(player.FileName()) : QStringLiteral("none");
                held = got.compare(NamePart(c.name), Qt::CaseInsensitive) == 0;
            } else {
                const double level = player.Volume() / 400.0 + 10;
                got = QString::number(level);
                held = std::abs(level - c.name.toDouble()) < 0.005;
            }
            break;
        }
        case K::ExpectVideo: {
            Game* game = RunningGame(c);
            if (!game) return;
            const auto* movie = dynamic_cast<const OneTimeVideo*>(game->services.video);
            const MediaPlayer* player = movie ? movie->Player() : nullptr;
            got = player && game->IsOneTimeVideoPlaying() ? NamePart(player->FileName())
                                                          : QStringLiteral("none");
            held = got.compare(NamePart(c.name), Qt::CaseInsensitive) == 0;
            break;
        }
        default:
            break;
    }
    if (c.kind != K::ExpectBox) boxWindow_ = dialogs.shown.size();
    if (held)
        Pass();
    else
        Fail(c.line,
             QStringLiteral("expected %1, got %2")
                 .arg(c.kind == K::ExpectVar     ? QStringLiteral("%1 = \"%2\"").arg(c.name, c.text)
                      : c.kind == K::ExpectFrame ? QStringLiteral("frame %1").arg(c.name)
                      : c.kind == K::ExpectVisible ? QStringLiteral("hotspot %1 visible").arg(c.a)
                      : c.kind == K::ExpectHidden  ? QStringLiteral("hotspot %1 hidden").arg(c.a)
                      : c.kind == K::ExpectBox     ? QStringLiteral("a box with \"%1\"").arg(c.text)
                      : c.kind == K::ExpectSaves   ? QStringLiteral("saves %1").arg(c.text)
                      : c.kind == K::ExpectQuestions ? QStringLiteral("questions %1").arg(c.text)
                      : c.kind == K::ExpectItems     ? QStringLiteral("items %1").arg(c.text)
                      : c.kind == K::ExpectInventory
                          ? QStringLiteral("the inventory %1")
                                .arg(c.a ? QStringLiteral("open") : QStringLiteral("closed"))
                      : c.kind == K::ExpectPixel
                          ? QStringLiteral("#%1 \u00B1%2 at (%3, %4)")
                                .arg(QString::number(c.rgb, 16).rightJustified(6, u'0').toUpper())
                                .arg(c.tolerance)
                                .arg(c.a)
                                .arg(c.b)
                      : c.kind == K::ExpectSound
                          ? QStringLiteral("channel %1 playing %2").arg(c.a).arg(c.name)
                      : c.kind == K::ExpectVolume
                          ? QStringLiteral("channel %1 at level %2").arg(c.a).arg(c.name)
                      : c.kind == K::ExpectVideo
                          ? QStringLiteral("video %1").arg(c.name)
                          : QStringLiteral("the strip with \"%1\"").arg(c.text),
                      c.kind == K::ExpectVar ? QStringLiteral("\"%1\"").arg(got) : got));
}

void Walkthrough::SaveOrLoad(const WalkCommand& c) {
    using K = WalkCommand::Kind;
    if (ProgramEnded()) return Fail(c.line, QStringLiteral("the program has ended"));
    SavedGames& saves = p_->player.saves;
    Game* game = CurrentGame();
    const bool gameShown = game && !game->Closed() && p_->windows.IsShown(game->window);
    if (c.kind == K::Save && !gameShown)
        return Fail(c.line, QStringLiteral("the game window is not shown"));
    if (c.kind == K::Load && !gameShown && !WelcomeShown())
        return Fail(c.line, QStringLiteral("neither the game nor the welcome window is shown"));
    bool opened = false;
    QString problem;
    auto shoot = [this, &c] {
        if (windowShot_.isEmpty()) return;
        if (!p_->windows.Screenshot(p_->display.DesktopSize()).save(windowShot_))
            Fail(c.line, QStringLiteral("cannot write %1").arg(windowShot_));
        windowShot_.clear();
    };
    saves.runModal = [&](SavedGameWindow& w) {
        opened = true;
        if (c.kind == K::Save) {
            w.TypeName(c.name);
            shoot();
            w.Press(w.cmdOk);
            // A refused name or a cancelled overwrite leaves the window open.
            if (w.Shown()) w.Press(w.cmdCancel);
            return;
        }
        if (!w.SelectEntry(c.name)) {
            QStringList names;
            for (const SavedGameEntry& e : w.entries) names << e.name;
            problem = QStringLiteral("no saved game %1 in the list (%2)")
                          .arg(c.name, names.isEmpty() ? QStringLiteral("none")
                                                       : names.join(QStringLiteral(", ")));
            w.Press(w.cmdCancel);
            return;
        }
        shoot();
        w.Press(w.cmdOk);
        if (w.Shown()) w.Press(w.cmdCancel);
    };
    if (c.kind == K::Save)
        game->mnuSaveGame_Click();
    else if (gameShown)
        game->mnuLoadGame_Click();
    else
        p_->welcome.ClickButton(1);
    saves.runModal = nullptr;
    if (!opened)
        return Fail(c.line,
                    QStringLiteral("the %1 window did not open")
                        .arg(c.kind == K::Save ? QStringLiteral("save") : QStringLiteral("load")));
    if (!problem.isEmpty()) Fail(c.line, problem);
}

void Walkthrough::Ask(const WalkCommand& c) {
    Game* game = RunningGame(c);
    if (!game) return;
    auto* d = dynamic_cast<Dialogues*>(game->services.dialogues);
    if (!d || !d->PanelVisible()) return Fail(c.line, QStringLiteral("no questions are shown"));
    for (int i : d->lblDialogue->Indices()) {
        forms::Label* label = d->lblDialogue->Find(i);
        if (i == 0 || !label->Visible() ||
            label->Caption().compare(c.text, Qt::CaseInsensitive) != 0)
            continue;
        // A click in the middle of the label, as the player gives it.
        const QPoint at =
            label->WindowPixelRect().center() - game->PictureBox->WindowPixelRect().topLeft();
        game->MouseMoveAt(at.x(), at.y());
        game->MouseDownAt(at.x(), at.y(), MouseButton::Left);
        return;
    }
    Fail(c.line, QStringLiteral("no question \"%1\" is shown (%2)")
                     .arg(c.text, d->ShownCaptions().join(QStringLiteral(" | "))));
}

void Walkthrough::WriteState(const QString& path) {
    QJsonObject o;
    Game* game = CurrentGame();
    o[QStringLiteral("welcomeShown")] = WelcomeShown();
    o[QStringLiteral("programEnded")] = ProgramEnded();
    o[QStringLiteral("timeMs")] = static_cast<double>(p_->loop.NowMs());
    const bool running = game && !game->Closed();
    o[QStringLiteral("frame")] = running ? game->state.frame.CurrentFrameName : QString();
    QJsonArray boxes;
    for (const auto& r : p_->dialogs.shown)
        boxes.append(QJsonObject{{QStringLiteral("input"), r.isInput},
                                 {QStringLiteral("icon"), IconName(r.icon)},
                                 {QStringLiteral("title"), r.title},
                                 {QStringLiteral("text"), r.text},
                                 {QStringLiteral("answer"), r.answer}});
    o[QStringLiteral("boxes")] = boxes;
    if (game) {
        o[QStringLiteral("history")] = QJsonArray::fromStringList(game->state.History.Entries());
        QJsonObject ints, variants;
        for (const auto& v : game->state.vars.Variables) ints[v->Name] = v->Value;
        for (const auto& v : game->state.vars.VariablesVariant) variants[v->Name] = CStr(v->Value);
        o[QStringLiteral("variables")] = ints;
        o[QStringLiteral("variantVariables")] = variants;
        QJsonArray disappear;
        for (const auto& v : game->state.vars.Disappear)
            disappear.append(QJsonObject{{QStringLiteral("frame"), v->Name},
                                         {QStringLiteral("hotspot"), v->Value}});
        o[QStringLiteral("hiddenHotspots")] = disappear;
        QJsonArray visible;
        for (int i = 1; i <= game->scene->AreaCount(); ++i)
            if (game->scene->AreaVisible(i))
                visible.append(
                    QJsonObject{{QStringLiteral("hotspot"), i},
                                {QStringLiteral("rect"), RectJson(game->scene->AreaRectTwips(i))}});
        o[QStringLiteral("visibleHotspots")] = visible;
        QJsonArray texts;
        for (int i = 1; i <= game->scene->TextCount(); ++i) {
            const auto* t = game->scene->Text->Find(i);
            if (!t) continue;
            texts.append(
                QJsonObject{{QStringLiteral("text"), i},
                            {QStringLiteral("caption"), game->scene->TextCaption(i)},
                            {QStringLiteral("visible"), t->Visible()},
                            {QStringLiteral("rect"), RectJson(game->scene->TextRectTwips(i))}});
        }
        o[QStringLiteral("texts")] = texts;
        // The items in order: name, icon file and rectangle in pixels of the frame picture.
        InventoryService& inv = *game->services.inventory;
        const QPoint origin = game->PictureBox->WindowPixelRect().topLeft();
        QJsonArray items;
        for (int i = 1; i <= inv.ItemCount(); ++i) {
            const QString name = inv.PickedObjectName(i);
            QString icon;
            try {
                icon =
                    ReadItemIconName(p_->program.platform.files, p_->program.paths.AreasPath, name);
            } catch (const std::exception&) {
            }
            forms::Image* item = inv.PickedObjects() ? inv.PickedObjects()->Find(i) : nullptr;
            const QRect r = item ? item->WindowPixelRect().translated(-origin) : QRect();
            items.append(QJsonObject{{QStringLiteral("name"), name},
                                     {QStringLiteral("icon"), icon},
                                     {QStringLiteral("rect"), PixelRectJson(r)}});
        }
        o[QStringLiteral("items")] = items;
        // The animated pictures: hotspot, file, rectangle and the frame shown (from 0).
        QJsonArray animations;
        AnimatedObjectService& gifs = *game->services.animated;
        if (gifs.Players() && gifs.Canvases())
            for (int i : gifs.Canvases()->Indices()) {
                const forms::AnimationCanvas* box = gifs.Canvases()->Find(i);
                const forms::AnimatedGif* player = gifs.Players()->Find(i);
                if (i == 0 || !box) continue;
                animations.append(
                    QJsonObject{{QStringLiteral("hotspot"), i},
                                {QStringLiteral("file"), gifs.AnimationFile(i)},
                                {QStringLiteral("visible"), box->Visible()},
                                {QStringLiteral("rect"),
                                 PixelRectJson(box->WindowPixelRect().translated(-origin))},
                                {QStringLiteral("frame"), player ? player->CurrentFrame() : 0},
                                {QStringLiteral("playing"), player && player->Playing()}});
            }
        o[QStringLiteral("animations")] = animations;
        forms::PictureBox* panel = inv.InventoryCanvas();
        o[QStringLiteral("inventory")] = QJsonObject{
            {QStringLiteral("mode"), p_->program.info.InventoryPopupMode ? QStringLiteral("popup")
                                                                         : QStringLiteral("frame")},
            {QStringLiteral("open"), inv.InventoryOpen()},
            {QStringLiteral("sliding"), inv.InventoryMoving()},
            {QStringLiteral("rect"),
             PixelRectJson(panel && panel->Visible() ? panel->WindowPixelRect().translated(-origin)
                                                     : QRect())}};
        o[QStringLiteral("strip")] =
            QJsonObject{{QStringLiteral("visible"), game->MessageStripVisible()},
                        {QStringLiteral("text"), game->MessageStripText()},
                        {QStringLiteral("timerArmed"), game->MessageTimerArmed()},
                        {QStringLiteral("intervalMs"), game->MessageTimerInterval()}};
        QJsonArray timers;
        if (game->FrameTimerArmed())
            timers.append(QJsonObject{{QStringLiteral("timer"), QStringLiteral("frame")},
                                      {QStringLiteral("intervalMs"), game->FrameTimerInterval()},
                                      {QStringLiteral("target"), game->FrameTimerTag()}});
        const auto& events = game->TimedEventTable();
        for (size_t i = 1; i < events.size(); ++i)
            if (events[i].EventActive && game->TimedEventRunning(static_cast<int>(i)))
                timers.append(QJsonObject{{QStringLiteral("timer"), QStringLiteral("timed event")},
                                          {QStringLiteral("index"), static_cast<int>(i)},
                                          {QStringLiteral("repeats"), events[i].EventRepeats},
                                          {QStringLiteral("code"), events[i].EventCode}});
        o[QStringLiteral("timers")] = timers;
        if (const auto* d = dynamic_cast<const Dialogues*>(game->services.dialogues)) {
            QJsonArray questions;
            for (const auto& q : d->Questions())
                questions.append(QJsonObject{{QStringLiteral("text"), q.data.QuestionText},
                                             {QStringLiteral("shown"), q.Shown},
                                             {QStringLiteral("asked"), q.Asked}});
            o[QStringLiteral("dialogue")] =
                QJsonObject{{QStringLiteral("active"), d->DialogueActive()},
                            {QStringLiteral("startFrame"), d->DialogueFrameName()},
                            {QStringLiteral("panelShown"), d->PanelVisible()},
                            {QStringLiteral("questions"), questions}};
        }
        // The run-time components in creation order (rectangle in pixels of their container).
        QJsonArray components;
        for (const ComponentInfo& c : game->services.components->List())
            components.append(QJsonObject{{QStringLiteral("name"), c.name},
                                          {QStringLiteral("progId"), c.progId},
                                          {QStringLiteral("created"), c.created},
                                          {QStringLiteral("visible"), c.visible},
                                          {QStringLiteral("rect"), PixelRectJson(c.rect)}});
        o[QStringLiteral("components")] = components;
    }
    QJsonArray saves;
    for (const SavedGameEntry& e : p_->player.saves.ListSavedGames())
        saves.append(QJsonObject{
            {QStringLiteral("name"), e.name},
            {QStringLiteral("place"),
             e.userFolder ? QStringLiteral("user") : QStringLiteral("game")},
            {QStringLiteral("date"),
             QDateTime::fromMSecsSinceEpoch(e.modifiedNs / 1000000).toString(Qt::ISODateWithMs)}});
    o[QStringLiteral("saves")] = saves;
    // Each player by its role in the game window, so a dump says which sound is which.
    std::vector<std::pair<const MediaPlayer*, QString>> roles;
    if (game && !game->Closed()) {
        for (size_t i = 1; i < game->MPlayer.size(); ++i)
            roles.emplace_back(game->MPlayer[i].get(), QStringLiteral("MPlayer(%1)").arg(i));
        for (const auto& [index, custom] : game->CustomMediaPlayer)
            if (custom.player)
                roles.emplace_back(
                    custom.player.get(),
                    index == 0 ? QStringLiteral("custom") : QStringLiteral("custom %1").arg(index));
        for (const auto& [index, video] : game->scene->VideoPlayers())
            if (video.player)
                roles.emplace_back(video.player.get(),
                                   QStringLiteral("hotspot %1 video").arg(index));
        if (const auto* movie = dynamic_cast<const OneTimeVideo*>(game->services.video))
            if (movie->Player())
                roles.emplace_back(movie->Player(), QStringLiteral("one-time video"));
    }
    QJsonArray players;
    for (const auto& [m, role] : roles) {
        static const char* const kStates[] = {"stopped", "paused", "playing"};
        const int st = m->PlayState();
        players.append(QJsonObject{
            {QStringLiteral("role"), role},
            {QStringLiteral("file"), m->FileName()},
            {QStringLiteral("state"), QString::fromLatin1(st >= 0 && st <= 2 ? kStates[st] : "?")},
            {QStringLiteral("playing"), st == MediaPlayer::Playing},
            {QStringLiteral("position"), m->CurrentPosition()},
            {QStringLiteral("duration"), m->Duration()},
            {QStringLiteral("volume"), m->Volume()}});
    }
    o[QStringLiteral("mediaPlayers")] = players;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(QJsonDocument(o).toJson()) < 0)
        Fail(lastLine_, QStringLiteral("cannot write %1").arg(path));
}

// ---- The command
// -------------------------------------------------------------------------------

void Walkthrough::SetScreenshotScaling(forms::ScalingMode mode, QSize size) {
    shotScaling_ = std::pair{mode, size};
}

QImage Walkthrough::Scaled(const QImage& screen) const {
    // The game window's picture when a game is on the screen, else the whole screen.
    QImage picture = screen;
    if (Game* game = CurrentGame(); game && !game->Closed() && p_->windows.IsShown(game->window))
        picture = screen.copy(game->window.PixelRect());
    const auto [mode, size] = *shotScaling_;
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter painter(&out);
    forms::Present(painter, picture, forms::LetterboxRect(picture.size(), size, mode), mode);
    return out;
}

int RunWalkthroughCommand(const QStringList& args, const QString& defaultFolder) {
    QString walkFile, outDir, folder;
    std::optional<forms::ScalingMode> scale;
    QSize size;
    constexpr const char* kUsage =
        "usage: run --walkthrough FILE [--out DIR] [--scale MODE [--size WxH]] [FOLDER]\n";
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--out" && i + 1 < args.size()) {
            outDir = args[++i];
        } else if (args[i] == u"--scale" && i + 1 < args.size()) {
            scale = forms::ScalingModeNamed(args[++i]);
            if (!scale) {
                std::fprintf(stderr, "run: --scale needs original, sharp, smooth or stretch\n");
                return 2;
            }
        } else if (args[i] == u"--size" && i + 1 < args.size()) {
            const QStringList wh = args[++i].split(u'x');
            bool okW = false, okH = false;
            if (wh.size() == 2) size = QSize(wh[0].toInt(&okW), wh[1].toInt(&okH));
            if (!okW || !okH || size.width() < 1 || size.height() < 1 || size.width() > 16384 ||
                size.height() > 16384) {
                std::fprintf(stderr, "run: --size needs WIDTHxHEIGHT, for example 1280x720\n");
                return 2;
            }
        } else if (walkFile.isEmpty()) {
            walkFile = args[i];
        } else if (folder.isEmpty() && !args[i].startsWith(u'-')) {
            folder = args[i];
        } else {
            std::fprintf(stderr, "%s", kUsage);
            return 2;
        }
    }
    if (walkFile.isEmpty()) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    if (folder.isEmpty()) folder = defaultFolder;
    if (outDir.isEmpty()) outDir = QStringLiteral(".");
    QFile file(walkFile);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "run: cannot read %s\n", qPrintable(walkFile));
        return 2;
    }
    const QString text = QString::fromUtf8(file.readAll());
    auto print = [](const QString& line) {
        std::printf("%s\n", line.toLocal8Bit().constData());
        std::fflush(stdout);
    };
    Walkthrough walk(outDir, print);
    // Screenshots keep the game's own pixels unless a scaling (or a size) is asked for.
    if ((scale && *scale != forms::ScalingMode::Original) || size.isValid())
        walk.SetScreenshotScaling(scale.value_or(forms::ScalingMode::Original),
                                  size.isValid() ? size : QSize(1280, 720));
    if (walk.Open(folder)) walk.RunText(text);
    print(walk.Summary());
    return walk.Failed() == 0 ? 0 : 1;
}

}  // namespace storyloom
