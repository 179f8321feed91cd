#pragma once
// The game's connection to the save and load windows.
// Until it is built, the default bodies do nothing, so the game calls it at the right moments
// today; tests derive from it to watch the calls.
#include <QString>

namespace storyloom {

class SavedGameService {
  public:
    virtual ~SavedGameService() = default;
    virtual void ShowLoadGameWindow(bool abortIfATimerIsEnabled) { (void)abortIfATimerIsEnabled; }
    virtual void ShowSaveGameWindow() {}
};

}  // namespace storyloom
