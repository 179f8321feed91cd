// The public API (vbscript/Engine.h): each call runs under EngineImpl::Guard, which turns
// errors into LastError().
#include "vbscript/Engine.h"

#include <optional>

#include "engine/EngineImpl.h"
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

namespace {

bool FailWith(EngineImpl& e, int number) {
    e.lastError.number = number;
    e.lastError.description = ErrorDescription(number);
    e.lastError.source = u"Microsoft VBScript runtime error";
    return false;
}

// The atom an object may be added under; -1 for an empty or reserved name.
int ObjectAtom(EngineImpl& e, std::u16string_view name) {
    // A reserved word cannot name an object, but "Me" outside a class names the host's own
    // object, so a host may add it.
    const Kw reserved = KeywordIn(name);
    if (name.empty() || (reserved != Kw::None && reserved != Kw::Me)) return -1;
    return e.AtomOf(name);
}

bool BindObject(EngineImpl& e, int atom, Dispatch* obj, bool addMembers) {
    if (atom < 0) return FailWith(e, 1010);
    GlobalSlot& g = e.Slot(atom);
    if (g.kind != SlotKind::Unset && g.kind != SlotKind::HostMember) return FailWith(e, 1041);
    g = GlobalSlot();
    g.kind = SlotKind::NamedItem;
    g.value = Variant::Object(obj);
    e.namedItems.push_back({atom, Ref<Dispatch>(obj), addMembers});
    return true;
}

}  // namespace

bool Engine::AddObject(std::u16string_view name, Dispatch* obj, bool addMembers) {
    EngineImpl& e = *impl_;
    e.lastError = ScriptError();
    if (!BindObject(e, ObjectAtom(e, name), obj, addMembers)) return false;
    ++e.resolveGen;
    return true;
}

bool Engine::ShareCompiledCode(Engine& other) {
    EngineImpl& e = *impl_;
    e.lastError = ScriptError();
    if (e.running > 0 || other.impl_->running > 0) return FailWith(e, kErrBusy);
    if (e.Store() != other.impl_->Store()) e.UseStore(other.impl_->Store());
    return true;
}

std::shared_ptr<const ModuleCode> Engine::CompileModule(std::u16string_view text,
                                                        int lineBreaksAfter) {
    EngineImpl& e = *impl_;
    auto module = std::make_shared<ModuleCode>();
    module->store = e.Store();
    e.ReserveNames(text.size() / 100);  // about a new name in a hundred characters
    int nextLine = 1;
    bool ok = e.Guard([&] {
        module->pieces = e.CompilePieces(text, 1, false, std::nullopt, false, &nextLine);
        if (!module->pieces.empty())
            module->optionExplicit = module->pieces.front()->optionExplicit;
    });
    if (!ok) return nullptr;
    module->nextLine = nextLine + std::max(lineBreaksAfter, 0);
    return module;
}

bool Engine::AddModule(const ModuleCode& module, std::u16string_view text) {
    EngineImpl& e = *impl_;
    if (module.store != e.Store()) {
        e.lastError = ScriptError();
        return FailWith(e, kErrInvalidCall);
    }
    return e.Guard([&] {
        std::vector<std::shared_ptr<Program>> pieces = module.pieces;
        if (!text.empty()) {
            auto more = e.CompilePieces(text, module.nextLine, false, module.optionExplicit);
            pieces.insert(pieces.end(), std::make_move_iterator(more.begin()),
                          std::make_move_iterator(more.end()));
        }
        e.RunPieces(pieces);
    });
}

std::shared_ptr<const ObjectSetCode> Engine::PrepareObjects(std::span<const NamedObject> objects) {
    EngineImpl& e = *impl_;
    auto set = std::make_shared<ObjectSetCode>();
    set->store = e.Store();
    set->items.reserve(objects.size());
    e.ReserveNames(objects.size());
    for (const NamedObject& o : objects)
        set->items.push_back({ObjectAtom(e, o.name), o.object, o.addMembers});
    return set;
}

bool Engine::AddObjects(const ObjectSetCode& objects) {
    EngineImpl& e = *impl_;
    e.lastError = ScriptError();
    if (objects.store != e.Store()) return FailWith(e, kErrInvalidCall);
    e.MakeSlots();  // the set may have been prepared by another engine
    e.namedItems.reserve(e.namedItems.size() + objects.items.size());
    bool ok = true;
    for (const auto& item : objects.items)
        if (!(ok = BindObject(e, item.atom, item.obj.get(), item.addMembers))) break;
    ++e.resolveGen;
    return ok;
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
