#pragma once
// Finding project media files (pictures, pointers, sounds, music, videos), which a finished
// game may store under disguised names: the extension replaced by a three-digit number.
#include <QString>

namespace storyloom {

class Program;

// The disguised form of `path`: plain = true gives the plain code (door.004), false the
// name-dependent one (door.204). Paths with a short name or an extension outside the table are
// returned unchanged.
QString DisguisedName(const QString& path, bool plain);

// The path to open: `path` itself, its name-dependent or plain disguised form, or the copy on
// another disc, whichever exists first. When none does, a box names the last path tried (not
// while shutting down) and that path is returned.
QString ResolveMediaPath(Program& program, const QString& path);

}  // namespace storyloom
