#pragma once
// Opening a project data file for reading, with the failures Basic's Open gives.
#include <QByteArray>
#include <QString>

#include "platform/seqfile/SeqFile.h"

namespace storyloom {

class FileSystem;

// The whole file; throws RunError "File not found" when it does not exist and "Path/File
// access error" when it cannot be read.
QByteArray ReadDataFile(const FileSystem& fs, const QString& path);
// A record reader over the whole file (same failures).
SeqReader OpenSeqFile(const FileSystem& fs, const QString& path);

}  // namespace storyloom
