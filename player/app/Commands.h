#pragma once
// The program's ways of running besides playing. Each returns the exit code.
#include <QString>

namespace storyloom {

// `run --info [FOLDER]`: reads the project in `folder` and prints what it found, without
// windows. Needs a QCoreApplication.
int RunInformation(const QString& folder);

// `run --walkthrough FILE [--out DIR] [FOLDER]`: plays the game headless from a walkthrough
// file. `argv` is main's, whole; the runner creates its own (offscreen) application, so main
// calls it before creating one.
int RunWalkthrough(int argc, char** argv);

// `run --random-walk [--seed S] [--walks N] [--commands N] [--damage FILES] [FOLDER]`: random
// walkthroughs over the game (or damaged copies of it), headless; prints a summary.
int RunRandomWalks(int argc, char** argv);

// The game a run without a folder plays: the program's own folder, or, in a build tree whose
// program folder holds no game, the bundled demo.
QString DefaultProjectFolder();

}  // namespace storyloom
