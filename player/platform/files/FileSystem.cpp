#include "platform/files/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QWaitCondition>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <system_error>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace storyloom {

namespace detail {

// Listings of folders, for names looked up without regard to case and for FileNames. Frame
// opening resolves every picture of a frame, so a game whose data names differ in case from
// its files would otherwise read the same folder again and again. An entry is trusted only
// while the folder's change times are unchanged, and never cached while those times are so
// recent that a change in the same clock tick could go unnoticed. Folders can be read ahead
// on a worker thread (Prefetch); a lookup of a folder being read waits for that reading.
struct DirCache {
    enum Kind : uint8_t { kFile, kFolder, kOther };  // kOther: a link or unknown, asked again
    struct Entry {
        timespec mtime{};
        timespec ctime{};
        QStringList names;                 // in the order the disk gives
        std::vector<Kind> kinds;           // of each name
        QHash<QString, QString> byFolded;  // case-folded name -> name on disk
    };
    QMutex mutex;
    QWaitCondition readingDone;
    QSet<QString> reading;                                 // folders the worker is reading
    QHash<QString, std::shared_ptr<const Entry>> folders;  // an entry never changes once kept
    QMutex workerMutex;  // over `worker` (the worker itself never takes it)
    std::thread worker;
    static constexpr int kMaxFolders = 128;

    ~DirCache() {
        if (worker.joinable()) worker.join();
    }
    // The kept listing of a folder while the folder's times are those of `st`; null when
    // there is none. With the mutex held.
    std::shared_ptr<const Entry> Current(const QString& native, const struct stat& st) const {
        auto it = folders.constFind(native);
        if (it == folders.constEnd() || !SameTime((*it)->mtime, st.st_mtim) ||
            !SameTime((*it)->ctime, st.st_ctim))
            return nullptr;
        return *it;
    }
    // With the mutex held.
    void Keep(const QString& native, std::shared_ptr<const Entry> entry) {
        if (folders.size() >= kMaxFolders) folders.clear();
        folders.insert(native, std::move(entry));
    }
    static bool SameTime(const timespec& a, const timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }
};

}  // namespace detail

namespace {

QByteArray Encode(const QString& native) {
    return QFile::encodeName(native);
}

bool StatPath(const QString& native, struct stat* st) {
    return ::stat(Encode(native.isEmpty() ? QStringLiteral(".") : native).constData(), st) == 0;
}

bool Exists(const QString& native) {
    struct stat st;
    return StatPath(native, &st);
}

QString Join(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    if (folder.endsWith(QLatin1Char('/'))) return folder + name;
    return folder + QLatin1Char('/') + name;
}

// Calls each(entry) for every entry of a native folder but "." and "..", in the order the disk
// gives. False when the folder cannot be opened.
template <typename Each>
bool ForEachEntry(const QString& native, Each each) {
    DIR* dir = ::opendir(Encode(native.isEmpty() ? QStringLiteral(".") : native).constData());
    if (!dir) return false;
    while (dirent* ent = ::readdir(dir)) {
        const char* n = ent->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        each(*ent);
    }
    ::closedir(dir);
    return true;
}

// Reads a folder's listing: folded name -> name and, withNames, its names in disk order and
// what each is. Where several names differ only in case, the smallest by code unit wins, so
// the choice does not depend on the order the disk gives.
bool ReadListing(const QString& native, detail::DirCache::Entry* out, bool withNames = true) {
    using Kind = detail::DirCache::Kind;
    return ForEachEntry(native, [out, withNames](const dirent& ent) {
        const char* n = ent.d_name;
        const size_t length = std::strlen(n);
        bool ascii = true, upper = false;
        for (size_t i = 0; i < length; ++i) {
            const auto c = static_cast<unsigned char>(n[i]);
            ascii = ascii && c < 0x80;
            upper = upper || (c >= 'A' && c <= 'Z');
        }
        QString name, folded;
        if (ascii) {
            // Most names: decoded and folded without the general Unicode path.
            name = QString::fromLatin1(n, qsizetype(length));
            folded = name;
            if (upper) {
                QChar* f = folded.data();
                for (size_t i = 0; i < length; ++i)
                    if (n[i] >= 'A' && n[i] <= 'Z') f[i] = QChar(char16_t(n[i] - 'A' + 'a'));
            }
        } else {
            name = QFile::decodeName(n);
            folded = name.toCaseFolded();
        }
        if (withNames) {
            out->names.append(name);
            out->kinds.push_back(ent.d_type == DT_REG   ? Kind::kFile
                                 : ent.d_type == DT_DIR ? Kind::kFolder
                                                        : Kind::kOther);
        }
        auto it = out->byFolded.find(folded);
        if (it == out->byFolded.end()) {
            out->byFolded.insert(folded, name);
        } else if (name < it.value()) {
            it.value() = name;
        }
    });
}

// A listing may be kept when the folder has not changed for two seconds (coarse file system
// clocks: a folder changed just now may change again without its time moving on) and is named
// absolutely (a relative folder names another one once the working folder changes).
bool Settled(const QString& native, const struct stat& st) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - std::max(st.st_mtim.tv_sec, st.st_ctim.tv_sec) >= 2 &&
           native.startsWith(QLatin1Char('/'));
}

// A native folder as the cache knows it: without a trailing "/".
QString FolderKey(QString native) {
    while (native.size() > 1 && native.endsWith(QLatin1Char('/'))) native.chop(1);
    return native;
}

// The listing of a native folder whose stat is `st`: the kept one while the folder is
// unchanged, else read now (and kept when settled). Null when it cannot be read. Only a kept
// listing or one read withNames has the names in order.
std::shared_ptr<const detail::DirCache::Entry> Listing(detail::DirCache& cache,
                                                       const QString& folder, const struct stat& st,
                                                       bool withNames) {
    const QString native = FolderKey(folder);
    {
        QMutexLocker lock(&cache.mutex);
        while (cache.reading.contains(native)) cache.readingDone.wait(&cache.mutex);
        if (auto kept = cache.Current(native, st)) return kept;
    }
    auto entry = std::make_shared<detail::DirCache::Entry>();
    entry->mtime = st.st_mtim;
    entry->ctime = st.st_ctim;
    const bool settled = Settled(native, st);
    if (!ReadListing(native, entry.get(), withNames || settled)) return nullptr;
    if (settled) {
        QMutexLocker lock(&cache.mutex);
        cache.Keep(native, entry);
    }
    return entry;
}

bool WriteAllToFd(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

void SyncFolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : path.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool WriteFileAtomically(const QString& nativePath, const QByteArray& bytes) {
    const QByteArray target = Encode(nativePath);
    if (target.isEmpty()) return false;
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray tmpl = target.left(slash + 1) + '.' + target.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    struct stat st;
    const mode_t mode = ::stat(target.constData(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0;
    ok = ok && WriteAllToFd(fd, bytes.constData(), bytes.size());
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmpl.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(tmpl.constData());
        return false;
    }
    SyncFolderOf(target);
    return true;
}

FileSystem::FileSystem() : cache_(std::make_shared<detail::DirCache>()) {}
FileSystem::~FileSystem() = default;
FileSystem::FileSystem(const FileSystem&) = default;
FileSystem& FileSystem::operator=(const FileSystem&) = default;

QString FileSystem::FindNameIgnoringCase(const QString& nativeFolder, const QString& name) const {
    struct stat st;
    if (!StatPath(nativeFolder, &st) || !S_ISDIR(st.st_mode)) return {};
    const auto listing = Listing(*cache_, nativeFolder, st, false);
    return listing ? listing->byFolded.value(name.toCaseFolded()) : QString();
}

void FileSystem::Prefetch(const QStringList& folders) const {
    detail::DirCache& cache = *cache_;
    QStringList natives;
    std::vector<struct stat> stats;
    {
        QMutexLocker lock(&cache.mutex);
        if (!cache.reading.isEmpty()) return;  // the worker is still busy
    }
    for (const QString& folder : folders) {
        const QString native = FolderKey(NativePath(folder));
        struct stat st;
        if (!StatPath(native, &st) || !S_ISDIR(st.st_mode) || !Settled(native, st)) continue;
        QMutexLocker lock(&cache.mutex);
        if (cache.Current(native, st) || natives.contains(native)) continue;
        natives.append(native);
        stats.push_back(st);
    }
    if (natives.isEmpty()) return;
    QMutexLocker workerLock(&cache.workerMutex);
    if (cache.worker.joinable()) cache.worker.join();  // it has ended or is about to
    {
        QMutexLocker lock(&cache.mutex);
        for (const QString& native : natives) cache.reading.insert(native);
    }
    const auto done = [&cache](const QString& native) {
        cache.reading.remove(native);
        cache.readingDone.wakeAll();
    };
    try {
        cache.worker = std::thread([&cache, natives, stats, done] {
            for (qsizetype i = 0; i < natives.size(); ++i) {
                std::shared_ptr<detail::DirCache::Entry> entry;
                try {
                    entry = std::make_shared<detail::DirCache::Entry>();
                    entry->mtime = stats[size_t(i)].st_mtim;
                    entry->ctime = stats[size_t(i)].st_ctim;
                    if (!ReadListing(natives[i], entry.get())) entry.reset();
                } catch (const std::exception&) {
                    entry.reset();  // out of memory: the folder is read when it is asked for
                }
                QMutexLocker lock(&cache.mutex);
                if (entry) cache.Keep(natives[i], std::move(entry));
                done(natives[i]);
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: the folders are read when they are asked for.
        QMutexLocker lock(&cache.mutex);
        for (const QString& native : natives) done(native);
    }
}

QString FileSystem::NativePath(const QString& path) const {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool absolute = p.startsWith(QLatin1Char('/'));
    const bool trailing = p.size() > 1 && p.endsWith(QLatin1Char('/'));
    const QStringList parts = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);

    QString current = absolute ? QStringLiteral("/") : QString();
    bool exists = true;  // the folder resolved so far exists on disk
    for (const QString& part : parts) {
        QString name = part;
        if (exists) {
            const QString exact = Join(current, part);
            if (Exists(exact)) {
                current = exact;
                continue;
            }
            QString found;
            if (part != QLatin1String(".") && part != QLatin1String("..")) {
                found = FindNameIgnoringCase(current, part);
            }
            if (found.isEmpty()) {
                exists = false;
            } else {
                name = found;
            }
        }
        current = Join(current, name);
    }
    if (trailing && !current.endsWith(QLatin1Char('/'))) current += QLatin1Char('/');
    return current;
}

QString FileSystem::FileExists(const QString& path) const {
    QString native = NativePath(path);
    while (native.size() > 1 && native.endsWith(QLatin1Char('/'))) native.chop(1);
    if (native.isEmpty() || !Exists(native)) return {};
    const qsizetype slash = native.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? native : native.mid(slash + 1);
}

bool FileSystem::IsFile(const QString& path) const {
    struct stat st;
    return StatPath(NativePath(path), &st) && S_ISREG(st.st_mode);
}

bool FileSystem::IsDirectory(const QString& path) const {
    struct stat st;
    return StatPath(NativePath(path), &st) && S_ISDIR(st.st_mode);
}

std::optional<QByteArray> FileSystem::ReadAll(const QString& path) const {
    QFile file(NativePath(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes;
}

bool FileSystem::WriteAll(const QString& path, const QByteArray& bytes) const {
    return WriteFileAtomically(NativePath(path), bytes);
}

bool FileSystem::Append(const QString& path, const QByteArray& bytes) const {
    const int fd =
        ::open(Encode(NativePath(path)).constData(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0) return false;
    bool ok = WriteAllToFd(fd, bytes.constData(), bytes.size());
    ok = (::close(fd) == 0) && ok;
    return ok;
}

std::optional<std::vector<DirEntry>> FileSystem::List(const QString& folder) const {
    const QString native = NativePath(folder);
    QDir dir(native.isEmpty() ? QStringLiteral(".") : native);
    if (!dir.exists() || !dir.isReadable()) return std::nullopt;
    const QFileInfoList infos = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::vector<DirEntry> out;
    out.reserve(infos.size());
    for (const QFileInfo& info : infos) {
        DirEntry e;
        e.name = info.fileName();
        e.isDirectory = info.isDir();
        e.isHidden = e.name.startsWith(QLatin1Char('.'));
        e.size = e.isDirectory ? 0 : info.size();
        e.modified = info.lastModified();
        out.push_back(std::move(e));
    }
    return out;
}

std::optional<QStringList> FileSystem::FileNames(const QString& folder) const {
    const QString native = NativePath(folder);
    struct stat st;
    if (!StatPath(native, &st) || !S_ISDIR(st.st_mode)) return std::nullopt;
    const auto listing = Listing(*cache_, native, st, true);
    if (!listing) return std::nullopt;
    QStringList names;
    names.reserve(listing->names.size());
    const QByteArray base = Encode(native.isEmpty() ? QStringLiteral(".") : native) + '/';
    for (qsizetype i = 0; i < listing->names.size(); ++i) {
        const QString& name = listing->names[i];
        bool isFolder = listing->kinds[size_t(i)] == detail::DirCache::kFolder;
        if (listing->kinds[size_t(i)] == detail::DirCache::kOther) {
            // What a link points to counts, as in List (asked now: its target may change).
            struct stat target;
            isFolder =
                ::stat((base + Encode(name)).constData(), &target) == 0 && S_ISDIR(target.st_mode);
        }
        if (!isFolder) names.append(name);
    }
    return names;
}

bool FileSystem::Delete(const QString& path) const {
    const QByteArray native = Encode(NativePath(path));
    struct stat st;
    if (::lstat(native.constData(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) return ::rmdir(native.constData()) == 0;
    return ::unlink(native.constData()) == 0;
}

bool FileSystem::Rename(const QString& from, const QString& to) const {
    const QByteArray source = Encode(NativePath(from));
    // The new name is taken as given (only its folder is resolved), so a rename that changes
    // only the letter case does what it says.
    const QString toName = FileNamePart(to);
    if (toName.isEmpty()) return false;
    const QString toFolder = FolderPart(to);
    const QString folderNative = toFolder.isEmpty() ? QString() : NativePath(toFolder);
    const QByteArray target = Encode(Join(folderNative, toName));
    struct stat src, dst;
    if (::lstat(source.constData(), &src) != 0) return false;
    // As on Windows, renaming never replaces another file.
    if (::lstat(target.constData(), &dst) == 0 &&
        (dst.st_ino != src.st_ino || dst.st_dev != src.st_dev)) {
        return false;
    }
    return ::rename(source.constData(), target.constData()) == 0;
}

bool FileSystem::Copy(const QString& from, const QString& to) const {
    if (!IsFile(from)) return false;
    const std::optional<QByteArray> bytes = ReadAll(from);
    if (!bytes) return false;
    return WriteAll(to, *bytes);
}

bool FileSystem::MakeDirectory(const QString& path) const {
    const QString native = NativePath(path);
    if (native.isEmpty()) return false;
    return QDir().mkpath(native);
}

std::optional<qint64> FileSystem::ModifiedNs(const QString& path) const {
    struct stat st;
    if (::stat(Encode(NativePath(path)).constData(), &st) != 0) return std::nullopt;
    return static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool FileSystem::IsWritableFolder(const QString& path) const {
    const QByteArray native = Encode(NativePath(path));
    struct stat st;
    if (native.isEmpty() || ::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return ::access(native.constData(), W_OK | X_OK) == 0;
}

std::optional<QDateTime> FileSystem::Modified(const QString& path) const {
    QFileInfo info(NativePath(path));
    if (!info.exists()) return std::nullopt;
    return info.lastModified();
}

std::optional<qint64> FileSystem::Size(const QString& path) const {
    struct stat st;
    if (!StatPath(NativePath(path), &st)) return std::nullopt;
    return static_cast<qint64>(st.st_size);
}

QString FileSystem::WithTrailingBackslash(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('\\')) ||
        folder.endsWith(QLatin1Char('/'))) {
        return folder;
    }
    return folder + QLatin1Char('\\');
}

QString FileSystem::FileNamePart(const QString& path) {
    const qsizetype i =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(i + 1);
}

QString FileSystem::FolderPart(const QString& path) {
    const qsizetype i =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.left(i + 1);
}

QString FileSystem::FromNative(const QString& nativePath) {
    QString p = nativePath;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (!p.endsWith(QLatin1Char('\\'))) p += QLatin1Char('\\');
    return p;
}

}  // namespace storyloom
