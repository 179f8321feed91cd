// The walkthrough runner: its command language, what each command does on a small game, and the
// real program played end to end from walkthrough files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QTemporaryDir>
#include <cmath>

#include "WalkFixture.h"
#include "app/CommandLine.h"
#include "app/walkthrough/RandomWalk.h"
#include "app/walkthrough/Walkthrough.h"
#include "game/Game.h"
#include "project/DialogueFile.h"
#include "project/ProjectWriter.h"

namespace storyloom::test {
namespace {

AuthoredHotspot Spot(double leftPx, double topPx) {
    AuthoredHotspot h;
    h.Left = leftPx * 15;
    h.Top = topPx * 15;
    return h;  // 100 x 100 pixels
}

// Two colour frames. Start: 1 goes to Room, 2 shows a strip, 3 shows a box, sets "score" and
// disappears, 4 asks a question in a script box. Room: 1 goes back to the last visited frame.
void WriteSmallGame(const ProjectWriter& p) {
    for (const char* f : {"Frames", "FramesData", "Areas", "Icons", "Config", "Schemes"})
        p.MakeFolder(QString::fromLatin1(f));
    GeneralFile g;
    g.GameName = QStringLiteral("Small Game");
    g.ProjectWidth = 320;
    g.ProjectHeight = 240;
    g.RunInWindow = true;
    g.InitialFrameName = QStringLiteral("Start");
    g.StartupScript = QStringLiteral("mood = \"calm and quiet\"");
    g.RunStartupScript = true;
    p.WriteGeneral(g);
    p.WriteVariables({QStringLiteral("score")}, {QStringLiteral("mood")});
    FrameFile start;
    start.BackgroundValue = QString::number(0x804020);
    p.WriteFrame(QStringLiteral("Start"), start);
    FrameFile room;
    room.BackgroundValue = QString::number(0x2080FF);
    p.WriteFrame(QStringLiteral("Room"), room);

    WriteHotspots(p, QStringLiteral("Start"),
                  {Spot(0, 0), Spot(110, 0), Spot(220, 0), Spot(0, 110)});
    p.WriteHotspotCount(QStringLiteral("Start"), 4);
    AuthoredAction go;
    go.GoToFrameOn = 1;
    go.TargetFrame = QStringLiteral("Room");
    AuthoredAction strip;
    strip.ShowMessage = true;
    strip.MessageMode = true;
    strip.MessageText = QStringLiteral("Hello from the strip");
    AuthoredAction box;
    box.ShowMessage = true;
    box.MessageText = QStringLiteral("A box says hi");
    box.ChangeVariableOn = 1;
    box.ChangeVariableName = QStringLiteral("score");
    box.SetTrue = true;
    box.DisappearOn = true;
    AuthoredAction ask;
    ask.ScriptOn = true;
    ask.ScriptCode =
        QStringLiteral("If MsgBox(\"Stay?\", vbYesNo + vbDefaultButton2) = vbYes Then score = 5");
    WriteActions(p, QStringLiteral("Start"), {go, strip, box, ask});

    WriteHotspots(p, QStringLiteral("Room"), {Spot(0, 0)});
    p.WriteHotspotCount(QStringLiteral("Room"), 1);
    AuthoredAction back;
    back.GoToLastVisited = true;
    WriteActions(p, QStringLiteral("Room"), {back});
}

QString ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// ---- The command language ------------------------------------------------------------------

WalkCommand Parse(const QString& line, QString* error) {
    const auto c = ParseWalkLine(line, 7, error);
    return c ? *c : WalkCommand{};
}

TEST(WalkParse, CommandsAndTheirArguments) {
    QString error;
    EXPECT_FALSE(ParseWalkLine(QStringLiteral("   "), 1, &error));
    EXPECT_FALSE(ParseWalkLine(QStringLiteral("  # click 3"), 1, &error));
    EXPECT_TRUE(error.isEmpty());

    WalkCommand c = Parse(QStringLiteral("click 12"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::ClickHotspot);
    EXPECT_EQ(c.a, 12);
    EXPECT_EQ(c.line, 7);
    c = Parse(QStringLiteral("rclick 40 -3"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::RightClick);
    EXPECT_EQ(c.b, -3);
    // The value of a variant is the rest of the line, inner blanks and punctuation kept.
    c = Parse(QStringLiteral("expect var LogEntry  7:40 pm. Wind westerly,  easing.  "), &error);
    EXPECT_EQ(c.name, "LogEntry");
    EXPECT_EQ(c.text, "7:40 pm. Wind westerly,  easing.");
    c = Parse(QStringLiteral("expect var Empty"), &error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(c.text, "");
    c = Parse(QStringLiteral("key q ctrl SHIFT"), &error);
    EXPECT_EQ(c.a, 'Q');
    EXPECT_EQ(c.shift, kCtrlMask | kShiftMask);
    c = Parse(QStringLiteral("menu Load game..."), &error);
    EXPECT_EQ(c.name, "Load game...");
    EXPECT_TRUE(error.isEmpty());
    c = Parse(QStringLiteral("expect sound 6 Surf.WAV"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::ExpectSound);
    EXPECT_EQ(c.a, 6);
    EXPECT_EQ(c.name, "Surf.WAV");
    c = Parse(QStringLiteral("expect volume 7 7.5"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::ExpectVolume);
    EXPECT_EQ(c.name, "7.5");
    c = Parse(QStringLiteral("expect video none"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::ExpectVideo);
    EXPECT_TRUE(c.IsExpectation());
    EXPECT_TRUE(error.isEmpty());
}

TEST(WalkParse, PointerDragAndItemCommands) {
    QString error;
    WalkCommand c = Parse(QStringLiteral("hover 12 -4"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::Hover);
    EXPECT_EQ(c.b, -4);
    c = Parse(QStringLiteral("drag 1 2 30 40"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::Drag);
    EXPECT_EQ(QList<int>({c.a, c.b, c.c, c.d}), QList<int>({1, 2, 30, 40}));
    c = Parse(QStringLiteral("drag item 2 to 300 400"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::DragItem);
    EXPECT_FALSE(c.toItem);
    EXPECT_EQ(QList<int>({c.a, c.c, c.d}), QList<int>({2, 300, 400}));
    c = Parse(QStringLiteral("drag ITEM 3 to item 1"), &error);
    EXPECT_TRUE(c.toItem);
    EXPECT_EQ(c.c, 1);
    c = Parse(QStringLiteral("expect items Key on a cord, Coin"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::ExpectItems);
    EXPECT_EQ(c.text, "Key on a cord, Coin");
    c = Parse(QStringLiteral("expect inventory Closed"), &error);
    EXPECT_EQ(c.kind, WalkCommand::Kind::ExpectInventory);
    EXPECT_EQ(c.a, 0);
    EXPECT_TRUE(error.isEmpty());
    for (const char* line :
         {"hover 1", "drag 1 2 3", "drag item 0 to 1 2", "drag item 1 to", "drag item 1 to item",
          "drag item 1 at 2 3", "expect items", "expect inventory", "expect inventory ajar"}) {
        const auto bad = ParseWalkLine(QString::fromLatin1(line), 3, &error);
        EXPECT_TRUE(bad.has_value()) << line;
        EXPECT_FALSE(error.isEmpty()) << line;
    }
}

TEST(WalkParse, KeyNames) {
    EXPECT_EQ(KeyCodeOf(QStringLiteral("Escape")), kKeyEscape);
    EXPECT_EQ(KeyCodeOf(QStringLiteral("f1")), kKeyF1);
    EXPECT_EQ(KeyCodeOf(QStringLiteral("F12")), kKeyF1 + 11);
    EXPECT_EQ(KeyCodeOf(QStringLiteral("7")), '7');
    EXPECT_EQ(KeyCodeOf(QStringLiteral("z")), 'Z');
    EXPECT_FALSE(KeyCodeOf(QStringLiteral("F13")));
    EXPECT_FALSE(KeyCodeOf(QStringLiteral("F0")));
    EXPECT_FALSE(KeyCodeOf(QStringLiteral("Hyper")));
}

TEST(WalkParse, MalformedLinesSayWhy) {
    for (const char* line : {"jump 3",
                             "click",
                             "click 0",
                             "click x",
                             "click 1 2 3",
                             "rclick 5",
                             "wait",
                             "wait -1",
                             "wait soon",
                             "key",
                             "key F13",
                             "key a meta",
                             "expect",
                             "expect colour red",
                             "expect frame",
                             "expect visible",
                             "expect hidden two",
                             "expect box",
                             "expect sound 8 a.wav",
                             "expect sound 6",
                             "expect volume 6 loud",
                             "expect volume 0 5",
                             "expect video",
                             "answer",
                             "start now",
                             "menu",
                             "screenshot",
                             "screenshot a.bmp",
                             "screenshot ../up.png",
                             "screenshot sub/a.png",
                             "state a.png",
                             "state .json",
                             "load"}) {
        QString error;
        const auto c = ParseWalkLine(QString::fromLatin1(line), 3, &error);
        EXPECT_TRUE(c.has_value()) << line;
        EXPECT_FALSE(error.isEmpty()) << line;
    }
}

// ---- The commands on a small game ------------------------------------------------------------

class WalkTest : public WalkFixture {
  protected:
    // Runs walks on the small game from its welcome window.
    WalkTest() : WalkFixture(WriteSmallGame) {}
};

TEST_F(WalkTest, ScreenshotsShowThePictureAsEachScalingModePlacesIt) {
    Run(QStringLiteral("start\nscreenshot plain.png"));
    EXPECT_EQ(QImage(out.filePath(QStringLiteral("plain.png"))).size(), QSize(1024, 768));
    const QRgb frame = qRgb(0x20, 0x40, 0x80), black = qRgb(0, 0, 0);
    // The 320x240 picture in a 1280x800 inner area: sharp takes the whole multiple 3 (960x720
    // from 160,40), smooth the largest fit (1067x800 from 107,0), original 1:1 in the middle,
    // stretch all of it.
    struct Case {
        forms::ScalingMode mode;
        std::vector<std::pair<QPoint, QRgb>> pixels;
    };
    const std::vector<Case> cases = {
        {forms::ScalingMode::Sharp,
         {{{155, 400}, black},
          {{165, 400}, frame},
          {{640, 35}, black},
          {{640, 45}, frame},
          {{1115, 400}, frame},
          {{1125, 400}, black}}},
        {forms::ScalingMode::Smooth,
         {{{100, 400}, black}, {{115, 400}, frame}, {{640, 2}, frame}, {{1180, 400}, black}}},
        {forms::ScalingMode::Original,
         {{{475, 400}, black}, {{485, 400}, frame}, {{640, 275}, black}, {{640, 285}, frame}}},
        {forms::ScalingMode::Stretch, {{{0, 0}, frame}, {{1279, 799}, frame}}},
    };
    for (const Case& c : cases) {
        const QString name = forms::ScalingModeName(c.mode);
        walk = std::make_unique<Walkthrough>(out.path(), [this](const QString& l) { lines << l; });
        walk->SetScreenshotScaling(c.mode, QSize(1280, 800));
        ASSERT_TRUE(walk->Open(project.Root()));
        walk->RunText(QStringLiteral("start\nscreenshot %1.png").arg(name));
        const QImage shot(out.filePath(name + QStringLiteral(".png")));
        ASSERT_EQ(shot.size(), QSize(1280, 800)) << name.toStdString();
        for (const auto& [point, colour] : c.pixels)
            EXPECT_EQ(shot.pixel(point), colour)
                << name.toStdString() << " at " << point.x() << "," << point.y();
    }
}

TEST_F(WalkTest, TheSmallWalkHoldsAndWritesItsFiles) {
    Run(ReadAll(QStringLiteral(STORYLOOM_SOURCE_DIR "/tests/app/small.walk")));
    EXPECT_EQ(walk->Summary(), "11 passed, 0 failed") << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.isEmpty()) << lines.join(u'\n').toStdString();

    const QImage welcome(out.filePath(QStringLiteral("welcome.png")));
    const QImage start(out.filePath(QStringLiteral("start.png")));
    ASSERT_EQ(welcome.size(), QSize(1024, 768));
    ASSERT_EQ(start.size(), QSize(1024, 768));
    // The game window shows the Start frame's colour (0x00BBGGRR written, so RGB 20 40 80)
    // somewhere on the screen where the welcome window was not.
    bool frameColour = false;
    for (int y = 0; y < 768 && !frameColour; y += 8)
        for (int x = 0; x < 1024 && !frameColour; x += 8)
            frameColour = start.pixel(x, y) == qRgb(0x20, 0x40, 0x80);
    EXPECT_TRUE(frameColour);
    EXPECT_NE(welcome, start);

    const QJsonObject state =
        QJsonDocument::fromJson(ReadAll(out.filePath(QStringLiteral("start.json"))).toUtf8())
            .object();
    EXPECT_EQ(state[QStringLiteral("frame")].toString(), "Start");
    // Going back to the last visited frame takes the room off the history again.
    EXPECT_EQ(state[QStringLiteral("history")].toArray(), QJsonArray{QStringLiteral("Start")});
    EXPECT_EQ(state[QStringLiteral("variables")].toObject()[QStringLiteral("score")].toInt(), 1);
    EXPECT_EQ(state[QStringLiteral("variantVariables")].toObject()[QStringLiteral("mood")],
              "calm and quiet");
    const QJsonArray hidden = state[QStringLiteral("hiddenHotspots")].toArray();
    ASSERT_EQ(hidden.size(), 1);
    EXPECT_EQ(hidden[0].toObject()[QStringLiteral("hotspot")].toInt(), 3);
    const QJsonArray visible = state[QStringLiteral("visibleHotspots")].toArray();
    ASSERT_EQ(visible.size(), 3);
    EXPECT_EQ(visible[1].toObject()[QStringLiteral("hotspot")].toInt(), 2);
    EXPECT_EQ(visible[1].toObject()[QStringLiteral("rect")].toArray()[0].toInt(), 112);
    const QJsonArray boxes = state[QStringLiteral("boxes")].toArray();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].toObject()[QStringLiteral("title")].toString(), "Small Game");
    EXPECT_EQ(boxes[0].toObject()[QStringLiteral("icon")].toString(), "information");
    const QJsonArray players = state[QStringLiteral("mediaPlayers")].toArray();
    ASSERT_EQ(players.size(), 8);
    EXPECT_EQ(players[0].toObject()[QStringLiteral("role")].toString(), "MPlayer(1)");
    EXPECT_EQ(players[7].toObject()[QStringLiteral("role")].toString(), "custom");
}

TEST_F(WalkTest, SavesLoadsAndAsksThroughTheWindowsAndThePanel) {
    DialogueQuestion hello;
    hello.QuestionText = QStringLiteral("Hello?");
    hello.QuestionId = 1;
    hello.InitiallyShown = true;
    hello.RevealIds = {2};
    hello.HideIds = {1};
    DialogueQuestion bye;
    bye.QuestionText = QStringLiteral("Bye");
    bye.QuestionId = 2;
    bye.EndsDialogue = true;
    project.WriteFile(QStringLiteral("FramesData/Room.dlg"), WriteDialogue({hello, bye}));
    Run(
        QStringLiteral("start\n"
                       "expect saves none\n"
                       "answer OK\n"
                       "click 3\n"
                       "save first\n"
                       "click 1\n"
                       "expect frame Room\n"
                       "expect questions hello?\n"
                       "ask HELLO?\n"
                       "expect questions Bye\n"
                       "windowshot save-window.png\n"
                       "save second\n"
                       "expect saves first , second\n"
                       "state saved.json\n"
                       "answer Cancel\n"
                       "save first\n"
                       "save bad,name\n"
                       "expect box Please do not use any of the following characters:\n"
                       "load first\n"
                       "expect frame Start\n"
                       "expect var score 1\n"
                       "expect hidden 3\n"
                       "load second\n"
                       "expect frame Room\n"
                       "expect questions Hello?\n"
                       "ask Hello?\n"
                       "ask Bye\n"
                       "expect questions none\n"
                       "load nothing\n"));
    // Only the last line fails: no such saved game.
    EXPECT_EQ(walk->Failed(), 1) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(
        lines.last().contains(QStringLiteral("no saved game nothing in the list (first, "
                                             "second)")))
        << lines.join(u'\n').toStdString();
    // The walk's saves went to its own folder, none to the game's.
    EXPECT_TRUE(QDir(project.Root()).entryList({QStringLiteral("*.sav")}).isEmpty());
    const QJsonObject state =
        QJsonDocument::fromJson(ReadAll(out.filePath(QStringLiteral("saved.json"))).toUtf8())
            .object();
    const QJsonArray saves = state[QStringLiteral("saves")].toArray();
    ASSERT_EQ(saves.size(), 2);
    EXPECT_EQ(saves[1].toObject()[QStringLiteral("name")].toString(), "second");
    EXPECT_EQ(saves[1].toObject()[QStringLiteral("place")].toString(), "user");
    const QJsonObject dialogue = state[QStringLiteral("dialogue")].toObject();
    EXPECT_TRUE(dialogue[QStringLiteral("active")].toBool());
    EXPECT_EQ(dialogue[QStringLiteral("startFrame")].toString(), "Room");
    EXPECT_TRUE(dialogue[QStringLiteral("questions")]
                    .toArray()[0]
                    .toObject()[QStringLiteral("asked")]
                    .toBool());
    EXPECT_FALSE(QImage(out.filePath(QStringLiteral("save-window.png"))).isNull());
}

TEST_F(WalkTest, TheWelcomeWindowsLoadStartsTheSavedGame) {
    Run(
        QStringLiteral("start\n"
                       "answer OK\n"
                       "click 3\n"
                       "save one\n"
                       "answer Yes\n"
                       "menu Exit\n"
                       "wait 3000\n"
                       "load one\n"
                       "expect frame Start\n"
                       "expect var score 1\n"
                       "expect hidden 3\n"));
    EXPECT_EQ(walk->Summary(), "3 passed, 0 failed") << lines.join(u'\n').toStdString();
    EXPECT_FALSE(walk->WelcomeShown());
}

// One second of a quiet 440 Hz tone: 8 kHz, 16-bit, mono PCM.
QByteArray ToneWav() {
    QByteArray data;
    for (int i = 0; i < 8000; ++i) {
        const auto v = static_cast<qint16>(3000 * std::sin(2 * 3.14159265358979 * 440 * i / 8000));
        data.append(char(v & 0xFF));
        data.append(char((v >> 8) & 0xFF));
    }
    auto u32 = [](quint32 v) {
        QByteArray b;
        for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 0xFF));
        return b;
    };
    auto u16 = [](quint16 v) {
        QByteArray b;
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
        return b;
    };
    return "RIFF" + u32(36 + quint32(data.size())) + "WAVEfmt " + u32(16) + u16(1) + u16(1) +
           u32(8000) + u32(16000) + u16(2) + u16(16) + "data" + u32(quint32(data.size())) + data;
}

TEST_F(WalkTest, SoundsAreCheckedByChannelWithTheirRealLengths) {
    project.WriteFile(QStringLiteral("Areas/tone.wav"), ToneWav());
    project.WriteFile(QStringLiteral("Areas/noise.wav"), "RIFF\x10\0\0\0WAVEjunkjunkjunk");
    FrameFile room;
    room.BackgroundValue = QString::number(0x2080FF);
    room.MusicFile = QStringLiteral("tone.wav");
    room.ChannelFadeDuration = 1000;
    room.channels = {ChannelRow{}, ChannelRow{0, true, false, 4, QStringLiteral("noise.wav")}};
    project.WriteFrame(QStringLiteral("Room"), room);
    Run(
        QStringLiteral("start\n"
                       "expect sound 6 none\n"
                       "click 1\n"
                       "expect box Another program may be using\n"  // the damaged file on channel 2
                       "expect sound 6 TONE.wav\n"
                       "expect volume 6 7\n"
                       "expect sound 6 other.wav\n"
                       "expect volume 6 3\n"
                       "expect video none\n"
                       "state room.json\n"));
    EXPECT_EQ(walk->Passed(), 5) << lines.join("\n").toStdString();
    EXPECT_EQ(walk->Failed(), 2);
    EXPECT_TRUE(
        lines.join("\n").contains("line 7: expected channel 6 playing other.wav, got tone.wav"))
        << lines.join("\n").toStdString();
    EXPECT_TRUE(lines.join("\n").contains("line 8: expected channel 6 at level 3, got 7"));
    const QJsonObject state =
        QJsonDocument::fromJson(ReadAll(out.filePath(QStringLiteral("room.json"))).toUtf8())
            .object();
    const QJsonArray players = state[QStringLiteral("mediaPlayers")].toArray();
    ASSERT_GE(players.size(), 7);
    const QJsonObject six = players[5].toObject();
    EXPECT_EQ(six[QStringLiteral("role")].toString(), "MPlayer(6)");
    EXPECT_EQ(six[QStringLiteral("state")].toString(), "playing");
    EXPECT_NEAR(six[QStringLiteral("duration")].toDouble(), 1.0, 0.01);
    EXPECT_EQ(six[QStringLiteral("volume")].toInt(), -1200);
}

TEST_F(WalkTest, FailuresAreNamedWithTheirLines) {
    Run(
        QStringLiteral("click 1\n"               // 1: before the start
                       "start\n"                 // 2
                       "expect frame Room\n"     // 3
                       "click 9\n"               // 4: no such hotspot
                       "# fine\n"                // 5
                       "expect var nothing 1\n"  // 6
                       "jump\n"                  // 7
                       "load First\n"            // 8
                       "expect strip any\n"      // 9
                       "expect visible 2\n"      // 10: holds
                       "start\n"));              // 11: the welcome window is gone
    EXPECT_EQ(walk->Summary(), "1 passed, 8 failed");
    ASSERT_EQ(lines.size(), 8) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines[0], "line 1: the game window is not shown");
    EXPECT_EQ(lines[1], "line 3: expected frame Room, got Start");
    EXPECT_EQ(lines[2], "line 4: frame Start has no hotspot 9");
    EXPECT_EQ(lines[3], "line 6: no variable nothing");
    EXPECT_EQ(lines[4], "line 7: unknown command: jump");
    EXPECT_EQ(lines[5], "line 8: no saved game First in the list (none)");
    EXPECT_EQ(lines[6], "line 9: expected the strip with \"any\", got no strip");
    EXPECT_EQ(lines[7], "line 11: the welcome window is not shown");
}

TEST_F(WalkTest, HiddenHotspotsTakeNoClickCommand) {
    Run(QStringLiteral("start\nanswer OK\nclick 3\nclick 3\nexpect hidden 3\nexpect visible 3\n"));
    EXPECT_EQ(walk->Summary(), "1 passed, 2 failed");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "line 4: hotspot 3 is hidden");
    EXPECT_EQ(lines[1], "line 6: expected hotspot 3 visible, got hidden");
}

TEST_F(WalkTest, BoxesMatchOnceAndOnlySinceTheLastOtherExpectation) {
    Run(
        QStringLiteral("start\n"
                       "answer OK\nclick 3\n"  // the box "A box says hi"
                       "expect box says\n"     // holds
                       "expect box says\n"     // 5: the box was matched already
                       "expect frame Start\n"  // holds; older boxes go out of reach
                       "expect box says\n"));  // 7
    EXPECT_EQ(walk->Summary(), "2 passed, 2 failed");
    ASSERT_EQ(lines.size(), 2) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines[0], "line 5: expected a box with \"says\", got no box");
    EXPECT_EQ(lines[1], "line 7: expected a box with \"says\", got no box");
}

TEST_F(WalkTest, AnswersGoToScriptBoxesAndUnansweredBoxesAreLogged) {
    // Hotspot 4's script asks with No as the default button: Yes only when the walk says so.
    Run(
        QStringLiteral("start\nclick 4\nexpect var score 0\n"
                       "answer Yes\nclick 4\nexpect var score 5\n"
                       "answer Retry\nclick 4\n"
                       "answer OK\n"));
    EXPECT_EQ(walk->Passed(), 2);
    // An unanswered box is logged with the button it got; an answer the box cannot take and an
    // answer nobody asked for are failures.
    ASSERT_GE(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith("line 2: box \"Stay?\"")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("got its default: No")) << lines[0].toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("line 8: ")).size() >= 1);
    EXPECT_EQ(lines.last(), "line 9: the answer \"OK\" was never asked for");
    EXPECT_EQ(walk->Failed(), 2);
}

TEST_F(WalkTest, EscapeOnTheWelcomeWindowEndsTheProgram) {
    Run(QStringLiteral("key Escape\nexpect frame Start\nstart\nwait 100\n"));
    EXPECT_TRUE(walk->ProgramEnded());
    EXPECT_EQ(walk->Summary(), "0 passed, 2 failed");
    EXPECT_EQ(lines.value(0), "line 2: the program has ended");
    EXPECT_EQ(lines.value(1), "line 3: the program has ended");
}

TEST_F(WalkTest, WaitRunsTheStripTimerAndClicksByPixels) {
    Run(
        QStringLiteral("start\nclick 150 50\nexpect strip Hello\nwait 5000\nexpect strip Hello\n"
                       "click 50 50\nexpect frame Room\nrclick 50 50\nexpect frame Room\n"));
    EXPECT_EQ(walk->Summary(), "3 passed, 1 failed") << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.value(0), "line 5: expected the strip with \"Hello\", got no strip");
}

TEST(WalkOpen, AFolderWithoutAGameIsAFailure) {
    EnsureApp();
    QTemporaryDir empty;
    QStringList lines;
    Walkthrough walk(empty.path(), [&](const QString& l) { lines << l; });
    EXPECT_FALSE(walk.Open(empty.path()));
    EXPECT_EQ(walk.Failed(), 1);
}

// ---- The real program
// ------------------------------------------------------------------------

struct RunResult {
    int exitCode = -1;
    QStringList lines;
};

RunResult RunProgram(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(STORYLOOM_RUN_BINARY), args);
    RunResult r;
    if (!p.waitForFinished(120000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.lines = QString::fromLocal8Bit(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    return r;
}

TEST(WalkProgram, PlaysTheSmallGameAndReportsFailures) {
    EnsureApp();
    ProjectWriter project;
    WriteSmallGame(project);
    QTemporaryDir out;
    const QString dir = QStringLiteral(STORYLOOM_SOURCE_DIR "/tests/app/");
    RunResult ok = RunProgram({QStringLiteral("--walkthrough"), dir + QStringLiteral("small.walk"),
                               QStringLiteral("--out"), out.path(), project.Root()});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.lines, QStringList{QStringLiteral("11 passed, 0 failed")});
    EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("start.png"))));

    RunResult bad =
        RunProgram({QStringLiteral("--walkthrough"), dir + QStringLiteral("failing.walk"),
                    QStringLiteral("--out"), out.path(), project.Root()});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.lines,
              (QStringList{"line 3: expected frame Room, got Start",
                           "line 4: frame Start has no hotspot 9", "line 5: unknown command: jump",
                           "line 6: expected score = \"7\", got \"0\"",
                           "line 7: no saved game First in the list (none)",
                           "line 8: expected the strip with \"never shown\", got no strip",
                           "0 passed, 6 failed"}));

    RunResult usage = RunProgram({QStringLiteral("--walkthrough")});
    EXPECT_EQ(usage.exitCode, 2);
    RunResult missing = RunProgram(
        {QStringLiteral("--walkthrough"), dir + QStringLiteral("no-such.walk"), project.Root()});
    EXPECT_EQ(missing.exitCode, 2);
}

}  // namespace
}  // namespace storyloom::test

namespace storyloom::test {
namespace {

// The rowboat of the demo's shore answers a press with a message box. On a desktop the release
// goes to the box; the clicks after it must reach what they are made on, not the boat again.
TEST(WalkInput, TheRowboatsBoxDoesNotKeepTheMouse) {
    EnsureApp();
    QTemporaryDir out;
    QStringList lines;
    Walkthrough walk(out.path(), [&lines](const QString& l) { lines << l; });
    ASSERT_TRUE(walk.Open(QStringLiteral(STORYLOOM_SOURCE_DIR "/examples/demo")));
    walk.RunText(QStringLiteral(
        "start\n"
        // The title card's timer jumps at 6 s with a cross-fade of 1.2 s.
        "wait 7500\n"
        "expect frame shore\n"
        // Press on the rowboat: its box opens and takes OK, and with it the release, which on a
        // desktop goes to the box and never reaches the game window.
        "answer OK\n"
        "press 150 500\n"
        "expect box Your old rowboat, hauled up above the tide line.\n"
        // The open sea, beside every hotspot: nothing happens, no box.
        "press 480 300\n"
        "release 480 300\n"
        "click 480 300\n"
        // The sky: the plug-in's message, not the boat's box.
        "click 4\n"
        "expect strip You study the sky. Wind westerly, rising: a fair night for the lamp.\n"));
    EXPECT_EQ(walk.Summary(), "3 passed, 0 failed") << lines.join(u'\n').toStdString();
    // Exactly one box: the boat's. A stuck press would have opened it again on every click.
    EXPECT_TRUE(lines.isEmpty()) << lines.join(u'\n').toStdString();
}

}  // namespace
}  // namespace storyloom::test

namespace storyloom::test {
namespace {

TEST(RandomWalks, AreTheSameForASeedAndDifferentAcrossSeeds) {
    RandomWalkOptions o;
    o.commands = 200;
    const QString a = RandomWalkText(5, o);
    EXPECT_EQ(a, RandomWalkText(5, o));
    EXPECT_NE(a, RandomWalkText(6, o));
    const QStringList lines = a.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.first(), "start");
    // Every line is a command the runner understands.
    int presses = 0;
    for (int i = 0; i < lines.size(); ++i) {
        QString error;
        ASSERT_TRUE(ParseWalkLine(lines[i], i + 1, &error)) << lines[i].toStdString();
        EXPECT_TRUE(error.isEmpty()) << lines[i].toStdString() << ": " << error.toStdString();
        if (lines[i].startsWith(QStringLiteral("press "))) ++presses;
    }
    EXPECT_GT(presses, 0);
}

TEST(RandomWalks, DamageLeavesTheProjectInformationAndSaysWhatItDid) {
    ProjectWriter project;
    WriteSmallGame(project);
    const QByteArray general =
        ReadAll(project.NativePath(QStringLiteral("Config/General"))).toUtf8();
    const QStringList done = DamageGameFolder(project.Root(), 3, 40);
    EXPECT_GE(done.size(), 10);
    EXPECT_LE(done.size(), 40);
    // A file is damaged only while it is there: nothing is reported of it once removed.
    QSet<QString> removed;
    for (const QString& line : done) {
        const QString name = line.section(u' ', 0, 0);
        EXPECT_FALSE(removed.contains(name)) << line.toStdString();
        if (line.endsWith(QStringLiteral(" removed"))) removed.insert(name);
    }
    for (const QString& name : removed)
        EXPECT_FALSE(QFileInfo::exists(project.Root() + u'/' + name));
    EXPECT_EQ(ReadAll(project.NativePath(QStringLiteral("Config/General"))).toUtf8(), general);
}

// A short run of the long campaign: random walks over the small game and damaged copies of it
// end without a crash or a hang (a hang would stop the test program at its time limit).
TEST(RandomWalks, PlayTheSmallGameAndItsDamagedCopies) {
    EnsureApp();
    ProjectWriter project;
    WriteSmallGame(project);
    RandomWalkOptions o;
    o.commands = 150;
    o.picture = QSize(64, 48);
    o.hotspots = 4;
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        QTemporaryDir copy, out;
        const QString game = copy.path() + QStringLiteral("/game");
        ASSERT_TRUE(QDir().mkpath(game));
        for (const QString& f : QDir(project.Root()).entryList(QDir::Files | QDir::NoDotAndDotDot))
            QFile::copy(project.Root() + u'/' + f, game + u'/' + f);
        QDirIterator it(project.Root(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            const QString target = game + f.mid(project.Root().size());
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(f, target);
        }
        if (seed % 2 == 0) DamageGameFolder(game, seed, 2);
        Walkthrough walk(out.path(), [](const QString&) {});
        if (walk.Open(game)) walk.RunText(RandomWalkText(seed, o));
    }
}

}  // namespace
}  // namespace storyloom::test

namespace storyloom::test {

// --- The command line ----------------------------------------------------------------------

TEST(CommandLineParse, SaysWhatARunIsAskedToDo) {
    using A = CommandLine::Action;
    EXPECT_EQ(ParseCommandLine({}).action, A::Play);
    const CommandLine play = ParseCommandLine({QStringLiteral("/games/x")});
    EXPECT_EQ(play.action, A::Play);
    EXPECT_EQ(play.folder, QStringLiteral("/games/x"));
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--help")}).action, A::Help);
    EXPECT_EQ(ParseCommandLine({QStringLiteral("/g"), QStringLiteral("-h")}).action, A::Help);
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--version")}).action, A::Version);
    const CommandLine info = ParseCommandLine({QStringLiteral("--info"), QStringLiteral("g")});
    EXPECT_EQ(info.action, A::Info);
    EXPECT_EQ(info.folder, QStringLiteral("g"));
    // The walkthrough runners read their own options.
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--walkthrough"), QStringLiteral("--out")}).action,
              A::Walkthrough);
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--random-walk"), QStringLiteral("--seed")}).action,
              A::RandomWalk);
    const CommandLine unknown = ParseCommandLine({QStringLiteral("--frobnicate")});
    EXPECT_EQ(unknown.action, A::Mistake);
    EXPECT_TRUE(unknown.error.contains(QStringLiteral("--frobnicate")));
    EXPECT_EQ(ParseCommandLine({QStringLiteral("a"), QStringLiteral("b")}).action, A::Mistake);
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--info"), QStringLiteral("--x")}).action,
              A::Mistake);
}

TEST(CommandLineParse, FullScreenAndScalingForOneRun) {
    using A = CommandLine::Action;
    const CommandLine c =
        ParseCommandLine({QStringLiteral("--fullscreen"), QStringLiteral("--scale"),
                          QStringLiteral("Stretch"), QStringLiteral("/g")});
    EXPECT_EQ(c.action, A::Play);
    EXPECT_EQ(c.fullScreen, true);
    EXPECT_EQ(c.scale, QStringLiteral("stretch"));
    EXPECT_EQ(c.folder, QStringLiteral("/g"));
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--window")}).fullScreen, false);
    EXPECT_FALSE(ParseCommandLine({QStringLiteral("/g")}).fullScreen.has_value());
    const CommandLine bad = ParseCommandLine({QStringLiteral("--scale"), QStringLiteral("blur")});
    EXPECT_EQ(bad.action, A::Mistake);
    EXPECT_TRUE(bad.error.contains(QStringLiteral("original, sharp, smooth or stretch")));
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--scale")}).action, A::Mistake);
    // Only a game that is played has a window to show.
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--info"), QStringLiteral("--fullscreen")}).action,
              A::Mistake);
}

TEST(CommandLineParse, AGameFolderIsOneWithItsProjectInformationInAnyCase) {
    QTemporaryDir dir;
    const QString root = dir.path();
    EXPECT_EQ(NotAGameFolder(root + QStringLiteral("/none")),
              root + QStringLiteral("/none is not a game folder: it is not a folder"));
    EXPECT_EQ(NotAGameFolder(root),
              root + QStringLiteral(" is not a game folder: Config/General is missing"));
    QDir(root).mkpath(QStringLiteral("CONFIG"));
    EXPECT_FALSE(NotAGameFolder(root).isEmpty());
    QFile general(root + QStringLiteral("/CONFIG/general"));
    ASSERT_TRUE(general.open(QIODevice::WriteOnly));
    general.close();
    EXPECT_EQ(NotAGameFolder(root), QString());
}

namespace {

struct Ran {
    int code = -1;
    QString out, err;
};

Ran RunCommand(const QStringList& args, bool display = true) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    else
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(STORYLOOM_RUN_BINARY), args);
    Ran r;
    if (!p.waitForFinished(60000)) return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

}  // namespace

TEST(CommandLineProgram, HelpVersionAndMistakesNeedNoDisplay) {
    const Ran help = RunCommand({QStringLiteral("--help")}, false);
    EXPECT_EQ(help.code, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: run"))) << help.out.toStdString();
    const Ran version = RunCommand({QStringLiteral("--version")}, false);
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("storyloom "))) << version.out.toStdString();
    const Ran unknown = RunCommand({QStringLiteral("--frobnicate")}, false);
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("unknown option --frobnicate")));
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("usage: run")));
    EXPECT_TRUE(unknown.out.isEmpty());
}

TEST(CommandLineProgram, ANonGameFolderIsRefusedWithoutAWindow) {
    QTemporaryDir dir;
    // No display at all: the refusal comes before any window could open.
    const Ran empty = RunCommand({dir.path()}, false);
    EXPECT_EQ(empty.code, 2);
    EXPECT_EQ(empty.err.trimmed(),
              dir.path() + QStringLiteral(" is not a game folder: Config/General is missing"));
    const Ran file = RunCommand({QStringLiteral(STORYLOOM_RUN_BINARY)}, false);
    EXPECT_EQ(file.code, 2);
    EXPECT_TRUE(file.err.contains(QStringLiteral("is not a game folder")))
        << file.err.toStdString();
    EXPECT_FALSE(file.err.contains(u'\\'));
}

TEST(CommandLineProgram, InfoFailsWhenTheProjectCannotBeRead) {
    ProjectWriter project;
    WriteSmallGame(project);
    const Ran good = RunCommand({QStringLiteral("--info"), project.Root()});
    EXPECT_EQ(good.code, 0) << good.err.toStdString();
    EXPECT_TRUE(good.out.contains(QStringLiteral("Project folder:   ") + project.Root()))
        << good.out.toStdString();
    QFile general(project.NativePath(QStringLiteral("Config/General")));
    ASSERT_TRUE(general.open(QIODevice::WriteOnly | QIODevice::Truncate));
    general.write("\"x\"\r\n12,\"unterminated");
    general.close();
    const Ran damaged = RunCommand({QStringLiteral("--info"), project.Root()});
    EXPECT_EQ(damaged.code, 1) << damaged.out.toStdString();
    EXPECT_TRUE(damaged.err.contains(QStringLiteral("Error loading project information")))
        << damaged.err.toStdString();
    QTemporaryDir empty;
    EXPECT_EQ(RunCommand({QStringLiteral("--info"), empty.path()}).code, 1);
}

}  // namespace storyloom::test
