#pragma once
// Windows-style file access on a case-sensitive disk.
//
// Game data names files the way the authoring tool wrote them on Windows: "\" separators and
// any letter case ("Frames\door.bmp" while the disk holds "Frames/Door.BMP"). Every path given
// to this service may use "\" or "/"; each component is looked up exactly first and, when that
// name is absent, without regard to case (when several names differ from it only in case, the
// smallest by code unit is taken, whatever order the disk lists them in). Drive letters are
// not supported. Folder listings used for these lookups are cached while the folder's change
// time stays the same.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace storyloom {

struct DirEntry {
    QString name;  // as on disk
    bool isDirectory = false;
    bool isHidden = false;
    qint64 size = 0;
    QDateTime modified;
};

namespace detail {
struct DirCache;
}

class FileSystem {
  public:
    FileSystem();
    ~FileSystem();
    // Copies share the folder cache.
    FileSystem(const FileSystem&);
    FileSystem& operator=(const FileSystem&);

    // The native path that `path` names: separators turned into "/", components resolved
    // case-insensitively where the exact name is absent. Components that do not exist are
    // kept as given, so the result can also name a file about to be created.
    QString NativePath(const QString& path) const;

    // The name (last component, as found on disk) of an existing file or folder; empty when
    // there is none.
    QString FileExists(const QString& path) const;
    bool IsFile(const QString& path) const;
    bool IsDirectory(const QString& path) const;

    // Whole-file access. ReadAll returns nullopt when the file cannot be read.
    std::optional<QByteArray> ReadAll(const QString& path) const;
    // Writes through a temporary file and a rename, so a crash never leaves a half file.
    bool WriteAll(const QString& path, const QByteArray& bytes) const;
    bool Append(const QString& path, const QByteArray& bytes) const;

    // Folder listing in the order the disk gives, hidden files included, "." and ".." left out.
    // nullopt when the folder cannot be read.
    std::optional<std::vector<DirEntry>> List(const QString& folder) const;
    // The names of the files in a folder (folders left out), in the same order as List, without
    // reading each file's size and times. nullopt when the folder cannot be read.
    std::optional<QStringList> FileNames(const QString& folder) const;
    // Reads the listings of these folders on a worker thread, for the lookups and FileNames
    // that will need them (a game's data folders before its first frame opens). Folders
    // changed in the last two seconds are left out (their listings are not kept anyway);
    // nothing is done while an earlier prefetch is still reading.
    void Prefetch(const QStringList& folders) const;

    bool Delete(const QString& path) const;
    bool Rename(const QString& from, const QString& to) const;
    bool Copy(const QString& from, const QString& to) const;
    bool MakeDirectory(const QString& path) const;
    std::optional<QDateTime> Modified(const QString& path) const;
    // The time of last change at the file system's full resolution, in nanoseconds since the
    // epoch.
    std::optional<qint64> ModifiedNs(const QString& path) const;
    // Whether files can be created in the folder (it exists and this user may write there).
    bool IsWritableFolder(const QString& path) const;
    std::optional<qint64> Size(const QString& path) const;

    // The folders where removable media (discs, memory sticks) are mounted, in the order they
    // were mounted, read from the system's mount table (see RemovableMountPoints).
    QStringList RemovableMedia() const;
    // The mount table read by RemovableMedia ("/proc/mounts"); empty: no media at all (the
    // test platform's choice, so that tests do not see the machine's discs).
    void SetMountTable(const QString& nativePath) { mountTable_ = nativePath; }

    // Helpers for Windows-style path strings.
    static QString WithTrailingBackslash(const QString& folder);
    static QString FileNamePart(const QString& path);  // after the last "\" or "/"
    static QString FolderPart(const QString& path);    // up to and including the last separator
    // A native absolute folder ("/home/a/game") as a project path ("\home\a\game\").
    static QString FromNative(const QString& nativePath);

  private:
    // Case-insensitive lookup of one name in a native folder; empty when absent.
    QString FindNameIgnoringCase(const QString& nativeFolder, const QString& name) const;
    std::shared_ptr<detail::DirCache> cache_;
    QString mountTable_ = QStringLiteral("/proc/mounts");
};

// The mount points of removable media in a mount table in the format of /proc/mounts (device,
// mount point, type, options, ...; blanks in names written as octal escapes), in table order:
// file systems of discs and memory sticks (iso9660, udf, vfat, exfat, ntfs, ...) mounted at or
// below /media, /run/media or /mnt.
QStringList RemovableMountPoints(const QByteArray& mountTable);

// Writes `bytes` to the native path through a temporary file in the same folder, flushed to
// disk and renamed over the target, so the target holds either the old or the new contents
// whatever happens. False (and the target untouched) when any step fails.
bool WriteFileAtomically(const QString& nativePath, const QByteArray& bytes);

// VB-style wildcard match: "*" any run, "?" one character, "#" one digit, "[abc]" / "[!abc]" /
// "[a-z]" one character of (or not of) the list. Case-sensitive unless told otherwise.
bool WildcardMatch(const QString& name, const QString& pattern, bool caseSensitive = true);

// The same pattern read once, for matching many names (a folder's files).
struct WildcardToken;
class WildcardPattern {
  public:
    explicit WildcardPattern(const QString& pattern, bool caseSensitive = true);
    ~WildcardPattern();
    WildcardPattern(const WildcardPattern&) = delete;
    WildcardPattern& operator=(const WildcardPattern&) = delete;
    bool Matches(const QString& name) const;

  private:
    std::vector<WildcardToken> tokens_;
    bool caseSensitive_;
};

}  // namespace storyloom
