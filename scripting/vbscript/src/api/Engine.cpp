// The public API (vbscript/Engine.h): each call runs under EngineImpl::Guard, which turns
// errors into LastError().
#include "vbscript/Engine.h"

#include "engine/EngineImpl.h"
#include "lib/strings/strings.h"
#include "parser/Parser.h"

namespace vbs {

Engine::Engine() : impl_(std::make_unique<EngineImpl>()) {
    impl_->InitBuiltinObjects();
}
Engine::~Engine() = default;

bool Engine::Reset() {
    EngineImpl& e = *impl_;
    if (e.running > 0) {
        e.lastError = ScriptError();
        e.lastError.number = kErrBusy;
        e.lastError.description = ErrorDescription(kErrBusy);
        return false;
    }
    e.ResetState();
    return true;
}

bool Engine::AddObject(std::u16string_view name, Dispatch* obj, bool addMembers) {
    EngineImpl& e = *impl_;
    e.lastError = ScriptError();
    auto fail = [&](int n) {
        e.lastError.number = n;
        e.lastError.description = ErrorDescription(n);
        e.lastError.source = u"Microsoft VBScript runtime error";
        return false;
    };
    // "Me" outside a class names the host's own object, so a host may add it.
    std::u16string lower = rt::LCase(name);
    if (name.empty() || (KeywordOf(lower) != Kw::None && lower != u"me")) return fail(1010);
    int atom = e.AtomOf(name);
    GlobalSlot& g = e.Slot(atom);
    if (g.kind != SlotKind::Unset && g.kind != SlotKind::HostMember) return fail(1041);
    g = GlobalSlot();
    g.kind = SlotKind::NamedItem;
    g.value = Variant::Object(obj);
    e.namedItems.push_back({atom, Ref<Dispatch>(obj), addMembers});
    ++e.resolveGen;
    return true;
}

bool Engine::AddCode(std::u16string_view text) {
    return impl_->Guard([&] { impl_->AddProgram(text, 1); });
}

std::vector<ScriptError> Engine::CheckSyntax(std::u16string_view text) {
    std::vector<ScriptError> out;
    for (const CompileFailure& f : CheckProgram(*impl_, text, 1)) {
        ScriptError e;
        e.number = f.number;
        e.description = ErrorDescription(f.number);
        if (e.description.empty()) e.description = u"Unknown runtime error";
        e.source = u"Microsoft VBScript compilation error";
        e.line = f.line;
        e.column = f.column;
        e.compileError = true;
        out.push_back(std::move(e));
    }
    return out;
}

bool Engine::Run(std::u16string_view procedure, std::span<const Variant> args, Variant* result) {
    EngineImpl& e = *impl_;
    return e.Guard([&] {
        int atom = e.AtomOf(procedure);
        GlobalSlot& g = e.Slot(atom);
        if (g.kind != SlotKind::Proc) ThrowError(kErrSubNotDefined);
        std::vector<Variant> a(args.begin(), args.end());
        Frame top;
        Variant local;
        top.locals = &local;
        Frame* saved = e.frame;
        if (!e.frame) e.frame = &top;
        struct Restore {
            EngineImpl& e;
            Frame* saved;
            ~Restore() { e.frame = saved; }
        } restore{e, saved};
        Variant r = e.CallProc(g.proc, nullptr, a.data(), a.size());
        if (result) *result = std::move(r);
    });
}

bool Engine::Eval(std::u16string_view expression, Variant& result) {
    return impl_->Guard([&] { result = impl_->EvalText(expression); });
}

bool Engine::ExecuteStatement(std::u16string_view text) {
    return AddCode(text);
}

void Engine::SetTimeout(int ms) {
    impl_->timeoutMs = ms < 0 ? -1 : ms;
}
int Engine::Timeout() const {
    return impl_->timeoutMs;
}
bool Engine::IsRunning() const {
    return impl_->running > 0;
}

std::vector<ProcedureInfo> Engine::Procedures() const {
    std::vector<ProcedureInfo> out;
    for (int atom : impl_->procOrder) {
        const GlobalSlot& g = impl_->Slot(atom);
        if (g.kind != SlotKind::Proc) continue;
        out.push_back(
            {g.proc->name, int(g.proc->params.size()), g.proc->kind == ProcKind::Function});
    }
    return out;
}

const ScriptError& Engine::LastError() const {
    return impl_->lastError;
}

void Engine::SetMsgBoxHook(std::function<int(const MsgBoxRequest&)> hook) {
    impl_->msgBoxHook = std::move(hook);
}
void Engine::SetInputBoxHook(std::function<Variant(const InputBoxRequest&)> hook) {
    impl_->inputBoxHook = std::move(hook);
}

}  // namespace vbs
