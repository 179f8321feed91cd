#pragma once
// A Game over a small project in a temp folder, on the test platform: virtual clock, scripted
// boxes, null media players, offscreen controls; services that record what the game asked of
// them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <functional>
#include <memory>

#include "TestProgram.h"
#include "game/Game.h"
#include "platform/media/NullMediaPlayer.h"
#include "platform/seqfile/SeqFile.h"
#include "project/Messages.h"
#include "project/ProjectInformation.h"

namespace storyloom::test {

// Records every script text; `onRun` may answer with requests and failure.
class RecordingScripts : public ScriptRunner {
  public:
    bool ExecuteVBScript(const QString& text, bool resetLastClickPosition) override {
        texts << text;
        resets.push_back(resetLastClickPosition);
        return onRun ? onRun(text, requests) : true;
    }
    void ExecuteOnLoadVBScript() override { texts << QStringLiteral("<on load>"); }
    void SetTimeoutAllEngines(int ms) override { allTimeouts.push_back(ms); }
    void SetMainTimeout(int ms) override { mainTimeouts.push_back(ms); }
    QStringList texts;
    std::vector<bool> resets;
    std::vector<int> allTimeouts, mainTimeouts;
    std::function<bool(const QString&, ScriptRequests&)> onRun;
};

// One log for the calls into the later subsystems, in order.
struct CallLog {
    QStringList calls;
    void Add(const QString& call) { calls << call; }
    bool Has(const QString& call) const { return calls.contains(call); }
    int IndexOf(const QString& call) const { return static_cast<int>(calls.indexOf(call)); }
};

class LoggingTransitions : public TransitionService {
  public:
    explicit LoggingTransitions(CallLog& log) : log_(log) {}
    void TransitionStep1(int n) override { log_.Add(QStringLiteral("step1 %1").arg(n)); }
    void TransitionStep2(int n, double s) override {
        log_.Add(QStringLiteral("step2 %1 %2").arg(n).arg(s));
    }

  private:
    CallLog& log_;
};

class LoggingSound : public SoundChannelService {
  public:
    explicit LoggingSound(CallLog& log) : log_(log) {}
    void StartChannelChanges() override { log_.Add(QStringLiteral("channels")); }
    void FadeChannels(double a) override { log_.Add(QStringLiteral("fade %1").arg(a)); }
    void PlaySoundChannels(SeqReader& r) override {
        log_.Add(QStringLiteral("sound block"));
        while (!r.AtEnd()) r.ReadVariant();
    }

  private:
    CallLog& log_;
};

// A one-time video "plays" for playsForMs of virtual time.
class LoggingVideo : public VideoService {
  public:
    LoggingVideo(CallLog& log, EventLoop& loop) : log_(log), loop_(loop) {}
    void PlayMovieWithStop(const QString& file, bool stretched, int l, int t, int w,
                           int h) override {
        log_.Add(QStringLiteral("video %1 %2 %3 %4 %5 %6")
                     .arg(file)
                     .arg(stretched)
                     .arg(l)
                     .arg(t)
                     .arg(w)
                     .arg(h));
        endMs = loop_.NowMs() + playsForMs;
    }
    void StopOneTimeVideoPlayer() override { endMs = 0; }
    bool IsOneTimeVideoPlaying() const override { return loop_.NowMs() < endMs; }
    qint64 endMs = 0;
    int playsForMs = 0;

  private:
    CallLog& log_;
    EventLoop& loop_;
};

class LoggingInventory : public InventoryService {
  public:
    explicit LoggingInventory(CallLog& log) : log_(log) {}
    void PickOrNotPickObject(int i) override { log_.Add(QStringLiteral("pick %1").arg(i)); }
    void AddPickedObject(const QString& name, bool) override {
        log_.Add(QStringLiteral("give ") + name);
    }
    void RemovePickedObject(int i) override { log_.Add(QStringLiteral("use up %1").arg(i)); }
    QString PickedObjectName(int i) const override { return i == 1 ? itemName : QString(); }
    bool InventoryMoving() const override { return moving; }
    int DraggedItemIndex() const override { return dragged; }
    int dragged = 0;
    QString itemName = QStringLiteral("Key");
    bool moving = false;

  private:
    CallLog& log_;
};

class LoggingSavedGames : public SavedGameService {
  public:
    explicit LoggingSavedGames(CallLog& log) : log_(log) {}
    void ShowLoadGameWindow(bool) override { log_.Add(QStringLiteral("load window")); }
    void ShowSaveGameWindow() override { log_.Add(QStringLiteral("save window")); }

  private:
    CallLog& log_;
};

class LoggingDialogues : public DialogueService {
  public:
    explicit LoggingDialogues(CallLog& log) : log_(log) {}
    void CloseDialogue() override { log_.Add(QStringLiteral("close dialogue")); }
    void LoadAndShowQuestions(const QString& f) override {
        log_.Add(QStringLiteral("dialogue ") + f);
    }

  private:
    CallLog& log_;
};

class GameTest : public ::testing::Test {
  protected:
    GameTest() {
        EnsureApp();
        SetDefaultMessages(t.program.Messages, 0);
        general.ProjectWidth = 64;
        general.ProjectHeight = 48;
        general.InitialFrameName = QStringLiteral("Start");
        t.project.MakeFolder(QStringLiteral("Frames"));
        t.project.MakeFolder(QStringLiteral("FramesData"));
        t.project.MakeFolder(QStringLiteral("Areas"));
        t.project.MakeFolder(QStringLiteral("Icons"));
        t.project.WriteVariables({QStringLiteral("door_open"), QStringLiteral("lamp")});
    }

    // Writes the project information, builds the game and resets it.
    Game& Start() {
        t.project.WriteGeneral(general);
        LoadProjectInformation(t.program);
        GameServices s;
        s.transitions = &transitions;
        s.sound = &sound;
        s.video = &video;
        s.inventory = &inventory;
        s.savedGames = &savedGames;
        s.dialogues = &dialogues;
        s.animated = animated;
        game = std::make_unique<Game>(t.program, scripts, s);
        game->ScreenWidthPx = general.ProjectWidth;
        game->ScreenHeightPx = general.ProjectHeight;
        game->onClosed = [this](bool) { ++closedCount; };
        game->ResetAll();
        return *game;
    }

    // A frame with a plain colour background (0x00BBGGRR).
    void ColourFrame(const QString& name, qint64 color = 0, FrameFile f = {}) {
        f.BackgroundType = 0;
        f.BackgroundValue = QString::number(color);
        t.project.WriteFrame(name, f);
    }

    QStringList BoxTexts() const {
        QStringList out;
        for (const auto& b : t.Boxes()) out << b.text;
        return out;
    }
    // The shared error box text for an operation's sentence.
    QString ErrorText(const QString& sentence) const {
        return t.program.Messages(30) + QStringLiteral("\r\n\r\n") + t.program.Messages(31) +
               sentence;
    }

    TestProgram t;
    GeneralFile general;
    NullMediaLibrary& media = t.platform.media;
    RecordingScripts scripts;
    CallLog log;
    LoggingTransitions transitions{log};
    LoggingSound sound{log};
    LoggingVideo video{log, t.loop};
    LoggingInventory inventory{log};
    LoggingSavedGames savedGames{log};
    LoggingDialogues dialogues{log};
    // The animated pictures of the hotspots (none unless a test sets one before Start).
    AnimatedObjectService* animated = nullptr;
    std::unique_ptr<Game> game;
    int closedCount = 0;
};

}  // namespace storyloom::test
