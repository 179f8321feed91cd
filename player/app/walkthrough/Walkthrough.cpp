#include "app/walkthrough/Walkthrough.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstdio>
#include <map>

#include "app/PlayerAssembly.h"
#include "core/BasicConvert.h"
#include "core/PlatformBundle.h"
#include "core/Program.h"
#include "game/Game.h"
#include "game/video/OneTimeVideo.h"
#include "platform/media/GstMediaPlayer.h"
#include "platform/media/PathMappingMediaPlayer.h"

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
    } else if (verb == u"load") {
        c.kind = K::Load;
        c.name = Rest(trimmed, 1);
        if (c.name.isEmpty()) return malformed(QStringLiteral("load needs a saved game's name"));
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
    } else if (verb == u"screenshot" || verb == u"state") {
        c.kind = verb == u"screenshot" ? K::Screenshot : K::State;
        const QString ext =
            verb == u"screenshot" ? QStringLiteral(".png") : QStringLiteral(".json");
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
                        p.shell, p.printing, p.windows, mapped};
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
    explicit Parts(QSize screen) : platform(screen), player(platform) {}

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
    p_->loop.onWait = [this] { RunDuringWait(); };
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
    next_ = 0;
    while (next_ < lines_.size()) RunQueuedLine();
    lines_.clear();
    next_ = 0;
    Finish();
}

void Walkthrough::RunQueuedLine() {
    const int i = next_++;
    QString l = lines_[i];
    if (l.endsWith(u'\r')) l.chop(1);
    RunLine(l, i + 1);
}

void Walkthrough::RunDuringWait() {
    // Only the wait for a one-time video lets the player act (not the pause before it).
    auto waitingForVideo = [this] {
        Game* game = CurrentGame();
        return game && !game->Closed() && !p_->program.MoviePlaying && !game->state.StopMovie &&
               game->IsOneTimeVideoPlaying();
    };
    while (next_ < lines_.size() && waitingForVideo()) {
        QString error;
        const auto command = ParseWalkLine(lines_[next_].trimmed(), next_ + 1, &error);
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
        case K::Load:
            return Fail(c.line, QStringLiteral("load is not available"));
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
        case K::Wait:
            p_->loop.Advance(c.a);
            return;
        case K::Answer:
            dialogs.QueueAnswer(c.text);
            return;
        case K::Screenshot: {
            const QString path = OutPath(c, QStringLiteral(".png"));
            if (path.isEmpty() || !p_->windows.Screenshot(p_->display.DesktopSize()).save(path))
                Fail(c.line, QStringLiteral("cannot write %1").arg(QDir(outDir_).filePath(c.name)));
            return;
        }
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
                      : c.kind == K::ExpectSound
                          ? QStringLiteral("channel %1 playing %2").arg(c.a).arg(c.name)
                      : c.kind == K::ExpectVolume
                          ? QStringLiteral("channel %1 at level %2").arg(c.a).arg(c.name)
                      : c.kind == K::ExpectVideo
                          ? QStringLiteral("video %1").arg(c.name)
                          : QStringLiteral("the strip with \"%1\"").arg(c.text),
                      c.kind == K::ExpectVar ? QStringLiteral("\"%1\"").arg(got) : got));
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
    }
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

// ---- The command -------------------------------------------------------------------------------

int RunWalkthroughCommand(const QStringList& args, const QString& defaultFolder) {
    QString walkFile, outDir, folder;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--out" && i + 1 < args.size()) {
            outDir = args[++i];
        } else if (walkFile.isEmpty()) {
            walkFile = args[i];
        } else if (folder.isEmpty() && !args[i].startsWith(u'-')) {
            folder = args[i];
        } else {
            std::fprintf(stderr, "usage: run --walkthrough FILE [--out DIR] [FOLDER]\n");
            return 2;
        }
    }
    if (walkFile.isEmpty()) {
        std::fprintf(stderr, "usage: run --walkthrough FILE [--out DIR] [FOLDER]\n");
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
    if (walk.Open(folder)) walk.RunText(text);
    print(walk.Summary());
    return walk.Failed() == 0 ? 0 : 1;
}

}  // namespace storyloom
