// The script and its host: Eval, Execute, ExecuteGlobal, ScriptEngine and its versions,
// GetLocale, SetLocale, MsgBox and InputBox.
#include "lib/Library.h"

namespace vbs::lib {

namespace {

Variant FnEval(EngineImpl& e, Args a) {
    return e.EvalText(S(a, 0), true);
}

Variant FnExecute(EngineImpl& e, Args a) {
    e.AddProgram(S(a, 0), 1, true);
    return {};
}

Variant FnExecuteGlobal(EngineImpl& e, Args a) {
    e.AddProgram(S(a, 0), 1, false);
    return {};
}

Variant FnScriptEngine(EngineImpl&, Args) {
    return Str(u"VBScript");
}

Variant FnScriptEngineMajor(EngineImpl&, Args) {
    return Variant::Long(5);
}

Variant FnScriptEngineMinor(EngineImpl&, Args) {
    return Variant::Long(8);
}

Variant FnScriptEngineBuild(EngineImpl&, Args) {
    return Variant::Long(16384);
}

Variant FnGetLocale(EngineImpl&, Args) {
    return Variant::Long(1033);
}

Variant FnSetLocale(EngineImpl&, Args) {
    return Variant::Long(1033);
}

Variant FnMsgBox(EngineImpl& e, Args a) {
    MsgBoxRequest r;
    r.prompt = A(a, 0).IsNull() ? std::u16string() : S(a, 0);
    if (Has(a, 1)) r.buttons = L(a, 1);
    if (Has(a, 2)) r.title = S(a, 2);
    EngineImpl::HostTime paused(e);
    int answer = e.msgBoxHook ? e.msgBoxHook(r) : 1;
    return Variant::Integer(int16_t(answer));
}

Variant FnInputBox(EngineImpl& e, Args a) {
    InputBoxRequest r;
    r.prompt = S(a, 0);
    if (Has(a, 1)) r.title = S(a, 1);
    if (Has(a, 2)) r.defaultText = S(a, 2);
    EngineImpl::HostTime paused(e);
    if (e.inputBoxHook) return e.inputBoxHook(r);
    return Str(r.defaultText);
}

}  // namespace

std::span<const Builtin> ScriptLibrary() {
    static const Builtin kTable[] = {
        {u"eval", FnEval, 1, 1, false},
        {u"execute", FnExecute, 1, 1, false},
        {u"executeglobal", FnExecuteGlobal, 1, 1, false},
        {u"scriptengine", FnScriptEngine, 0, 0, false},
        {u"scriptenginemajorversion", FnScriptEngineMajor, 0, 0, false},
        {u"scriptengineminorversion", FnScriptEngineMinor, 0, 0, false},
        {u"scriptenginebuildversion", FnScriptEngineBuild, 0, 0, false},
        {u"getlocale", FnGetLocale, 0, 0, false},
        {u"setlocale", FnSetLocale, 0, 1, false},
        {u"msgbox", FnMsgBox, 1, 5, false},
        {u"inputbox", FnInputBox, 1, 7, false},
    };
    return kTable;
}

}  // namespace vbs::lib
