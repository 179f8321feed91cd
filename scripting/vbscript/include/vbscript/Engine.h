// The VBScript engine: one object per script context.
//
// How a host uses it:
//
//   vbs::Engine engine;
//   engine.SetTimeout(10000);                        // milliseconds, -1 = no limit
//   engine.SetMsgBoxHook([](const vbs::MsgBoxRequest& r) { return ShowBox(r); });
//   if (!engine.Reset()) { /* a run is in progress: engine.LastError() says so */ }
//   engine.AddObject(u"Action", actionObject, /*addMembers=*/true);   // a vbs::Dispatch
//   if (!engine.AddCode(programText))                // compiles and runs top-level statements
//       Report(engine.LastError());                  // number, description, line
//   vbs::Variant result;
//   if (!engine.Run(u"StartupProcedure", {}, &result)) Report(engine.LastError());
//
// A host object (Variant.h) implements vbs::Dispatch, or derives from vbs::HostObject:
//
//   auto var = vbs::MakeRef<vbs::HostObject>(u"GameVariable");
//   var->AddProperty(u"Value", [&](std::span<vbs::Variant>) { return value; },
//                    [&](std::span<vbs::Variant>, const vbs::Variant& v) { value = v; });
//   var->SetDefault(u"Value");                        // reached by the bare object name
//   var->AddMethod(u"Reset", [&](std::span<vbs::Variant> args) { ...; return vbs::Variant(); });
//   engine.AddObject(u"Score", var.get(), true);       // script: Score = Score + 1
//
// Members are found by name without regard to case; obj(i) and a bare object in a value
// context reach the default member (kDispValue); For Each calls Dispatch::Enumerate. A member
// fails by throwing vbs::ScriptException(number[, description]) with a VBScript error number
// (ErrorFromHResult turns COM-style codes into one); scripts catch it with On Error.
//
// Errors: every call returns false on failure and LastError() gives the number, the
// description (for the host's message it names the variable or member involved: "Variable is
// undefined: 'x'"), the 1-based line in the text of the failing AddCode, and whether it was a
// compile error. A run past Timeout() milliseconds ends with error kTimeoutError, which
// On Error Resume Next cannot catch; deep recursion gives 28 "Out of stack space".
//
// Compiled code is cached by its text (long texts piece by piece), so re-adding the same
// procedures after Reset costs little; every Reset still starts with fresh script-level
// variables. A host that adds the same long text and the same objects on every run prepares
// them once instead, and each run then costs what its own small text costs:
//
//   second.ShareCompiledCode(engine);                  // one names table, one compile cache
//   auto procs = engine.CompileModule(proceduresText); // null: LastError() says why
//   auto vars = engine.PrepareObjects(namedObjects);   // names looked up once
//   // every run, in either engine:
//   e.Reset();
//   e.AddModule(*procs, u"Sub StartupProcedure\r\n" + snippet + u"\r\nEnd Sub");
//   e.AddObjects(*vars);
//   e.Run(u"StartupProcedure"); The engine is single-threaded: use one instance from one thread; a
//   host callback
// may call Run again (nested), but Reset is refused until the outer run has returned.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vbscript/Variant.h"

namespace vbs {

// A compile or run-time error as VBScript reports it.
struct ScriptError {
    int32_t number = 0;          // VBScript error number (13 = Type mismatch, 1002 = Syntax error)
    std::u16string description;  // "Type mismatch"
    std::u16string source;       // "Microsoft VBScript runtime error" / "... compilation error"
    int line = 0;                // 1-based line in the text given to AddCode (0 = unknown)
    int column = 0;              // 1-based column for compile errors (0 = unknown)
    bool compileError = false;
};

// Thrown by host objects (and inside the engine) to raise a script error.
class ScriptException : public std::exception {
  public:
    ScriptException(int32_t number, std::u16string description = {}, std::u16string source = {})
        : number(number), description(std::move(description)), source(std::move(source)) {}
    const char* what() const noexcept override { return "vbscript error"; }
    int32_t number;
    std::u16string description;  // empty: the standard text for the number
    std::u16string source;
    std::u16string helpFile;
    int32_t helpContext = 0;
    std::u16string name;  // the name involved, shown to the host ("Variable is undefined: 'x'")
};

// The engine's own error numbers (outside VBScript's range).
inline constexpr int32_t kTimeoutError = 0x7FFF0001;  // "Script execution timed out"
inline constexpr int32_t kBusyError = 0x7FFF0002;     // Reset while a run is in progress

[[noreturn]] void ThrowError(int32_t number);
// The standard description of a VBScript error number ("" when unknown).
std::u16string ErrorDescription(int32_t number);
// The VBScript error number for a COM-style failure code a host object reports (0x80004001
// E_NOTIMPL -> 445, 0x800A000D -> 13, ...); other codes are returned unchanged.
int32_t ErrorFromHResult(int32_t hresult);

// What MsgBox asks the host to show. The hook returns the button pressed (vbOK = 1 ...).
struct MsgBoxRequest {
    std::u16string prompt;
    int buttons = 0;
    std::u16string title;
};
struct InputBoxRequest {
    std::u16string prompt;
    std::u16string title;
    std::u16string defaultText;
};

struct ProcedureInfo {
    std::u16string name;
    int argumentCount = 0;
    bool isFunction = false;
};

// A convenient base for host objects: members registered by name with callbacks.
class HostObject : public Dispatch {
  public:
    using Getter = std::function<Variant(std::span<Variant> args)>;
    using Setter = std::function<void(std::span<Variant> args, const Variant& value)>;

    explicit HostObject(std::u16string typeName = u"Object") : typeName_(std::move(typeName)) {}
    // A method or read-only property (called for Get and Method).
    int AddMethod(std::u16string_view name, Getter fn);
    // A property with a getter and a setter (the setter gets index arguments and the value).
    int AddProperty(std::u16string_view name, Getter get, Setter set);
    // Makes an already added member the default one (reached by bare object use).
    void SetDefault(std::u16string_view name);
    void SetEnumerator(std::function<std::vector<Variant>()> fn) { enumerate_ = std::move(fn); }

    std::u16string TypeName() override { return typeName_; }
    int FindMember(std::u16string_view name) override;
    Variant Invoke(int id, InvokeKind kind, std::span<Variant> args) override;
    bool Enumerate(std::vector<Variant>& out) override;

  private:
    struct Member {
        std::u16string name;
        Getter get;
        Setter set;
    };
    std::u16string typeName_;
    std::vector<Member> members_;                     // id = index + 1
    std::unordered_map<std::u16string, int> byName_;  // lower-case name -> id
    int default_ = 0;
    std::function<std::vector<Variant>()> enumerate_;
};

class EngineImpl;
struct ModuleCode;
struct ObjectSetCode;

// An object to add under a name (Engine::PrepareObjects).
struct NamedObject {
    std::u16string name;
    Ref<Dispatch> object;
    bool addMembers = false;
};

class Engine {
  public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Drops all code, variables and objects. Refused (false, LastError set) during a run.
    bool Reset();
    // Makes obj reachable under name; with addMembers its members are also reachable bare.
    // Fails on a reserved word or a name already in use.
    bool AddObject(std::u16string_view name, Dispatch* obj, bool addMembers);
    // Compiles text, defines its procedures and classes and runs its top-level statements.
    bool AddCode(std::u16string_view text);
    // Compiles text without running or keeping it and returns every compile error in it, in
    // the order of their lines (empty when the text compiles). A failed statement is skipped
    // to the end of its line and checking goes on, so one error may cause a few more.
    std::vector<ScriptError> CheckSyntax(std::u16string_view text);
    // Calls a procedure by name (case ignored).
    bool Run(std::u16string_view procedure, std::span<const Variant> args = {},
             Variant* result = nullptr);
    // Evaluates an expression / executes statements in the global scope.
    bool Eval(std::u16string_view expression, Variant& result);
    bool ExecuteStatement(std::u16string_view text);

    // ---- prepared code and objects ----
    // Drops everything this engine holds (as Reset) and from now on shares other's names and
    // compile cache, so modules and object sets prepared by one are added by both. Each
    // engine keeps its own variables, objects and runs. False while either one is running.
    bool ShareCompiledCode(Engine& other);
    // Compiles text (its lines numbered from 1) without declaring or running anything. Null
    // when it does not compile (LastError() says where). The module can be added any number
    // of times, by this engine and by every engine sharing its compiled code. The text is
    // taken as if `lineBreaksAfter` line breaks followed it (a host that would append them
    // to a copy of a long text passes them instead). The text is not kept.
    std::shared_ptr<const ModuleCode> CompileModule(std::u16string_view text,
                                                    int lineBreaksAfter = 0);
    // What AddCode of the module's text followed by `text` does, with only `text` compiled:
    // its lines are numbered on from the module's and the module's Option Explicit holds in
    // it. Everything is compiled before anything is declared or run. The module's text
    // should end with a line break. False for a module of an engine that shares nothing
    // with this one.
    bool AddModule(const ModuleCode& module, std::u16string_view text = {});
    // Looks the names up once; AddObjects then adds the objects in order as AddObject would
    // one by one, stopping at the first that fails (LastError() says why).
    std::shared_ptr<const ObjectSetCode> PrepareObjects(std::span<const NamedObject> objects);
    bool AddObjects(const ObjectSetCode& objects);

    // Milliseconds a call into the engine may take; -1 = no limit.
    void SetTimeout(int ms);
    int Timeout() const;
    bool IsRunning() const;

    std::vector<ProcedureInfo> Procedures() const;
    const ScriptError& LastError() const;

    void SetMsgBoxHook(std::function<int(const MsgBoxRequest&)> hook);
    void SetInputBoxHook(std::function<Variant(const InputBoxRequest&)> hook);

    EngineImpl& Impl() { return *impl_; }

  private:
    std::unique_ptr<EngineImpl> impl_;
};

}  // namespace vbs
