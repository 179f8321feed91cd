#pragma once
// The script host: turns a piece of script code into a whole program for the VBScript engine
// (the project's procedures, every plug-in's code, the piece as the body of StartupProcedure),
// gives the engine the objects through which scripts reach the game, runs it and reports
// failures in the game's boxes. Every run starts from an empty engine; lasting state lives in
// the game variables, which scripts see as objects.
//
// Wiring: build the host before the Game, give the Game its plug-in table as the plug-in
// service, then Attach the Game before its first reset:
//
//   ScriptHost host(program, shell);
//   GameServices services;  services.plugins = &host.Plugins();
//   Game game(program, host, services);
//   host.Attach(game);
//
// The host must outlive the Game, which calls it until its very end.
#include <QString>
#include <memory>
#include <vector>

#include "game/ScriptRunner.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/controls/CheckBox.h"
#include "platform/forms/controls/DirListBox.h"
#include "platform/forms/controls/DriveListBox.h"
#include "platform/forms/controls/FileListBox.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/LineControl.h"
#include "platform/forms/controls/ListBox.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/controls/ShapeControl.h"
#include "platform/forms/controls/TextBox.h"
#include "platform/forms/controls/TimerControl.h"
#include "platform/printing/Printing.h"
#include "scripting/Plugins.h"
#include "scripting/ScriptValues.h"
#include "vbscript/Engine.h"

namespace storyloom {

class Game;
class Program;
class Shell;
class ScriptFunctions;
class Components;

class ScriptHost : public ScriptRunner {
  public:
    // The shell and the printers are the program's platform services.
    explicit ScriptHost(Program& program);
    ~ScriptHost() override;
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    // Connects the host to the game window: creates the script timers and the spare control
    // arrays on it (each with a hidden template, element 0) and builds the objects scripts see.
    void Attach(Game& game);
    PluginTable& Plugins() { return plugins_; }

    // ---- ScriptRunner ----------------------------------------------------------------------
    // True when the run went through; failures have been reported in a box.
    bool ExecuteVBScript(const QString& text, bool resetLastClickPosition) override;
    void ExecuteOnLoadVBScript() override;
    // Prepares ScriptControl2 (the component event handlers' engine) with `startupCode`.
    void AddCodeToScriptControl(const QString& startupCode) override;
    void SetTimeoutAllEngines(int ms) override;
    void SetMainTimeout(int ms) override;

    // Prepares `engine` to run `startupCode`; false when something failed (reported here).
    bool AddCodeToScriptControl(vbs::Engine& engine, const QString& startupCode);
    // A script timer ticked: runs the author procedure "TimerObject" & index.
    void TimerObject_Timer(int index);

    Program& program;
    Shell& shell;
    Game* game = nullptr;
    vbs::Engine ScriptControl;
    vbs::Engine ScriptControl2;
    // The spare control arrays scripts load elements of (element 0 is the hidden template).
    std::unique_ptr<forms::ControlArray<forms::TimerControl>> TimerObject;
    std::unique_ptr<forms::ControlArray<forms::PictureBox>> PicBox;
    std::unique_ptr<forms::ControlArray<forms::Image>> ImgBox;
    std::unique_ptr<forms::ControlArray<forms::CheckBox>> CheckBox;
    std::unique_ptr<forms::ControlArray<forms::LineControl>> LineObject;
    std::unique_ptr<forms::ControlArray<forms::ShapeControl>> Shape;
    std::unique_ptr<forms::ControlArray<forms::TextBox>> TextBox;
    std::unique_ptr<forms::ControlArray<forms::ListBox>> ListBox;
    std::unique_ptr<forms::ControlArray<forms::FileListBox>> FileBox;
    std::unique_ptr<forms::ControlArray<forms::DirListBox>> DirBox;
    std::unique_ptr<forms::ControlArray<forms::DriveListBox>> DriveBox;
    // The printers scripts print on (the platform's unless a test sets others before Attach).
    Printing* printing = nullptr;
    // A resolution (1 to 3) to switch to when a saved game is loaded; 0 = none.
    qint16 ResolutionOnLoadGame = 0;
    // Native folders inside which scripts may write files, besides the game's own folder (the
    // player's per-user folder). Files elsewhere are refused.
    QStringList WritableFolders;
    // The game's run-time components while a game has them (null otherwise).
    Components* components = nullptr;

    ScriptFunctions& Functions() { return *functions_; }
    PictureRegistry& Pictures() { return *pictures_; }

  private:
    struct NamedObject {
        QString name;
        vbs::Ref<vbs::Dispatch> object;
        bool addMembers = false;
    };
    // Where each part of the last program text starts, to name the part an error line is in.
    struct ProgramLayout {
        std::vector<std::pair<int, QString>> parts;  // first line, what the part is
    };

    // The program's text before StartupProcedure (procedures, plug-in code, a blank line),
    // compiled once and rebuilt when the procedures or the plug-ins change.
    struct ProgramPrefix {
        QString procedures;                                // what it was built from
        std::vector<std::pair<QString, QString>> plugins;  // name, global code
        std::u16string text;  // kept only when it does not compile alone (module null)
        std::shared_ptr<const vbs::ModuleCode> module;  // null: it does not compile alone
        ProgramLayout layout;                           // its parts
        int nextLine = 1;                               // the line after it, as the layout counts
        bool callsCreateObject = false;
        bool built = false;
    };
    // The objects every run adds (the game variables, then the fixed objects), their names
    // looked up once; made again when a variable list or a name changes.
    struct PreparedObjects {
        std::vector<const void*> variables;  // the variables they were made for, in order
        quint64 namesEpoch = 0;
        std::shared_ptr<const vbs::ObjectSetCode> set;
    };

    void BuildObjects();
    bool AddObjects(vbs::Engine& engine);
    const ProgramPrefix& Prefix(vbs::Engine& engine);
    const vbs::ObjectSetCode& Objects();
    QString Described(const vbs::ScriptError& error, const ProgramLayout& layout) const;
    void ShowScriptBox(const QString& sentence, const QString& description);

    PluginTable plugins_;
    std::unique_ptr<PictureRegistry> pictures_;
    vbs::Ref<ScriptFunctions> functions_;
    std::vector<NamedObject> fixedObjects_;
    vbs::Ref<vbs::Dispatch> softwareObjects_;
    ProgramLayout layout_;
    ProgramPrefix prefix_;
    PreparedObjects objects_;
    QString lastFailure_;  // description of the last failure while preparing the engine
};

}  // namespace storyloom
