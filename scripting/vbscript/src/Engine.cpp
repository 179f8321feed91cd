// The engine object: names, declarations, the compile cache and the host API.
#include "vbscript/Engine.h"

#include <algorithm>
#include <new>

#include "Lexer.h"
#include "Nodes.h"
#include "runtime/strings.h"

namespace vbs {

void ThrowError(int32_t number) {
    throw ScriptException(number);
}

std::u16string ErrorDescription(int32_t number) {
    switch (number) {
        case 5:
            return u"Invalid procedure call or argument";
        case 6:
            return u"Overflow";
        case 7:
            return u"Out of memory";
        case 9:
            return u"Subscript out of range";
        case 10:
            return u"This array is fixed or temporarily locked";
        case 11:
            return u"Division by zero";
        case 13:
            return u"Type mismatch";
        case 14:
            return u"Out of string space";
        case 28:
            return u"Out of stack space";
        case 35:
            return u"Sub or Function not defined";
        case 48:
            return u"Error in loading DLL";
        case 51:
            return u"Internal error";
        case 52:
            return u"Bad file name or number";
        case 53:
            return u"File not found";
        case 54:
            return u"Bad file mode";
        case 55:
            return u"File already open";
        case 57:
            return u"Device I/O error";
        case 58:
            return u"File already exists";
        case 61:
            return u"Disk full";
        case 62:
            return u"Input past end of file";
        case 67:
            return u"Too many files";
        case 68:
            return u"Device unavailable";
        case 70:
            return u"Permission denied";
        case 71:
            return u"Disk not ready";
        case 74:
            return u"Can't rename with different drive";
        case 75:
            return u"Path/File access error";
        case 76:
            return u"Path not found";
        case 91:
            return u"Object variable not set";
        case 92:
            return u"For loop not initialized";
        case 94:
            return u"Invalid use of Null";
        case 322:
            return u"Can't create necessary temporary file";
        case 424:
            return u"Object required";
        case 429:
            return u"ActiveX component can't create object";
        case 430:
            return u"Class doesn't support Automation";
        case 432:
            return u"File name or class name not found during Automation operation";
        case 438:
            return u"Object doesn't support this property or method";
        case 440:
            return u"Automation error";
        case 445:
            return u"Object doesn't support this action";
        case 446:
            return u"Object doesn't support named arguments";
        case 447:
            return u"Object doesn't support current locale setting";
        case 448:
            return u"Named argument not found";
        case 449:
            return u"Argument not optional";
        case 450:
            return u"Wrong number of arguments or invalid property assignment";
        case 451:
            return u"Object not a collection";
        case 453:
            return u"Specified DLL function not found";
        case 455:
            return u"Code resource lock error";
        case 457:
            return u"This key is already associated with an element of this collection";
        case 458:
            return u"Variable uses an Automation type not supported in VBScript";
        case 462:
            return u"The remote server machine does not exist or is unavailable";
        case 481:
            return u"Invalid picture";
        case 500:
            return u"Variable is undefined";
        case 501:
            return u"Illegal assignment";
        case 502:
            return u"Object not safe for scripting";
        case 503:
            return u"Object not safe for initializing";
        case 504:
            return u"Object not safe for creating";
        case 505:
            return u"Invalid or unqualified reference";
        case 506:
            return u"Class not defined";
        case 507:
            return u"An exception occurred";
        case 1001:
            return u"Out of memory";
        case 1002:
            return u"Syntax error";
        case 1003:
            return u"Expected ':'";
        case 1005:
            return u"Expected '('";
        case 1006:
            return u"Expected ')'";
        case 1007:
            return u"Expected ']'";
        case 1010:
            return u"Expected identifier";
        case 1011:
            return u"Expected '='";
        case 1012:
            return u"Expected 'If'";
        case 1013:
            return u"Expected 'To'";
        case 1014:
            return u"Expected 'End'";
        case 1015:
            return u"Expected 'Function'";
        case 1016:
            return u"Expected 'Sub'";
        case 1017:
            return u"Expected 'Then'";
        case 1018:
            return u"Expected 'Wend'";
        case 1019:
            return u"Expected 'Loop'";
        case 1020:
            return u"Expected 'Next'";
        case 1021:
            return u"Expected 'Case'";
        case 1022:
            return u"Expected 'Select'";
        case 1023:
            return u"Expected expression";
        case 1024:
            return u"Expected statement";
        case 1025:
            return u"Expected end of statement";
        case 1026:
            return u"Expected integer constant";
        case 1027:
            return u"Expected 'While', 'Until' or end of statement";
        case 1028:
            return u"Expected 'While,' 'Until,' or end of statement";
        case 1029:
            return u"Expected 'With'";
        case 1030:
            return u"Identifier too long";
        case 1031:
            return u"Invalid number";
        case 1032:
            return u"Invalid character";
        case 1033:
            return u"Unterminated string constant";
        case 1034:
            return u"Unterminated comment";
        case 1037:
            return u"Invalid use of 'Me' keyword";
        case 1038:
            return u"'loop' without 'do'";
        case 1039:
            return u"Invalid 'exit' statement";
        case 1040:
            return u"Invalid 'for' loop control variable";
        case 1041:
            return u"Name redefined";
        case 1042:
            return u"Must be first statement on the line";
        case 1043:
            return u"Cannot assign to non-ByVal argument";
        case 1044:
            return u"Cannot use parentheses when calling a Sub";
        case 1045:
            return u"Expected literal constant";
        case 1046:
            return u"Expected 'In'";
        case 1047:
            return u"Expected 'Class'";
        case 1048:
            return u"Must be defined inside a Class";
        case 1049:
            return u"Expected Let or Set or Get in property declaration";
        case 1050:
            return u"Expected 'Property'";
        case 1051:
            return u"Number of arguments must be consistent across property declarations";
        case 1052:
            return u"Cannot have multiple default property/method in a Class";
        case 1053:
            return u"Class initialize or terminate do not have arguments";
        case 1054:
            return u"Property set or let must have at least one argument";
        case 1055:
            return u"Unexpected 'Next'";
        case 1056:
            return u"'Default' can be specified only on 'Property' or 'Function' or 'Sub'";
        case 1057:
            return u"'Default' must also be declared 'Public'";
        case 1058:
            return u"'Default' can only be declared on Property Get";
        case 5016:
            return u"Regular Expression object expected";
        case 5017:
            return u"Syntax error in regular expression";
        case 5018:
            return u"Unexpected quantifier";
        case 5019:
            return u"Expected ']' in regular expression";
        case 5020:
            return u"Expected ')' in regular expression";
        case 5021:
            return u"Invalid range in character set";
        case 32811:
            return u"Element not found";
        case kErrTimeout:
            return u"Script execution timed out";
        case kErrBusy:
            return u"A script is running: the engine cannot be reset now";
        default:
            return {};
    }
}

int32_t ErrorFromHResult(int32_t hresult) {
    uint32_t h = uint32_t(hresult);
    if ((h & 0xFFFF0000u) == 0x800A0000u) return int32_t(h & 0xFFFF);
    switch (h) {
        case 0x80004001u:
            return 445;
        case 0x80004002u:
            return 430;
        case 0x80020001u:
            return 438;
        case 0x80020003u:
            return 438;
        case 0x80020004u:
            return 448;
        case 0x80020005u:
            return 13;
        case 0x80020006u:
            return 438;
        case 0x80020007u:
            return 446;
        case 0x80020008u:
            return 458;
        case 0x8002000Au:
            return 6;
        case 0x8002000Bu:
            return 9;
        case 0x8002000Cu:
            return 447;
        case 0x8002000Du:
            return 10;
        case 0x8002000Eu:
            return 450;
        case 0x8002000Fu:
            return 449;
        case 0x80020011u:
            return 451;
        case 0x8002802Fu:
            return 453;
        case 0x80028CA0u:
            return 13;
        case 0x80028CA1u:
            return 9;
        case 0x80028CA2u:
            return 57;
        case 0x80028CA3u:
            return 322;
        case 0x80030002u:
            return 432;
        case 0x80030003u:
            return 76;
        case 0x80030004u:
            return 67;
        case 0x80030005u:
            return 70;
        case 0x80030008u:
            return 7;
        case 0x80030012u:
            return 67;
        case 0x80030013u:
            return 70;
        case 0x8003001Du:
            return 57;
        case 0x8003001Eu:
            return 57;
        case 0x80030020u:
            return 75;
        case 0x80030021u:
            return 70;
        case 0x80030050u:
            return 58;
        case 0x80030070u:
            return 61;
        case 0x800300FCu:
            return 53;
        case 0x80030100u:
            return 70;
        case 0x80030101u:
            return 70;
        case 0x80030103u:
            return 57;
        case 0x80040154u:
            return 429;
        case 0x800401E3u:
            return 429;
        case 0x800401E6u:
            return 432;
        case 0x800401EAu:
            return 432;
        case 0x800401F3u:
            return 429;
        case 0x800401F5u:
            return 429;
        case 0x800401FEu:
            return 429;
        case 0x80070005u:
            return 70;
        case 0x8007000Eu:
            return 7;
        case 0x80070057u:
            return 5;
        case 0x800706BAu:
            return 462;
        case 0x80080005u:
            return 429;
        default:
            return hresult;
    }
}

// ---- HostObject ----

int HostObject::AddMethod(std::u16string_view name, Getter fn) {
    return AddProperty(name, std::move(fn), nullptr);
}

int HostObject::AddProperty(std::u16string_view name, Getter get, Setter set) {
    members_.push_back({std::u16string(name), std::move(get), std::move(set)});
    int id = int(members_.size());
    byName_[rt::LCase(name)] = id;
    return id;
}

void HostObject::SetDefault(std::u16string_view name) {
    auto it = byName_.find(rt::LCase(name));
    if (it != byName_.end()) default_ = it->second;
}

int HostObject::FindMember(std::u16string_view name) {
    auto it = byName_.find(rt::LCase(name));
    return it == byName_.end() ? kDispUnknown : it->second;
}

Variant HostObject::Invoke(int id, InvokeKind kind, std::span<Variant> args) {
    if (id == kDispValue) id = default_;
    if (id <= 0 || id > int(members_.size())) ThrowError(438);
    Member& m = members_[size_t(id - 1)];
    if (kind == InvokeKind::Let || kind == InvokeKind::Set) {
        if (!m.set || args.empty()) ThrowError(438);
        m.set(args.first(args.size() - 1), args.back());
        return {};
    }
    if (!m.get) ThrowError(438);
    return m.get(args);
}

bool HostObject::Enumerate(std::vector<Variant>& out) {
    if (!enumerate_) return false;
    out = enumerate_();
    return true;
}

// ---- ClassInstance ----

ClassInstance::ClassInstance(EngineImpl* e, const ClassDef* cls, std::shared_ptr<void> keep)
    : engine(e), cls_(cls), keep_(std::move(keep)), alive_(e->alive) {
    fields.resize(cls->fields.size());
}

int ClassInstance::FindMember(std::u16string_view name) {
    auto it = cls_->byName.find(rt::LCase(name));
    if (it == cls_->byName.end() || !cls_->members[size_t(it->second)].isPublic)
        return kDispUnknown;
    return it->second + 1;
}

Variant ClassInstance::Invoke(int id, InvokeKind kind, std::span<Variant> args) {
    int index = id == kDispValue ? cls_->defaultMember : id - 1;
    if (index < 0 || index >= int(cls_->members.size())) {
        if (id == kDispValue && args.empty() && kind == InvokeKind::Get) ThrowError(kErrNoMember);
        ThrowError(kErrNoMember);
    }
    return InvokeMember(index, kind, args);
}

Variant ClassInstance::InvokeMember(int index, InvokeKind kind, std::span<Variant> args) {
    if (!*alive_) ThrowError(kErrObjectNotSet);  // its engine is gone
    const ClassMember& m = cls_->members[size_t(index)];
    Ref<ClassInstance> keep(this);
    bool assigning = kind == InvokeKind::Let || kind == InvokeKind::Set;
    switch (m.kind) {
        case ClassMember::Field: {
            Variant& f = fields[size_t(m.field)];
            if (assigning) {
                Variant v = args.back().Deref();
                if (args.size() == 1) {
                    StoreValue(f, std::move(v), kind == InvokeKind::Set);
                    return {};
                }
                std::span<Variant> idx = args.first(args.size() - 1);
                if (f.IsArray()) {
                    StoreValue(*ArrayElement(f.MutableArray(), idx), std::move(v),
                               kind == InvokeKind::Set);
                    return {};
                }
                if (f.Type() == vtObject) {
                    RequireObject(f)->Invoke(kDispValue, kind, args);
                    return {};
                }
                ThrowError(kErrTypeMismatch);
            }
            if (args.empty()) return f;
            return IndexValueOf(*engine, f, args);
        }
        case ClassMember::Method:
            if (assigning || !m.method) ThrowError(kErrIllegalAssign);
            if (m.method->params.empty() && !args.empty()) {
                // obj.Items(1) on a member without parameters indexes its result.
                Variant r = engine->CallProc(m.method, this, nullptr, 0);
                return IndexValueOf(*engine, r, args);
            }
            return engine->CallProc(m.method, this, args.data(), args.size());
        case ClassMember::Property: {
            const ProcDef* p;
            if (kind == InvokeKind::Let)
                p = m.let;
            else if (kind == InvokeKind::Set)
                p = m.set ? m.set : m.let;
            else
                p = m.get;
            if (!p) ThrowError(assigning ? kErrIllegalAssign : kErrNoMember);
            if (!assigning && p->params.empty() && !args.empty()) {
                Variant r = engine->CallProc(p, this, nullptr, 0);
                return IndexValueOf(*engine, r, args);
            }
            return engine->CallProc(p, this, args.data(), args.size());
        }
    }
    return {};
}

bool ClassInstance::Enumerate(std::vector<Variant>& out) {
    if (cls_->defaultMember < 0) return false;
    Variant v = Invoke(kDispValue, InvokeKind::Get, {});
    if (v.IsArray()) {
        out = v.AsArray()->items;
        return true;
    }
    if (v.Type() == vtObject && v.AsObject()) return v.AsObject()->Enumerate(out);
    return false;
}

void ClassInstance::FinalRelease() {
    if (cls_->terminate && *alive_ && !engine->dying && !terminated_) {
        terminated_ = true;
        AddRef();
        Frame* savedFrame = engine->frame;
        int savedLine = engine->line;
        try {
            Frame top;
            if (!engine->frame) engine->frame = &top;
            engine->CallProc(cls_->terminate, this, nullptr, 0);
        } catch (...) {
            // An error in Class_Terminate is not reported: the object goes anyway.
        }
        engine->frame = savedFrame;
        engine->line = savedLine;
        Release();
        return;
    }
    delete this;
}

// ---- EngineImpl ----

EngineImpl::EngineImpl() = default;

EngineImpl::~EngineImpl() {
    dying = true;
    *alive = false;
    namedItems.clear();
    globals_.clear();
}

int EngineImpl::AtomOf(std::u16string_view name) {
    std::u16string lower = rt::LCase(name);
    auto it = atomIndex_.find(lower);
    if (it != atomIndex_.end()) return it->second;
    int id = int(atoms_.size());
    Atom a;
    a.name = std::u16string(name);
    a.lower = lower;
    a.builtin = FindBuiltin(lower);
    atoms_.push_back(std::move(a));
    globals_.emplace_back();
    atomIndex_.emplace(std::move(lower), id);
    return id;
}

bool EngineImpl::ResolveHostMember(int atom, GlobalSlot& g) {
    if (g.kind == SlotKind::HostMember) return true;
    if (g.kind != SlotKind::Unset || g.missGen == resolveGen) return false;
    for (auto& item : namedItems) {
        if (!item.addMembers) continue;
        int id = item.obj->FindMember(atoms_[size_t(atom)].name);
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

void EngineImpl::SetErr(const ScriptException& ex) {
    err.number = ex.number;
    err.description = ex.description.empty() ? ErrorDescription(ex.number) : ex.description;
    if (!ex.source.empty())
        err.source = ex.source;
    else if (ex.number >= 1000 && ex.number < 1100)
        err.source = u"Microsoft VBScript compilation error";
    else
        err.source = u"Microsoft VBScript runtime error";
    err.helpFile = ex.helpFile;
    err.helpContext = ex.helpContext;
}

void EngineImpl::ThrowUndefined(int atom) {
    ThrowNamed(kErrUndefined, atoms_[size_t(atom)].name);
}

void EngineImpl::ThrowNamed(int32_t number, const std::u16string& name) {
    ScriptException ex(number);
    ex.name = name;
    throw ex;
}

Variant EngineImpl::NewInstance(const ClassDef* cls, std::shared_ptr<void> keep) {
    auto* obj = new ClassInstance(this, cls, keep);
    Variant v = Variant::Object(obj);
    for (size_t i = 0; i < cls->fields.size(); ++i) {
        const FieldDef& f = cls->fields[i];
        if (f.isArray) obj->fields[i] = MakeFixedArray(*this, f.dims, true);
    }
    if (cls->initialize) {
        Frame top;
        Frame* saved = frame;
        if (!frame) frame = &top;
        int savedLine = line;
        try {
            CallProc(cls->initialize, obj, nullptr, 0);
        } catch (...) {
            frame = saved;
            throw;
        }
        frame = saved;
        line = savedLine;
    }
    return v;
}

std::shared_ptr<Program> EngineImpl::Compile(std::u16string_view text, int firstLine,
                                             bool asExpression, bool optionExplicit,
                                             bool dynamicScope) {
    std::u16string key(text);
    key += asExpression ? u'\x02' : u'\x01';
    key += dynamicScope ? u'D' : u'-';
    key += optionExplicit ? u'E' : u'-';
    key += char16_t(firstLine & 0xFFFF);
    key += char16_t((firstLine >> 16) & 0xFFFF);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    auto p = CompileProgram(*this, text, firstLine, asExpression, optionExplicit, dynamicScope);
    // Bounded: the texts of a game fit many times over.
    if (cache_.size() >= 8192 || cacheChars_ > (size_t(16) << 20)) {
        cache_.clear();
        cacheChars_ = 0;
    }
    cacheChars_ += key.size();
    cache_.emplace(std::move(key), p);
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
    const std::u16string& lower = atoms_[size_t(atom)].lower;
    for (auto& [name, slot] : f->proc->slotNames)
        if (name == lower) return &f->locals[slot].Deref();
    if (f->me) {
        const ClassDef* cls = f->me->Class();
        auto it = cls->byName.find(lower);
        if (it != cls->byName.end() && cls->members[size_t(it->second)].kind == ClassMember::Field)
            return &f->me->fields[size_t(cls->members[size_t(it->second)].field)];
    }
    return nullptr;
}

void EngineImpl::AddProgram(std::u16string_view text, int firstLine, bool localScope) {
    // Execute in a procedure sees its variables; elsewhere it is ExecuteGlobal.
    localScope = localScope && frame && frame->proc;
    Frame* savedExec = execFrame;
    if (localScope) execFrame = frame;
    struct RestoreExec {
        EngineImpl* e;
        Frame* saved;
        ~RestoreExec() { e->execFrame = saved; }
    } restoreExec{this, savedExec};
    // Every piece is compiled before anything is declared or run, as one text would be.
    std::vector<std::shared_ptr<Program>> pieces;
    try {
        bool explicitOpt = false;
        for (const Chunk& c : SplitChunks(text, firstLine, 64)) {
            pieces.push_back(Compile(text.substr(c.offset, c.length), c.firstLine, false,
                                     explicitOpt, localScope));
            explicitOpt = pieces.front()->optionExplicit;
        }
    } catch (const CompileFailure& f) {
        if (!frame) throw;
        ThrowError(f.number);  // inside Execute/ExecuteGlobal: a run-time error of the caller
    }
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

Variant EngineImpl::EvalText(std::u16string_view text, bool localScope) {
    localScope = localScope && frame && frame->proc;
    Frame* savedExec = execFrame;
    if (localScope) execFrame = frame;
    struct RestoreExec {
        EngineImpl* e;
        Frame* saved;
        ~RestoreExec() { e->execFrame = saved; }
    } restoreExec{this, savedExec};
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
        GlobalSlot old = std::move(globals_[i]);
        globals_[i] = GlobalSlot();
    }
    programs.clear();
    err = ErrState();
    ++resolveGen;
}

bool EngineImpl::Guard(const std::function<void()>& body) {
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

// ---- Engine ----

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
