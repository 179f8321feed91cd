#pragma once
// The game's view of the script host: run a piece of script code and read back what the code
// asked the game to do. The script host implements it; tests use a recording double.
#include <QString>

namespace storyloom {

// The requests that a script leaves in the script function object (VBScriptAction); the game
// acts on them after the script has run. ResetModule clears them.
struct ScriptRequests {
    QString sFrameToLoad;
    double dTransitionDuration = 0;  // seconds
    int iTransitionNumber = 1;
    int iHotspotNumber = 0;
    bool bStopGame = false;
    bool bPopupLoadGame = false;
    bool bPopupSaveGame = false;
};

class ScriptRunner {
  public:
    virtual ~ScriptRunner() = default;

    // VBScriptAction.ResetModule: forget the requests of the previous script.
    virtual void ResetModule() { requests = ScriptRequests{}; }

    // Runs `text` on the main engine. False when the script failed (the host has reported the
    // failure itself).
    virtual bool ExecuteVBScript(const QString& text, bool resetLastClickPosition) = 0;
    // The project's start-up script (run when a new game begins).
    virtual void ExecuteOnLoadVBScript() {}
    // Prepares the second engine with the project's procedures at a game reset.
    virtual void AddCodeToScriptControl(const QString& procedures) { (void)procedures; }
    // Time-out of both engines in milliseconds; -1 means none.
    virtual void SetTimeoutAllEngines(int ms) { (void)ms; }
    // Time-out of the main engine in milliseconds.
    virtual void SetMainTimeout(int ms) { (void)ms; }

    ScriptRequests requests;
};

// Runs nothing and reports success: the game plays without scripts until a host is attached.
class NoScriptRunner : public ScriptRunner {
  public:
    bool ExecuteVBScript(const QString&, bool) override { return true; }
};

}  // namespace storyloom
