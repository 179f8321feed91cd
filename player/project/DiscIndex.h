#pragma once
// Games spread over several discs. The player and the project files run from the first disc
// (or the hard disk); some frame and hotspot media lie on other discs, each disc holding them
// under "Data/<GameName>/Frames/" and "Data/<GameName>/Areas/". The disc index
// "Config\CDContents" names those files with their disc numbers; it counts only when the
// marker "RunFromCD.dat" lies in the game's folder too.
//
// A disc is a folder: where a disc is mounted, or a folder the player copied discs into. The
// per-user setting "DriveLetter" holds the folder last chosen (a native path). Whoever copied
// every disc into one folder chooses it once: the files of all discs are found under it.
#include <QString>

namespace storyloom {

class Program;

// Whether both the index and the marker exist.
bool MultiDiscActive(Program& program);

// Reads the disc index into program.discs (emptied first). An entry is kept only when its name
// is not empty, its disc number lies between 1 and the number of discs and its kind is not 0.
// A damaged index (cut short, a number that is not one) shows the error box " Error loading CD
// index." and keeps no entry.
void LoadDiscIndex(Program& program);

// The folder of the last removable medium mounted; empty when there is none.
QString FindDiscDrive(Program& program);

// The native path of file `name` of the given kind (DiscEntry::Kind) on the disc in `folder`.
QString DiscFilePath(const Program& program, const QString& folder, int kind, const QString& name);

// Where the media file `path` (a project path) is to be read. Unchanged when the game is on
// one disc. Otherwise the copy on the chosen disc when there is one; for a file of the index
// that is missing there, the game stops and the run-from-disc window asks for the disc (again,
// after a box naming the path tried, while the file is still missing) until the file is found
// or the player cancels, which ends the game.
QString ResolveDiscPath(Program& program, const QString& path);

}  // namespace storyloom
