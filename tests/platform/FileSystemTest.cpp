#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/files/FileSystem.h"

namespace storyloom {
namespace {

class FileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = FileSystem::FromNative(dir.path());
    }
    void Make(const QString& relative, const QByteArray& contents = "x") {
        const QString path = dir.path() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents);
    }
    QTemporaryDir dir;
    QString root;  // "\tmp\...\"
    FileSystem fs;
};

TEST_F(FileSystemTest, FromNativeAndBack) {
    EXPECT_EQ(FileSystem::FromNative("/home/a/game"), "\\home\\a\\game\\");
    EXPECT_EQ(FileSystem::FromNative("/home/a/game/"), "\\home\\a\\game\\");
    EXPECT_EQ(fs.NativePath(root), dir.path() + "/");
    EXPECT_EQ(FileSystem::WithTrailingBackslash("Frames"), "Frames\\");
    EXPECT_EQ(FileSystem::WithTrailingBackslash("Frames\\"), "Frames\\");
    EXPECT_EQ(FileSystem::FileNamePart("a\\b/c.bmp"), "c.bmp");
    EXPECT_EQ(FileSystem::FolderPart("a\\b/c.bmp"), "a\\b/");
    EXPECT_EQ(FileSystem::FolderPart("c.bmp"), "");
}

TEST_F(FileSystemTest, ResolvesEveryComponentWithoutRegardToCase) {
    Make("Frames/Sub Folder/Door.BMP", "door");
    EXPECT_EQ(fs.NativePath(root + "frames\\sub folder\\door.bmp"),
              dir.path() + "/Frames/Sub Folder/Door.BMP");
    EXPECT_EQ(fs.FileExists(root + "FRAMES/SUB FOLDER/door.bmp"), "Door.BMP");
    EXPECT_EQ(fs.FileExists(root + "frames\\"), "Frames");
    EXPECT_TRUE(fs.IsDirectory(root + "fRaMeS\\SUB folder"));
    EXPECT_TRUE(fs.IsFile(root + "frames\\sub folder\\DOOR.bmp"));
    EXPECT_EQ(fs.ReadAll(root + "frames\\sub folder\\door.bmp"), QByteArray("door"));
    EXPECT_EQ(fs.Size(root + "frames\\sub folder\\door.bmp"), 4);
    EXPECT_TRUE(fs.Modified(root + "frames\\sub folder\\door.bmp").has_value());
}

TEST_F(FileSystemTest, NamesBeyondAsciiAreMatchedWithoutRegardToCase) {
    Make(QString::fromUtf8("\u00c9t\u00e9/\u00dcn\u00efcode.BMP"), "u");
    Make("Plain/MiXeD.txt", "m");
    EXPECT_EQ(fs.FileExists(root + QString::fromUtf8("\u00e9T\u00c9\\\u00fcN\u00cfCODE.bmp")),
              QString::fromUtf8("\u00dcn\u00efcode.BMP"));
    EXPECT_EQ(fs.FileExists(root + "PLAIN\\mixed.TXT"), "MiXeD.txt");
    EXPECT_EQ(fs.FileExists(root + "plain\\mixed.tx"), "");
}

TEST_F(FileSystemTest, MissingPartsAreKeptAsGiven) {
    Make("Frames/a.bmp");
    EXPECT_EQ(fs.FileExists(root + "frames\\b.bmp"), "");
    EXPECT_EQ(fs.NativePath(root + "frames\\NEW\\b.bmp"), dir.path() + "/Frames/NEW/b.bmp");
    EXPECT_FALSE(fs.ReadAll(root + "frames\\b.bmp").has_value());
    EXPECT_FALSE(fs.Size(root + "nothing").has_value());
}

TEST_F(FileSystemTest, ExactNameWinsOverOtherCases) {
    Make("a", "lower");
    Make("A", "upper");
    EXPECT_EQ(fs.ReadAll(root + "a"), QByteArray("lower"));
    EXPECT_EQ(fs.ReadAll(root + "A"), QByteArray("upper"));
    EXPECT_EQ(fs.FileExists(root + "A"), "A");
    // Neither spelled as asked: the choice does not depend on the order the disk lists them.
    Make("Case/bB", "1");
    Make("Case/Bb", "2");
    EXPECT_EQ(fs.FileExists(root + "case\\bb"), "Bb");
}

TEST_F(FileSystemTest, NoticesFilesCreatedAfterALookup) {
    Make("Folder/one.txt");
    EXPECT_EQ(fs.FileExists(root + "folder\\ONE.TXT"), "one.txt");
    EXPECT_EQ(fs.FileExists(root + "folder\\TWO.TXT"), "");
    Make("Folder/Two.txt");
    EXPECT_EQ(fs.FileExists(root + "folder\\TWO.TXT"), "Two.txt");
    ASSERT_TRUE(QFile::remove(dir.path() + "/Folder/Two.txt"));
    EXPECT_EQ(fs.FileExists(root + "folder\\TWO.TXT"), "");
}

TEST_F(FileSystemTest, ListingIncludesHiddenFiles) {
    Make("L/.hidden");
    Make("L/Shown.txt", "12345");
    QDir().mkpath(dir.path() + "/L/Sub");
    const auto list = fs.List(root + "l\\");
    ASSERT_TRUE(list.has_value());
    std::vector<QString> names;
    for (const DirEntry& e : *list) {
        names.push_back(e.name);
        if (e.name == ".hidden") {
            EXPECT_TRUE(e.isHidden);
        }
        if (e.name == "Shown.txt") {
            EXPECT_EQ(e.size, 5);
            EXPECT_FALSE(e.isHidden);
        }
        if (e.name == "Sub") {
            EXPECT_TRUE(e.isDirectory);
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<QString>{".hidden", "Shown.txt", "Sub"}));
    EXPECT_FALSE(fs.List(root + "nowhere").has_value());
}

// The light listing gives exactly the files of the full one, in its order, links followed.
TEST_F(FileSystemTest, FileNamesAreTheListingsFiles) {
    Make("L/.hidden");
    Make("L/Shown.txt");
    Make("L/b.fme");
    QDir().mkpath(dir.path() + "/L/Sub");
    Make("Elsewhere/target.txt");
    ASSERT_TRUE(QFile::link(dir.path() + "/Elsewhere", dir.path() + "/L/folder-link"));
    ASSERT_TRUE(QFile::link(dir.path() + "/Elsewhere/target.txt", dir.path() + "/L/file-link"));
    const auto full = fs.List(root + "l\\");
    const auto light = fs.FileNames(root + "L");
    ASSERT_TRUE(full && light);
    QStringList files;
    for (const DirEntry& e : *full)
        if (!e.isDirectory) files << e.name;
    EXPECT_EQ(*light, files);
    QStringList sorted = *light;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{".hidden", "Shown.txt", "b.fme", "file-link"}));
    EXPECT_FALSE(fs.FileNames(root + "nowhere").has_value());
    EXPECT_FALSE(fs.FileNames(root + "L\\Shown.txt").has_value());
}

// Listings kept for lookups and for FileNames, read ahead on the side or on demand, give what
// reading the folder now gives, and a change to the folder is seen at once.
TEST_F(FileSystemTest, KeptListingsAnswerAsTheFolderDoesNow) {
    for (int i = 0; i < 300; ++i) Make(QStringLiteral("Big/File%1.Dat").arg(i));
    Make("Big/notes.txt");
    QDir().mkpath(dir.path() + "/Big/Sub");
    Make("Other/x.txt");
    // Listings of folders changed in the last two seconds are not kept: let these settle.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    const auto expected = fs.List(root + "Big");
    ASSERT_TRUE(expected);
    QStringList files;
    for (const DirEntry& e : *expected)
        if (!e.isDirectory) files << e.name;

    // Asked at once, while the listing may still be being read ahead.
    fs.Prefetch({root + "big\\", root + "Nowhere\\", root + "OTHER"});
    EXPECT_EQ(fs.FileExists(root + "BIG\\file299.dat"), "File299.Dat");
    EXPECT_EQ(fs.FileExists(root + "big\\FILE300.DAT"), "");
    EXPECT_EQ(fs.FileNames(root + "Big"), files);
    EXPECT_EQ(fs.FileNames(root + "BIG\\"), files);
    EXPECT_EQ(fs.FileExists(root + "other\\X.TXT"), "x.txt");

    // A copy shares the listings; both see a change made after they were kept.
    FileSystem copy = fs;
    copy.Prefetch({root + "Big"});
    Make("Big/File300.dat");
    ASSERT_TRUE(QFile::remove(dir.path() + "/Big/notes.txt"));
    EXPECT_EQ(copy.FileExists(root + "big\\FILE300.DAT"), "File300.dat");
    EXPECT_EQ(fs.FileExists(root + "big\\NOTES.TXT"), "");
    files.removeAll("notes.txt");
    const auto now = fs.FileNames(root + "Big");
    ASSERT_TRUE(now);
    EXPECT_EQ(now->size(), files.size() + 1);
    EXPECT_TRUE(now->contains("File300.dat") && !now->contains("notes.txt"));
}

TEST_F(FileSystemTest, WriteAppendCopyRenameDelete) {
    Make("Data/old.sav", "old");
    ASSERT_TRUE(fs.WriteAll(root + "data\\OLD.SAV", "new"));
    EXPECT_EQ(fs.ReadAll(root + "Data/old.sav"), QByteArray("new"));  // replaced, not a twin
    EXPECT_EQ(QDir(dir.path() + "/Data").entryList(QDir::Files | QDir::Hidden).size(), 1);
    ASSERT_TRUE(fs.Append(root + "data\\old.sav", "er"));
    EXPECT_EQ(fs.ReadAll(root + "data\\old.sav"), QByteArray("newer"));
    ASSERT_TRUE(fs.Copy(root + "data\\OLD.sav", root + "data\\copy.sav"));
    EXPECT_EQ(fs.ReadAll(root + "Data/copy.sav"), QByteArray("newer"));
    // Renaming never replaces another file, but may change only the letter case.
    EXPECT_FALSE(fs.Rename(root + "data\\copy.sav", root + "data\\old.sav"));
    ASSERT_TRUE(fs.Rename(root + "data\\copy.sav", root + "data\\Copy.SAV"));
    EXPECT_EQ(fs.FileExists(root + "data\\copy.sav"), "Copy.SAV");
    ASSERT_TRUE(fs.Delete(root + "data\\copy.sav"));
    EXPECT_EQ(fs.FileExists(root + "data\\copy.sav"), "");
    EXPECT_FALSE(fs.Delete(root + "data\\copy.sav"));
    ASSERT_TRUE(fs.MakeDirectory(root + "data\\New\\Deeper"));
    EXPECT_TRUE(fs.IsDirectory(root + "DATA\\new\\deeper"));
    EXPECT_FALSE(fs.WriteAll(root + "missing\\folder\\f.txt", "x"));
}

TEST(Wildcard, BasicLikePatterns) {
    // One pattern read once gives each name its own answer (no state carried between names).
    const WildcardPattern frames("*[0-9].fm?", false);
    EXPECT_TRUE(frames.Matches("F12.FME"));
    EXPECT_FALSE(frames.Matches("Fx.fme"));
    EXPECT_TRUE(frames.Matches("a1.fmx"));
    EXPECT_FALSE(frames.Matches("a1.fmxy"));
    EXPECT_TRUE(WildcardMatch("Door.bmp", "*.bmp"));
    EXPECT_FALSE(WildcardMatch("Door.BMP", "*.bmp"));  // case-sensitive by default
    EXPECT_TRUE(WildcardMatch("Door.BMP", "*.bmp", false));
    EXPECT_TRUE(WildcardMatch("save1.sav", "save?.sav"));
    EXPECT_FALSE(WildcardMatch("save12.sav", "save?.sav"));
    EXPECT_TRUE(WildcardMatch("save12.sav", "save##.sav"));
    EXPECT_FALSE(WildcardMatch("saveAB.sav", "save##.sav"));
    EXPECT_TRUE(WildcardMatch("b", "[abc]"));
    EXPECT_FALSE(WildcardMatch("d", "[abc]"));
    EXPECT_TRUE(WildcardMatch("d", "[!abc]"));
    EXPECT_TRUE(WildcardMatch("x7", "[a-z][0-9]"));
    EXPECT_FALSE(WildcardMatch("X7", "[a-z][0-9]"));
    EXPECT_TRUE(WildcardMatch("X7", "[a-z][0-9]", false));
    EXPECT_TRUE(WildcardMatch("*", "[*]"));  // brackets make special characters literal
    EXPECT_FALSE(WildcardMatch("a", "[*]"));
    EXPECT_TRUE(WildcardMatch("a[b", "a[b"));  // an unclosed bracket is literal
    EXPECT_TRUE(WildcardMatch("ab", "a[]b"));  // "[]" is the empty string
    EXPECT_TRUE(WildcardMatch("", "*"));
    EXPECT_FALSE(WildcardMatch("", "?"));
    EXPECT_TRUE(WildcardMatch("abcabcabd", "*abd"));
    EXPECT_TRUE(WildcardMatch("a.b.c", "*.*.*"));
    EXPECT_FALSE(WildcardMatch("abc", "a*d*"));
    // A pathological pattern finishes at once.
    EXPECT_FALSE(WildcardMatch(QString(5000, 'a'), QString(200, '*') + "b"));
}

}  // namespace
}  // namespace storyloom
