#pragma once
// The game's view of the script side: run a piece of script code and read back what the code
// asked the game to do (the script host implements it; tests use a recording double), and the
// plug-ins and run-time components that the script side provides.
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

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

class PluginService {
  public:
    virtual ~PluginService() = default;
    virtual void LoadPlugins() {}
    // Per-frame code of every loaded plug-in, each followed by a line break.
    virtual QString PerFrameCode() const { return {}; }
    // Script code for a frame's plug-in settings text.
    virtual QString CodeForFrameSettings(const QString& settings) const {
        (void)settings;
        return {};
    }
    // Script code for one plug-in action description.
    virtual QString CodeForAction(const QString& description) const {
        (void)description;
        return {};
    }
    // Variable names the plug-ins declare.
    virtual QStringList IntegerVariables() const { return {}; }
    virtual QStringList VariantVariables() const { return {}; }
};

// A run-time component as the game's reports show it.
struct ComponentInfo {
    QString name;    // lower case
    QString progId;  // as the script gave it
    QRect rect;      // pixels, in its container
    bool visible = false;
    bool created = false;  // false: its control could not be made
};

class ComponentService {
  public:
    virtual ~ComponentService() = default;
    // Removes every component (the game's reset, the window's closing).
    virtual void ResetComponents() {}
    // Files the procedures of the second engine as component event handlers.
    virtual void BuildAllEventsList() {}
    // The components in creation order.
    virtual std::vector<ComponentInfo> List() const { return {}; }
};

}  // namespace storyloom
