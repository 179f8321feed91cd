#include "scripting/ScriptHost.h"

#include "platform/shell/Shell.h"

#include <QStandardPaths>

#include "core/BasicConvert.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/loop/EventLoop.h"
#include "project/ProjectInformation.h"
#include "scripting/ScriptFunctions.h"
#include "scripting/ScriptValues.h"

namespace storyloom {

namespace {

const QString kStartupProcedure = QStringLiteral("StartupProcedure");

int LinesIn(const QString& text) {
    return static_cast<int>(text.count(u'\n'));
}

}  // namespace

ScriptHost::ScriptHost(Program& program_)
    : program(program_),
      shell(program_.platform.shell),
      plugins_(program_),
      pictures_(std::make_unique<PictureRegistry>()) {
    printing = &program.platform.printing;
    functions_ = vbs::Ref<ScriptFunctions>(new ScriptFunctions(*this));
    auto msgBox = [this](const vbs::MsgBoxRequest& r) {
        const QString title = r.title.empty() ? program.info.GameName : FromU16(r.title);
        return static_cast<int>(program.platform.dialogs.MessageBox(
            MessageBoxRequest::FromStyle(FromU16(r.prompt), r.buttons, title)));
    };
    auto inputBox = [this](const vbs::InputBoxRequest& r) {
        InputBoxRequest box;
        box.prompt = FromU16(r.prompt);
        box.title = r.title.empty() ? program.info.GameName : FromU16(r.title);
        box.defaultText = FromU16(r.defaultText);
        const std::optional<QString> answer = program.platform.dialogs.InputBox(box);
        return vbs::Variant::String(U16(answer.value_or(QString())));
    };
    // The two engines add the same procedures: compiled once, for both.
    ScriptControl2.ShareCompiledCode(ScriptControl);
    for (vbs::Engine* engine : {&ScriptControl, &ScriptControl2}) {
        engine->SetMsgBoxHook(msgBox);
        engine->SetInputBoxHook(inputBox);
    }
    const QString userFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (!userFolder.isEmpty()) WritableFolders << userFolder + QStringLiteral("/storyloom");
}

ScriptHost::~ScriptHost() {
    // The timers' handlers point back here; they go before the host does.
    if (TimerObject) {
        TimerObject->UnloadAll();
        if (forms::TimerControl* templ = TimerObject->Find(0)) templ->onTimer = nullptr;
    }
    auto unload = [](auto& array) {
        if (array) array->UnloadAll();
    };
    unload(PicBox);
    unload(ImgBox);
    unload(CheckBox);
    unload(LineObject);
    unload(Shape);
    unload(TextBox);
    unload(ListBox);
    unload(FileBox);
    unload(DirBox);
    unload(DriveBox);
}

namespace {

// A spare control array of the game window: its hidden design-time element 0.
template <class T>
std::unique_ptr<forms::ControlArray<T>> SpareArray(forms::Window& w, const char* name) {
    auto* element = w.Add<T>(QString::fromLatin1(name));
    element->SetVisible(false);
    return std::make_unique<forms::ControlArray<T>>(element);
}

}  // namespace

void ScriptHost::Attach(Game& g) {
    game = &g;
    forms::Window& w = g.window;
    auto* timer = w.Add<forms::TimerControl>(program.platform.loop, QStringLiteral("TimerObject"));
    timer->SetTimerEnabled(false);
    timer->onTimer = [this](forms::TimerControl& t) { TimerObject_Timer(t.Index()); };
    TimerObject = std::make_unique<forms::ControlArray<forms::TimerControl>>(timer);
    PicBox = SpareArray<forms::PictureBox>(w, "PicBox");
    ImgBox = SpareArray<forms::Image>(w, "ImgBox");
    CheckBox = SpareArray<forms::CheckBox>(w, "CheckBox");
    LineObject = SpareArray<forms::LineControl>(w, "LineObject");
    Shape = SpareArray<forms::ShapeControl>(w, "Shape");
    TextBox = SpareArray<forms::TextBox>(w, "TextBox");
    ListBox = SpareArray<forms::ListBox>(w, "ListBox");
    FileBox = SpareArray<forms::FileListBox>(w, "FileBox");
    DirBox = SpareArray<forms::DirListBox>(w, "DirBox");
    DriveBox = SpareArray<forms::DriveListBox>(w, "DriveBox");
    // The file and folder lists start in the game's folder rather than wherever the player
    // was started from.
    if (!program.paths.ProjectPath.isEmpty()) {
        const QString folder = program.platform.files.NativePath(program.paths.ProjectPath);
        try {
            FileBox->Find(0)->SetPath(folder);
            DirBox->Find(0)->SetPath(folder);
        } catch (const forms::ControlError&) {
            // A game folder that went away keeps the lists where they were.
        }
    }
    BuildObjects();
}

// ---- Preparing an engine ----------------------------------------------------------------------

void ScriptHost::ShowScriptBox(const QString& sentence, const QString& description) {
    if (program.StopRequested) return;
    program.platform.dialogs.Show(BoxIcon::Critical, program.Messages(29),
                                  program.Messages(30) + u' ' + program.Messages(31) + kCrLf +
                                      kCrLf + sentence + kCrLf + kCrLf + description);
}

QString ScriptHost::Described(const vbs::ScriptError& error, const ProgramLayout& layout) const {
    QString text = FromU16(error.description);
    if (text.isEmpty()) text = FromU16(vbs::ErrorDescription(error.number));
    if (error.line <= 0 || layout.parts.empty()) return text;
    // The line as the author counts it: within the part of the program it belongs to.
    const std::pair<int, QString>* part = &layout.parts.front();
    for (const auto& p : layout.parts)
        if (p.first <= error.line) part = &p;
    return text +
           QStringLiteral(" (line %1 of %2)").arg(error.line - part->first + 1).arg(part->second);
}

namespace {

// Equal texts, most often the very same string.
bool SameText(const QString& a, const QString& b) {
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

}  // namespace

const ScriptHost::ProgramPrefix& ScriptHost::Prefix(vbs::Engine& engine) {
    const QString procedures = game ? game->state.ProceduresText : QString();
    const std::vector<Plugin>& plugins = plugins_.Plugins();
    bool same = prefix_.built && SameText(prefix_.procedures, procedures) &&
                prefix_.plugins.size() == plugins.size();
    for (size_t i = 0; same && i < plugins.size(); ++i)
        same = SameText(prefix_.plugins[i].first, plugins[i].Name) &&
               SameText(prefix_.plugins[i].second, plugins[i].GlobalCode);
    if (same) {
        // Keep the strings in hand, so the next comparison is one of addresses.
        prefix_.procedures = procedures;
        for (size_t i = 0; i < plugins.size(); ++i)
            prefix_.plugins[i] = {plugins[i].Name, plugins[i].GlobalCode};
        return prefix_;
    }
    ProgramPrefix p;
    p.procedures = procedures;
    // The text is the procedures and each plug-in's code, each followed by a line break, and
    // one more line break. Each piece's lines are counted once.
    const QString createObject = QStringLiteral("CreateObject(");
    p.callsCreateObject = procedures.contains(createObject);
    p.layout.parts.push_back({1, QStringLiteral("the project procedures")});
    int line = 2 + LinesIn(procedures);
    for (const Plugin& plugin : plugins) {
        p.plugins.emplace_back(plugin.Name, plugin.GlobalCode);
        p.layout.parts.push_back({line, QStringLiteral("the plug-in ") + plugin.Name});
        p.callsCreateObject = p.callsCreateObject || plugin.GlobalCode.contains(createObject);
        line += LinesIn(plugin.GlobalCode) + 1;
    }
    p.nextLine = line + 1;
    const auto buildText = [&p, &procedures, &plugins] {
        qsizetype size = procedures.size() + 4;
        for (const Plugin& plugin : plugins) size += plugin.GlobalCode.size() + 2;
        p.text.reserve(size_t(size));
        p.text.append(U16View(procedures)).append(u"\r\n");
        for (const Plugin& plugin : plugins)
            p.text.append(U16View(plugin.GlobalCode)).append(u"\r\n");
        p.text.append(u"\r\n");
    };
    // The procedures alone are compiled where they are, their two line breaks counted.
    if (!plugins.empty()) buildText();
    p.module = plugins.empty() ? engine.CompileModule(U16View(procedures), 2)
                               : engine.CompileModule(p.text);
    // A prefix that does not compile alone goes to the engine with each run's code, so its
    // error is the one the whole program has: only then is its text kept.
    if (p.module)
        std::u16string().swap(p.text);
    else if (p.text.empty())
        buildText();
    p.built = true;
    prefix_ = std::move(p);
    return prefix_;
}

bool ScriptHost::AddCodeToScriptControl(vbs::Engine& engine, const QString& startupCode) {
    lastFailure_.clear();
    if (!engine.Reset()) {
        lastFailure_ = FromU16(engine.LastError().description);
        ShowScriptBox(
            QStringLiteral("Error executing script. Make sure that you are not trying to execute a "
                           "script while another script is being executed. The Scripting Engine "
                           "returned the following error message:"),
            lastFailure_);
        return false;
    }
    bool ok = engine.AddObject(u"Action", functions_.get(), true);

    // The program: procedures, plug-in code (the prefix, compiled once), then the piece to run
    // as StartupProcedure.
    const ProgramPrefix& prefix = Prefix(engine);
    ProgramLayout layout = prefix.layout;
    const QString code = QStringLiteral("Sub StartupProcedure") + kCrLf + startupCode + kCrLf +
                         QStringLiteral("End Sub");
    layout.parts.push_back({prefix.nextLine, QStringLiteral("the program")});
    layout.parts.push_back({prefix.nextLine + 1, QStringLiteral("the script")});
    layout.parts.push_back(
        {prefix.nextLine + 2 + LinesIn(startupCode), QStringLiteral("the program")});
    layout_ = layout;

    auto reserved = [this](const QString& description) {
        lastFailure_ = description;
        ShowScriptBox(QStringLiteral("Error executing script. Make sure that the global variables "
                                     "do not have names that are reserved by the engine. The "
                                     "Scripting Engine returned the following error message:"),
                      description);
    };
    const bool callsCreateObject =
        prefix.callsCreateObject || startupCode.contains(QStringLiteral("CreateObject("));
    if (callsCreateObject && !AllowCreateObject(program)) {
        if (!program.StopRequested)
            program.platform.dialogs.Show(
                BoxIcon::Critical, QStringLiteral("VBScript Execution Aborted"),
                QStringLiteral("WARNING! The VBScript code makes calls to the \"CreateObject\" "
                               "function, which for security reasons is not allowed.") +
                    kCrLf + kCrLf +
                    QStringLiteral("Please remove the calls to that function and try again."));
        layout_ = ProgramLayout{};
        ok = engine.AddCode(
                 U16(QStringLiteral("Sub StartupProcedure") + kCrLf + QStringLiteral("End Sub"))) &&
             ok;
    } else if (!(prefix.module ? engine.AddModule(*prefix.module, U16View(code))
                               : engine.AddCode(prefix.text + U16(code)))) {
        reserved(Described(engine.LastError(), layout_));
        return false;
    } else if (!AllowCreateObject(program)) {
        // The engine's own CreateObject would come before the library's: a script procedure
        // of that name comes before both, and hands the call to the library.
        engine.AddCode(
            u"Function CreateObject(vArgument)\r\n"
            u"Set CreateObject = Action.CreateObject(vArgument)\r\nEnd Function");
    }
    if (!AddObjects(engine)) {
        reserved(FromU16(engine.LastError().description));
        return false;
    }
    return ok;
}

const vbs::ObjectSetCode& ScriptHost::Objects() {
    const quint64 epoch = VariableNamesEpoch();
    const auto& integers = game->state.vars.Variables;
    const auto& variants = game->state.vars.VariablesVariant;
    bool same =
        objects_.set && objects_.namesEpoch == epoch &&
        objects_.variables.size() == static_cast<size_t>(integers.Count() + variants.Count());
    if (same) {
        size_t i = 0;
        for (const auto& v : integers) same = same && objects_.variables[i++] == v.get();
        for (const auto& v : variants) same = same && objects_.variables[i++] == v.get();
    }
    if (same) return *objects_.set;
    std::vector<vbs::NamedObject> all;
    objects_.variables.clear();
    for (const auto& variable : integers) {
        objects_.variables.push_back(variable.get());
        all.push_back({U16(variable->Name),
                       vbs::Ref<vbs::Dispatch>(new IntegerVariableObject(variable)), true});
    }
    for (const auto& variable : variants) {
        objects_.variables.push_back(variable.get());
        all.push_back({U16(variable->Name),
                       vbs::Ref<vbs::Dispatch>(new VariantVariableObject(variable)), true});
    }
    for (const NamedObject& o : fixedObjects_) all.push_back({U16(o.name), o.object, o.addMembers});
    objects_.namesEpoch = epoch;
    objects_.set = ScriptControl.PrepareObjects(all);
    return *objects_.set;
}

bool ScriptHost::AddObjects(vbs::Engine& engine) {
    if (!game) return true;
    if (!engine.AddObjects(Objects())) return false;
    if (game->state.frame.ControlsReferencePolicy == 2 &&
        !engine.AddObject(u"SoftwareObjects", softwareObjects_.get(), true))
        return false;
    return true;
}

void ScriptHost::AddCodeToScriptControl(const QString& startupCode) {
    AddCodeToScriptControl(ScriptControl2, startupCode);
}

void ScriptHost::SetTimeoutAllEngines(int ms) {
    ScriptControl.SetTimeout(ms);
    ScriptControl2.SetTimeout(ms);
}

void ScriptHost::SetMainTimeout(int ms) {
    ScriptControl.SetTimeout(ms);
}

// ---- Running ----------------------------------------------------------------------------------

bool ScriptHost::ExecuteVBScript(const QString& text, bool resetLastClickPosition) {
    if (program.StopRequested) return true;
    if (resetLastClickPosition && game) {
        game->state.LastClickX = 0;
        game->state.LastClickY = 0;
    }
    const bool busy = ScriptControl.IsRunning();
    if (!busy) pictures_->Clear();
    const bool prepared = AddCodeToScriptControl(ScriptControl, text);
    QString description = lastFailure_;
    bool ran = false;
    // A busy engine still holds the running program: running StartupProcedure again would
    // start the other script a second time, so the run is left out.
    if (!busy) {
        ran = ScriptControl.Run(U16(kStartupProcedure));
        if (!ran) description = Described(ScriptControl.LastError(), layout_);
    }
    if (prepared && ran) return true;
    ShowScriptBox(QStringLiteral("Error executing script. The Scripting Engine returned the "
                                 "following error message:"),
                  description);
    return false;
}

void ScriptHost::ExecuteOnLoadVBScript() {
    const QString collected = plugins_.GameStartCode();
    ResetModule();
    const ProjectInfo& info = program.info;
    if (!collected.isEmpty() || (info.RunStartupScript && !info.StartupScript.isEmpty()))
        ExecuteVBScript(collected + (info.RunStartupScript ? info.StartupScript : QString()), true);
}

void ScriptHost::TimerObject_Timer(int index) {
    forms::TimerControl* timer = TimerObject ? TimerObject->Find(index) : nullptr;
    if (!timer || !game) return;
    if (program.StopRequested) {
        timer->SetTimerEnabled(false);
        return;
    }
    ResetModule();
    const QString procedure = QStringLiteral("TimerObject") + QString::number(index);
    if (ExecuteVBScript(procedure, true) && !program.StopRequested) {
        // The engine passes over a call of a procedure that does not exist when the call
        // stands inside another procedure; the author must still learn that it is missing.
        bool found = false;
        for (const vbs::ProcedureInfo& info : ScriptControl.Procedures())
            found = found || FromU16(info.name).compare(procedure, Qt::CaseInsensitive) == 0;
        if (!found)
            ShowScriptBox(QStringLiteral("Error executing script. The Scripting Engine returned "
                                         "the following error message:"),
                          QStringLiteral("Type mismatch: '%1'").arg(procedure));
    }
    try {
        game->ShowOrNotShowAreas();
        if (requests.bStopGame) {
            game->StartUnloading();
            return;
        }
        if (requests.sFrameToLoad.compare(QStringLiteral("last visited frame"),
                                          Qt::CaseInsensitive) == 0) {
            if (game->state.History.Count() < 2) {
                requests.sFrameToLoad.clear();
            } else {
                game->state.History.RemoveLast();
                requests.sFrameToLoad = game->state.History.Entries().constLast();
            }
        }
        if (!requests.sFrameToLoad.isEmpty()) {
            const QString frame = requests.sFrameToLoad;
            if (requests.dTransitionDuration != 0) {
                const int number = requests.iTransitionNumber;
                const double seconds = requests.dTransitionDuration;
                game->services.transitions->TransitionStep1(number);
                game->OpenFrame(frame, true, number, seconds);
            } else {
                game->OpenFrame(frame, false, 0, 0);
            }
        } else {
            game->StartTimedEvents();
        }
    } catch (const std::exception& e) {
        if (!program.StopRequested)
            program.platform.dialogs.Show(
                BoxIcon::Critical, QStringLiteral("Error Executing VBScript Code"),
                QStringLiteral("Unable to execute the procedure named TimerObject") +
                    QString::number(index) + QStringLiteral(". ") + ErrorDescription(e));
        if (forms::TimerControl* t = TimerObject->Find(index)) t->SetTimerEnabled(false);
    }
}

}  // namespace storyloom
