#pragma once
// The project folder: its path in the player's form and the listing of its files.
#include <QString>
#include <QStringList>

namespace storyloom {

class Program;

// Names (no folder) of the files in `folder` whose names match the wildcard `pattern`
// case-sensitively (every file when the pattern is empty), hidden files included, in the order
// the disk lists them. Folders are left out. A missing folder gives no names.
QStringList ListFiles(Program& program, const QString& folder, const QString& pattern);

// The project path of the program folder (native path): the folder with "\" separators and
// one trailing backslash.
QString ProjectPathOf(const QString& nativeFolder);

}  // namespace storyloom
