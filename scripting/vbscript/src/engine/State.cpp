// The engine's state: names (atoms) and global slots, the compile cache, declaring and running
// added code, and the guard every public call runs under.
#include <algorithm>
#include <new>
#include <optional>

#include "codegen/Nodes.h"
#include "engine/EngineImpl.h"
#include "lib/strings/strings.h"
#include "parser/Parser.h"

namespace vbs {

EngineImpl::EngineImpl() : store_(std::make_shared<CodeStore>()) {}

EngineImpl::~EngineImpl() {
    dying = true;
    *alive = false;
    namedItems.clear();
    globals_.clear();
}

int EngineImpl::AtomOf(std::u16string_view name) {
    CodeStore& s = *store_;
    std::u16string& lower = s.lowerScratch;
    rt::LCaseInto(name, lower);
    const uint32_t hash = AtomIndex::Hash(lower);
    if (const int found = s.atomIndex.Find(lower, hash, s.atoms); found >= 0) return found;
    int id = int(s.atoms.size());
    Atom a;
    a.lower = s.atomNames.Keep(lower);
    a.name = name == lower ? a.lower : s.atomNames.Keep(name);
    a.builtin = FindBuiltin(lower);
    s.atoms.push_back(std::move(a));
    MakeSlots();
    s.atomIndex.Insert(hash, id);
    return id;
}

void EngineImpl::ReserveNames(size_t more) {
    CodeStore& s = *store_;
    s.atoms.reserve(s.atoms.size() + more);
    s.atomIndex.Reserve(s.atomIndex.size() + more);
}

void EngineImpl::UseStore(std::shared_ptr<CodeStore> store) {
    ResetState();
    store_ = std::move(store);
    globals_.clear();
    MakeSlots();
}

bool EngineImpl::ResolveHostMember(int atom, GlobalSlot& g) {
    if (g.kind == SlotKind::HostMember) return true;
    if (g.kind != SlotKind::Unset || g.missGen == resolveGen) return false;
    for (auto& item : namedItems) {
        if (!item.addMembers) continue;
        int id = item.obj->FindMember(store_->atoms[size_t(atom)].name);
        if (id != kDispUnknown) {
            g.kind = SlotKind::HostMember;
            g.host = item.obj.get();
            g.dispId = id;
            return true;
        }
    }
    g.missGen = resolveGen;
    return false;
}

void EngineImpl::CheckTime() {
    if (!hasDeadline_) return;
    if (std::chrono::steady_clock::now() > deadline_) throw AbortRun{kErrTimeout};
}

std::shared_ptr<Program> EngineImpl::Compile(std::u16string_view text, int firstLine,
                                             bool asExpression, bool optionExplicit,
                                             bool dynamicScope, bool remember) {
    if (!remember)
        return CompileProgram(*this, text, firstLine, asExpression, optionExplicit, dynamicScope);
    const uint64_t how = (uint64_t(uint32_t(firstLine)) << 8) | (asExpression ? 1u : 0u) |
                         (dynamicScope ? 2u : 0u) | (optionExplicit ? 4u : 0u);
    CodeStore& s = *store_;
    const CodeStore::CacheKey lookup = CodeStore::CacheKey::Of(text, how);
    auto it = s.cache.find(lookup);
    if (it != s.cache.end()) return it->second.program;
    auto p = CompileProgram(*this, text, firstLine, asExpression, optionExplicit, dynamicScope);
    // Bounded: the texts of a game fit many times over.
    if (s.cache.size() >= 8192 || s.cacheChars > (size_t(16) << 20)) {
        s.cache.clear();
        s.cacheChars = 0;
    }
    s.cacheChars += text.size();
    auto owned = std::make_unique<std::u16string>(text);
    CodeStore::CacheKey key{*owned, how, lookup.hash};
    s.cache.emplace(key, CodeStore::CacheEntry{std::move(owned), p});
    return p;
}

void EngineImpl::Declare(const std::shared_ptr<Program>& p) {
    // Everything is checked before anything is defined, so a failing piece adds nothing.
    for (auto& d : p->procs) {
        GlobalSlot& g = Slot(d->atom);
        if (g.kind == SlotKind::NamedItem) throw ScriptException(1041);
    }
    for (auto& c : p->classes) {
        GlobalSlot& g = Slot(c->atom);
        if (g.kind == SlotKind::NamedItem) throw ScriptException(1041);
    }
    for (auto& d : p->procs) {
        GlobalSlot& g = Slot(d->atom);
        if (g.kind != SlotKind::Proc) procOrder.push_back(d->atom);
        g.kind = SlotKind::Proc;
        g.value = Variant();
        g.proc = d.get();
    }
    for (auto& c : p->classes) {
        GlobalSlot& g = Slot(c->atom);
        g.kind = SlotKind::Class;
        g.cls = c.get();
        g.owner = p;
    }
    for (auto& d : p->globals) {
        GlobalSlot& g = Slot(d.atom);
        switch (d.kind) {
            case GlobalDecl::Var:
                if (g.kind == SlotKind::Unset || g.kind == SlotKind::HostMember) {
                    g.kind = SlotKind::Var;
                    g.value = d.isDynamicArray ? Variant::NewArray({}) : Variant();
                } else if (d.isDynamicArray && g.kind == SlotKind::Var && !g.value.IsArray()) {
                    g.value = Variant::NewArray({});
                }
                break;
            case GlobalDecl::Array:
                g.kind = SlotKind::Var;
                g.value = MakeFixedArray(*this, d.dims, true);
                break;
            case GlobalDecl::Const:
                g.kind = SlotKind::Const;
                g.value = d.value->Eval(*this);
                break;
        }
    }
}

Variant* EngineImpl::ExecLocal(int atom) {
    Frame* f = execFrame;
    if (!f || !f->proc) return nullptr;
    const std::u16string_view lower = store_->atoms[size_t(atom)].lower;
    for (auto& [name, slot] : f->proc->slotNames)
        if (std::u16string_view(name) == lower) return &f->locals[slot].Deref();
    if (f->me) {
        const ClassDef* cls = f->me->Class();
        auto it = cls->byName.find(std::u16string(lower));
        if (it != cls->byName.end() && cls->members[size_t(it->second)].kind == ClassMember::Field)
            return &f->me->fields[size_t(cls->members[size_t(it->second)].field)];
    }
    return nullptr;
}

std::vector<std::shared_ptr<Program>> EngineImpl::CompilePieces(std::u16string_view text,
                                                                int firstLine, bool localScope,
                                                                std::optional<bool> continues,
                                                                bool remember, int* nextLine) {
    std::vector<std::shared_ptr<Program>> pieces;
    try {
        bool explicitOpt = continues.value_or(false);
        for (const Chunk& c : SplitChunks(text, firstLine, 64, nextLine)) {
            pieces.push_back(Compile(text.substr(c.offset, c.length), c.firstLine, false,
                                     explicitOpt, localScope, remember));
            if (!continues) explicitOpt = pieces.front()->optionExplicit;
        }
    } catch (const CompileFailure& f) {
        if (!frame) throw;
        ThrowError(f.number);  // inside Execute/ExecuteGlobal: a run-time error of the caller
    }
    return pieces;
}

void EngineImpl::RunPieces(const std::vector<std::shared_ptr<Program>>& pieces) {
    struct Restore {
        EngineImpl* e;
        Frame* saved;
        int line;
        ~Restore() {
            e->frame = saved;
            if (!std::uncaught_exceptions()) e->line = line;
        }
    } restore{this, frame, line};
    for (auto& p : pieces) {
        programs.push_back(p);
        Declare(p);
    }
    for (auto& p : pieces) {
        if (p->top.body.stmts.empty()) continue;
        Frame top;
        std::vector<Variant> locals(size_t(std::max(p->top.localCount, 1)));
        top.locals = locals.data();
        frame = &top;
        p->top.body.Exec(*this);
        frame = restore.saved;
    }
}

namespace {

// Execute and Eval in a procedure see its variables; elsewhere they run at global scope.
// `localScope` is narrowed to whether a procedure runs; the frame they run in is set for as
// long as the scope lives.
struct ExecFrameScope {
    ExecFrameScope(EngineImpl& engine, bool& localScope) : e(engine), saved(engine.execFrame) {
        localScope = localScope && e.frame && e.frame->proc;
        if (localScope) e.execFrame = e.frame;
    }
    ~ExecFrameScope() { e.execFrame = saved; }
    ExecFrameScope(const ExecFrameScope&) = delete;
    ExecFrameScope& operator=(const ExecFrameScope&) = delete;
    EngineImpl& e;
    Frame* saved;
};

}  // namespace

void EngineImpl::AddProgram(std::u16string_view text, int firstLine, bool localScope) {
    const ExecFrameScope scope(*this, localScope);
    // Every piece is compiled before anything is declared or run, as one text would be.
    RunPieces(CompilePieces(text, firstLine, localScope, std::nullopt));
}

Variant EngineImpl::EvalText(std::u16string_view text, bool localScope) {
    const ExecFrameScope scope(*this, localScope);
    std::shared_ptr<Program> p;
    try {
        p = Compile(text, 1, true, false, localScope);
    } catch (const CompileFailure& f) {
        if (!frame) throw;
        ThrowError(f.number);
    }
    programs.push_back(p);
    Frame top;
    Variant local;
    top.locals = &local;
    Frame* saved = frame;
    frame = &top;
    try {
        Variant r = p->expression->Eval(*this);
        frame = saved;
        return r;
    } catch (...) {
        frame = saved;
        throw;
    }
}

void EngineImpl::ResetState() {
    namedItems.clear();
    procOrder.clear();
    // Objects released here may run Class_Terminate, which may touch globals: clear slot by
    // slot without holding iterators.
    for (size_t i = 0; i < globals_.size(); ++i) {
        GlobalSlot& g = globals_[i];
        // Most names have never been bound: nothing to release.
        if (g.kind == SlotKind::Unset && g.value.Type() == vtEmpty && !g.owner) continue;
        GlobalSlot old = std::move(g);
        globals_[i] = GlobalSlot();
    }
    programs.clear();
    err = ErrState();
    ++resolveGen;
}

bool EngineImpl::Guard(const std::function<void()>& body) {
    MakeSlots();  // names another engine sharing this one's made since it last ran
    lastError = ScriptError();
    bool outer = running == 0;
    if (outer) {
        hasDeadline_ = timeoutMs >= 0;
        if (hasDeadline_)
            deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        steps_ = 0;
        line = 0;
        err = ErrState();  // every call from the host starts with a clear Err
        char probe = 0;
        stackBase = reinterpret_cast<uintptr_t>(&probe);
    }
    ++running;
    struct Dec {
        int& r;
        ~Dec() { --r; }
    } dec{running};
    auto fill = [&](int32_t number, std::u16string desc, bool compile, int ln, int col) {
        lastError.number = number;
        lastError.description = desc.empty() ? ErrorDescription(number) : std::move(desc);
        if (lastError.description.empty()) lastError.description = u"Unknown runtime error";
        lastError.compileError = compile;
        lastError.source =
            compile ? u"Microsoft VBScript compilation error" : u"Microsoft VBScript runtime error";
        lastError.line = ln;
        lastError.column = col;
    };
    try {
        body();
        return true;
    } catch (const CompileFailure& f) {
        fill(f.number, {}, true, f.line, f.column);
    } catch (const ScriptException& ex) {
        fill(ex.number, ex.description, ex.number >= 1000 && ex.number < 1100, line, 0);
        if (!ex.name.empty()) lastError.description += u": '" + ex.name + u"'";
        if (!ex.source.empty()) lastError.source = ex.source;
    } catch (const AbortRun& a) {
        fill(a.number, {}, false, line, 0);
    } catch (const std::bad_alloc&) {
        fill(kErrOutOfMemory, {}, false, line, 0);
    } catch (const std::length_error&) {
        fill(kErrOutOfMemory, {}, false, line, 0);
    }
    frame = nullptr;
    depth = 0;
    if (outer) frame = nullptr;
    return false;
}

}  // namespace vbs
