#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include <sys/resource.h>

#include "platform/files/FileSystem.h"
#include "platform/ini/IniFile.h"
#include "platform/settings/SettingsStore.h"

namespace storyloom {
namespace {

class IniTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = FileSystem::FromNative(dir.path()) + "Config\\More";
        QDir().mkpath(dir.path() + "/Config");
    }
    void Write(const QByteArray& bytes) {
        QFile f(dir.path() + "/Config/More");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Contents() {
        QFile f(dir.path() + "/Config/More");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString Read(const QString& section, const QString& key) {
        return ReadIniValue(fs, file, section, key);
    }
    QTemporaryDir dir;
    QString file;
    FileSystem fs;
};

TEST_F(IniTest, ProfileStringReadingRules) {
    Write(
        "; comment=1\r\n"
        "orphan=before any section\r\n"
        "[General]\r\n"
        "  ScriptTimeOut   =  30  \r\n"
        ";AllowCreateObject=1\r\n"
        "Quoted=\"  spaced  \"\r\n"
        "Equals=a=b\r\n"
        "ScriptTimeOut=second wins not\r\n"
        "[ general ]\n"
        "ProcEncr=from the second section\n"
        "[Other]\n"
        "Key=caf\xe9\n");
    EXPECT_EQ(Read("general", "scripttimeout"), "30");
    EXPECT_EQ(Read("GENERAL", "AllowCreateObject"), "");  // commented out
    EXPECT_EQ(Read("General", "Quoted"), "  spaced  ");
    EXPECT_EQ(Read("General", "Equals"), "a=b");
    EXPECT_EQ(Read("General", "ProcEncr"), "");  // only the first section of a name counts
    EXPECT_EQ(Read("General", "orphan"), "");
    EXPECT_EQ(Read("Other", "key"), QString::fromUtf8("café"));
    EXPECT_EQ(Read("Missing", "Key"), "");
    EXPECT_EQ(ReadIniValue(fs, file + "x", "General", "ScriptTimeOut"), "");
}

TEST_F(IniTest, ValuesAreCutTo254Characters) {
    Write("[S]\r\nLong=" + QByteArray(300, 'v') + "\r\n");
    EXPECT_EQ(Read("S", "Long"), QString(254, 'v'));
}

TEST_F(IniTest, WritingCreatesFileSectionAndKeyAsNeeded) {
    const QString other = FileSystem::FromNative(dir.path()) + "config\\settings.ini";
    ASSERT_TRUE(WriteIniValue(fs, other, "Game", "Score", "10"));
    EXPECT_EQ(ReadIniValue(fs, other, "game", "score"), "10");
    EXPECT_TRUE(QFile::exists(dir.path() + "/Config/settings.ini"));

    Write("; keep me\r\n[General]\r\nA=1\r\n\r\n[Second]\r\nB=2\r\n");
    ASSERT_TRUE(WriteIniValue(fs, file, "general", "a", "one"));
    ASSERT_TRUE(WriteIniValue(fs, file, "General", "New", QString::fromUtf8("€")));
    ASSERT_TRUE(WriteIniValue(fs, file, "Third", "C", "3"));
    EXPECT_EQ(Contents(),
              "; keep me\r\n[General]\r\na=one\r\nNew=\x80\r\n\r\n[Second]\r\nB=2\r\n"
              "[Third]\r\nC=3\r\n");
}

TEST_F(IniTest, WritingCannotInjectLinesOrBreakNames) {
    ASSERT_TRUE(WriteIniValue(fs, file, "S", "K", "line1\r\n[Evil]\r\nX=1"));
    EXPECT_EQ(Read("S", "K"), "line1  [Evil]  X=1");
    EXPECT_EQ(Read("Evil", "X"), "");
    EXPECT_FALSE(WriteIniValue(fs, file, "S", "a=b", "v"));
    EXPECT_FALSE(WriteIniValue(fs, file, "a]b", "k", "v"));
    EXPECT_FALSE(WriteIniValue(fs, file, "", "k", "v"));
    EXPECT_FALSE(
        WriteIniValue(fs, FileSystem::FromNative(dir.path()) + "no\\such\\file", "S", "K", "v"));
}

// ---------------------------------------------------------------------------------------------

TEST(MemorySettingsStore, AddressedWithoutRegardToCase) {
    MemorySettingsStore s;
    EXPECT_EQ(s.Get("Software", "Game", "DisableEffects", "False"), "False");
    s.Save("Software", "Game", "DisableEffects", "True");
    EXPECT_EQ(s.Get("software", "GAME", "disableeffects", "False"), "True");
    EXPECT_EQ(s.Get("Software", "Other game", "DisableEffects", "False"), "False");
}

class FileSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
};

TEST_F(FileSettingsTest, SectionsPerProjectAndAnyText) {
    FileSettingsStore s(dir.path() + "/cfg");
    s.Save("Software", "Game One", "ChangeResolution", "0");
    s.Save("Software", "Game Two", "ChangeResolution", "1");
    const QString odd = "a]b=c\r\n[x]%20;";
    s.Save("Software", odd, odd, odd + " ");
    s.Save("Software", "Game One", "Path", "\\home\\game\\");
    s.Save("Software", "game one", "changeresolution", "1");

    FileSettingsStore again(dir.path() + "/cfg");  // a later run
    EXPECT_EQ(again.Get("Software", "Game One", "ChangeResolution", "x"), "1");
    EXPECT_EQ(again.Get("Software", "Game Two", "ChangeResolution", "x"), "1");
    EXPECT_EQ(again.Get("Software", "GAME ONE", "PATH", "x"), "\\home\\game\\");
    EXPECT_EQ(again.Get("Software", odd, odd, "x"), odd + " ");
    EXPECT_EQ(again.Get("Software", "x]b", "Path", "default"), "default");
    EXPECT_EQ(again.Get("Other", "Game One", "Path", "default"), "default");
    EXPECT_TRUE(QFile::exists(again.FilePath("Software")));
}

TEST_F(FileSettingsTest, DefaultFolderFollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    FileSettingsStore s;
    EXPECT_EQ(s.Folder(), dir.path() + "/storyloom");
    qputenv("XDG_CONFIG_HOME", "relative/path");  // ignored, as the XDG rules say
    EXPECT_EQ(FileSettingsStore().Folder(), QDir::homePath() + "/.config/storyloom");
    if (saved.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", saved);
    }
}

// A write that fails half-way (here: the file size limit stops the temporary file, as a full
// disk would) leaves the earlier settings file exactly as it was and no temporary file behind.
TEST_F(FileSettingsTest, FailedWriteKeepsTheEarlierSettings) {
    FileSettingsStore s(dir.path());
    ASSERT_TRUE(s.TrySave("Software", "Game", "DisableTransitions", "True"));
    QFile f(s.FilePath("Software"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = before.size() + 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved =
        s.TrySave("Software", "Game", "ExecuteVBScriptCode", QString(4000, QLatin1Char('x')));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(s.Get("Software", "Game", "DisableTransitions", "x"), "True");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // With room again the same write goes through.
    EXPECT_TRUE(s.TrySave("Software", "Game", "ExecuteVBScriptCode", "ok"));
    EXPECT_EQ(s.Get("Software", "Game", "ExecuteVBScriptCode", "x"), "ok");
}

}  // namespace
}  // namespace storyloom
