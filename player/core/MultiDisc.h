#pragma once
// A game spread over several discs: the index of the media files that lie on other discs, and
// what asking the player for a disc needs from the game that is running.
#include <QString>
#include <vector>

namespace storyloom {

// One file of the disc index "Config\CDContents".
struct DiscEntry {
    enum Kind { kFrameMedia = 1, kHotspotMedia = 2 };
    QString name;  // inside the disc's "Frames" or "Areas" folder
    int disc = 0;  // 1 .. number of discs
    int kind = 0;  // 1 = frame media, 2 = hotspot media (others are kept and never looked up)
};

struct DiscIndex {
    int discCount = 0;
    // The entries kept (DiscEntryCount is their number); empty when the game is on one disc.
    std::vector<DiscEntry> entries;
};

// The timers that stopping the game for the disc window switched off.
struct PausedActivity {
    bool frameTimer = false;
    bool messageTimer = false;
};

// The game's side of asking for a disc. The game fills it; the media lookup calls it when a
// file of another disc is missing.
class DiscPrompt {
  public:
    virtual ~DiscPrompt() = default;
    // Stops what runs on its own while the window is open (movie, timers, timed events, the
    // one-time video) and tells which timers were on.
    virtual PausedActivity PauseGame() = 0;
    // Gives the timers back and restarts the timed events.
    virtual void ResumeGame(const PausedActivity& paused) = 0;
    // The player refused to give the disc: the game ends.
    virtual void StopGame() = 0;
    // Shows the run-from-disc window modally, offering `folder` and naming `disc`. The window
    // saves the folder chosen as the setting "DriveLetter", or sets StopRequested when
    // cancelled.
    virtual void AskForDisc(const QString& folder, int disc) = 0;
};

}  // namespace storyloom
