#include "core/DataFile.h"

#include "core/Errors.h"
#include "platform/files/FileSystem.h"

namespace storyloom {

QByteArray ReadDataFile(const FileSystem& fs, const QString& path) {
    if (fs.FileExists(path).isEmpty() || !fs.IsFile(path)) throw RunError::FileNotFound();
    auto bytes = fs.ReadAll(path);
    if (!bytes) throw RunError::PathFileAccess();
    return *bytes;
}

SeqReader OpenSeqFile(const FileSystem& fs, const QString& path) {
    return SeqReader(ReadDataFile(fs, path));
}

}  // namespace storyloom
