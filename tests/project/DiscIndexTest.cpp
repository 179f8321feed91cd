#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "TestProgram.h"
#include "core/BasicConvert.h"
#include "project/DiscIndex.h"
#include "project/MediaFiles.h"
#include "project/Messages.h"

namespace storyloom::test {
namespace {

// Stands in for the game and its run-from-disc window: each time the window opens it "chooses"
// the next folder of `choices` (an empty one cancels); the game's two timers are on until the
// game is paused, and the log tells what was asked.
class FakePrompt : public DiscPrompt {
  public:
    explicit FakePrompt(Program& program) : program_(program) {}
    PausedActivity PauseGame() override {
        log << QStringLiteral("pause");
        const PausedActivity was{timersOn, timersOn};
        timersOn = false;
        return was;
    }
    void ResumeGame(const PausedActivity& paused) override {
        log << QStringLiteral("resume");
        timersOn = paused.frameTimer && paused.messageTimer;
    }
    void StopGame() override { log << QStringLiteral("stop"); }
    void AskForDisc(const QString& folder, int disc) override {
        log << QStringLiteral("ask %1 %2").arg(disc).arg(folder);
        const QString next = choices.isEmpty() ? QString() : choices.takeFirst();
        if (next.isEmpty())
            program_.StopRequested = true;
        else
            program_.SaveUserSetting(UserKeys::kDriveLetter, next);
    }
    QStringList choices;
    QStringList log;
    bool timersOn = true;

  private:
    Program& program_;
};

class DiscIndexTest : public ::testing::Test {
  protected:
    DiscIndexTest() {
        SetDefaultMessages(t.program.Messages, 0);
        t.program.info.GameName = QStringLiteral("Quest");
        t.program.discPrompt = &prompt;
    }
    QString Frames(const QString& name) const { return t.program.paths.FramesPath + name; }
    QString Areas(const QString& name) const { return t.program.paths.AreasPath + name; }
    QString Disc(int n) const { return discs.path() + QStringLiteral("/disc%1").arg(n); }
    // A file on disc `n`, written in the letter case a Linux copy may have.
    void OnDisc(int n, const QString& relative) const {
        ProjectWriter(Disc(n)).WriteFile(relative, "x");
    }
    void Load() { LoadDiscIndex(t.program); }
    QString DriveSetting() const { return t.program.GetUserSetting(UserKeys::kDriveLetter); }

    TestProgram t;
    FakePrompt prompt{t.program};
    QTemporaryDir discs;
};

TEST_F(DiscIndexTest, KeepsOnlyEntriesWithANameADiscInRangeAndAKind) {
    t.project.WriteDiscIndex(3, {{"hall.bmp", 2, 1},
                                 {"", 2, 1},
                                 {"zero.bmp", 0, 1},
                                 {"four.bmp", 4, 2},
                                 {"nokind.bmp", 3, 0},
                                 {"door.wav", 3, 2},
                                 {"odd.bmp", 1, 7}});
    Load();
    ASSERT_EQ(t.program.discs.entries.size(), 3u);
    EXPECT_EQ(t.program.discs.discCount, 3);
    EXPECT_EQ(t.program.discs.entries[0].name, "hall.bmp");
    EXPECT_EQ(t.program.discs.entries[1].name, "door.wav");
    EXPECT_EQ(t.program.discs.entries[1].disc, 3);
    EXPECT_EQ(t.program.discs.entries[1].kind, 2);
    EXPECT_EQ(t.program.discs.entries[2].kind, 7);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(DiscIndexTest, DamagedIndexIsReportedAndKeepsNoEntry) {
    const QString error = t.program.Messages(30) + kCrLf + kCrLf + t.program.Messages(31) +
                          QStringLiteral(" Error loading CD index.");
    t.project.WriteFile("RunFromCD.dat", "");
    const char* damaged[] = {
        // cut short inside an entry
        "\"a\",1,2\r\n2\r\n0,0\r\n\"hall.bmp\",2,1\r\n\"door.bmp\",2\r\n",
        // a disc number that is not one
        "\"a\",1,2\r\n2\r\n0,0\r\n\"hall.bmp\",two,1\r\n",
        // a kind too large for the field
        "\"a\",1,2\r\n2\r\n0,0\r\n\"hall.bmp\",2,99999\r\n",
        // the header alone, cut short
        "\"a\",1\r\n",
    };
    for (const char* text : damaged) {
        t.platform.dialogs.shown.clear();
        t.project.WriteFile("Config/CDContents", text);
        t.program.discs.entries.push_back({});  // what an earlier read left
        Load();
        EXPECT_TRUE(t.program.discs.entries.empty()) << text;
        ASSERT_EQ(t.Boxes().size(), 1u) << text;
        EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
        EXPECT_EQ(t.Boxes()[0].title, t.program.Messages(29));
        EXPECT_EQ(t.Boxes()[0].text, error);
    }
    // An index of no entries at all is no damage.
    t.platform.dialogs.shown.clear();
    t.project.WriteDiscIndex(2, {});
    Load();
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(DiscIndexTest, WithoutTheMarkerEveryPathStaysAsItIs) {
    t.project.WriteDiscIndex(2, {{"hall.bmp", 2, 1}}, /*marker=*/false);
    OnDisc(2, "Data/Quest/Frames/hall.bmp");
    t.program.SaveUserSetting(UserKeys::kDriveLetter, Disc(2));
    Load();
    EXPECT_TRUE(t.program.discs.entries.empty());
    EXPECT_EQ(ResolveDiscPath(t.program, Frames("hall.bmp")), Frames("hall.bmp"));
    // The media lookup reports the missing file as it does for a game on one disc.
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("hall.bmp")), Frames("hall.004"));
    EXPECT_TRUE(prompt.log.isEmpty());
    // The marker without the index is not enough either.
    t.project.WriteFile("RunFromCD.dat", "");
    t.project.Remove("Config/CDContents");
    EXPECT_EQ(ResolveDiscPath(t.program, Frames("hall.bmp")), Frames("hall.bmp"));
}

TEST_F(DiscIndexTest, FilesAreFoundOnTheChosenDiscWhateverTheirLetterCase) {
    t.project.WriteDiscIndex(2, {{"hall.bmp", 2, 1}, {"bell.wav", 2, 2}});
    Load();
    OnDisc(2, "data/QUEST/frames/Hall.BMP");
    OnDisc(2, "data/QUEST/AREAS/bell.213");  // disguised on the disc as in the game's folder
    t.program.SaveUserSetting(UserKeys::kDriveLetter, Disc(2) + QStringLiteral("/"));
    const QString hall = ResolveMediaPath(t.program, Frames("hall.bmp"));
    EXPECT_EQ(hall, Disc(2) + QStringLiteral("/Data/Quest/Frames/hall.bmp"));
    EXPECT_FALSE(t.files.FileExists(hall).isEmpty());
    EXPECT_EQ(ResolveMediaPath(t.program, Areas("bell.wav")),
              Disc(2) + QStringLiteral("/Data/Quest/Areas/bell.213"));
    // A file of the game's own folder needs no disc.
    t.project.WriteFile("Frames/local.bmp", "x");
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("local.bmp")), Frames("local.bmp"));
    EXPECT_TRUE(t.Boxes().empty());
    EXPECT_TRUE(prompt.log.isEmpty());
}

TEST_F(DiscIndexTest, FilesOutsideTheIndexAreNeverAskedFor) {
    t.project.WriteDiscIndex(2, {{"hall.bmp", 2, 1}, {"odd.bmp", 2, 5}});
    Load();
    t.program.SaveUserSetting(UserKeys::kDriveLetter, Disc(2));
    EXPECT_EQ(ResolveDiscPath(t.program, Areas("hall.bmp")), Areas("hall.bmp"));
    EXPECT_EQ(ResolveDiscPath(t.program, Frames("other.bmp")), Frames("other.bmp"));
    EXPECT_EQ(ResolveDiscPath(t.program, Frames("odd.bmp")), Frames("odd.bmp"));
    EXPECT_TRUE(prompt.log.isEmpty());
}

TEST_F(DiscIndexTest, WrongFolderNamesThePathTriedAndAsksAgain) {
    t.project.WriteDiscIndex(2, {{"hall.bmp", 2, 1}});
    Load();
    OnDisc(1, "Data/Quest/Frames/start.bmp");
    OnDisc(2, "Data/Quest/Frames/hall.bmp");
    t.program.SaveUserSetting(UserKeys::kDriveLetter, Disc(1));
    prompt.choices = {Disc(1), Disc(2)};

    const QString found = ResolveMediaPath(t.program, Frames("hall.bmp"));
    EXPECT_EQ(found, Disc(2) + QStringLiteral("/Data/Quest/Frames/hall.bmp"));
    EXPECT_EQ(prompt.log, QStringList({"pause", "ask 2 " + Disc(1), "ask 2 " + Disc(1), "resume"}));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(t.Boxes()[0].title, "Quest");
    EXPECT_EQ(t.Boxes()[0].text, t.program.Messages(45) + kCrLf + kCrLf + Disc(1) +
                                     QStringLiteral("/Data/Quest/Frames/hall.bmp") + kCrLf + kCrLf +
                                     t.program.Messages(46));
    // The timers come back as they were before the first window, not as the second found them.
    EXPECT_TRUE(prompt.timersOn);
    EXPECT_EQ(DriveSetting(), Disc(2));
}

TEST_F(DiscIndexTest, AFolderHoldingEveryDiscIsChosenOnce) {
    t.project.WriteDiscIndex(3, {{"hall.bmp", 2, 1}, {"cave.bmp", 3, 1}, {"bell.wav", 3, 2}});
    Load();
    ProjectWriter all(Disc(9));
    all.WriteFile("Data/Quest/Frames/hall.bmp", "x");
    all.WriteFile("Data/Quest/Frames/cave.bmp", "x");
    all.WriteFile("Data/Quest/Areas/bell.wav", "x");
    prompt.choices = {Disc(9)};
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("hall.bmp")),
              Disc(9) + QStringLiteral("/Data/Quest/Frames/hall.bmp"));
    EXPECT_EQ(ResolveMediaPath(t.program, Frames("cave.bmp")),
              Disc(9) + QStringLiteral("/Data/Quest/Frames/cave.bmp"));
    EXPECT_EQ(ResolveMediaPath(t.program, Areas("bell.wav")),
              Disc(9) + QStringLiteral("/Data/Quest/Areas/bell.wav"));
    EXPECT_EQ(prompt.log, QStringList({"pause", "ask 2 ", "resume"}));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(DiscIndexTest, CancellingStopsTheGameWithoutFurtherBoxes) {
    t.project.WriteDiscIndex(2, {{"hall.bmp", 2, 1}});
    Load();
    t.program.SaveUserSetting(UserKeys::kDriveLetter, Disc(1));
    prompt.choices = {QString()};
    ResolveMediaPath(t.program, Frames("hall.bmp"));
    EXPECT_TRUE(t.program.StopRequested);
    EXPECT_EQ(prompt.log, QStringList({"pause", "ask 2 " + Disc(1), "stop"}));
    EXPECT_TRUE(t.Boxes().empty());
    // Once stopping, nobody is asked again.
    prompt.log.clear();
    ResolveMediaPath(t.program, Frames("hall.bmp"));
    EXPECT_TRUE(prompt.log.isEmpty());
}

TEST_F(DiscIndexTest, WithoutAChosenFolderTheLastRemovableMediumIsTried) {
    t.project.WriteDiscIndex(2, {{"hall.bmp", 2, 1}});
    Load();
    t.project.WriteFile("mounts",
                        "/dev/sda1 / ext4 rw 0 0\n"
                        "/dev/sr0 /media/user/QUEST\\0401 iso9660 ro 0 0\n"
                        "/dev/sdb1 /run/media/user/STICK vfat rw 0 0\n"
                        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                        "/dev/sdc1 /mediashare vfat rw 0 0\n"
                        "/dev/sda2 /mnt/backup ext4 rw 0 0\n");
    t.files.SetMountTable(t.project.NativePath("mounts"));
    EXPECT_EQ(t.files.RemovableMedia(),
              QStringList({"/media/user/QUEST 1", "/run/media/user/STICK"}));
    EXPECT_EQ(FindDiscDrive(t.program), "/run/media/user/STICK");
    t.program.discPrompt = nullptr;  // nobody to ask: the file is simply missing
    EXPECT_EQ(ResolveDiscPath(t.program, Frames("hall.bmp")),
              QStringLiteral("/run/media/user/STICK/Data/Quest/Frames/hall.bmp"));
    EXPECT_EQ(DriveSetting(), "/run/media/user/STICK");
    // A folder once chosen wins over the media.
    t.program.SaveUserSetting(UserKeys::kDriveLetter, Disc(1));
    EXPECT_EQ(ResolveDiscPath(t.program, Frames("hall.bmp")),
              Disc(1) + QStringLiteral("/Data/Quest/Frames/hall.bmp"));
}

}  // namespace
}  // namespace storyloom::test
