#include "codegen/CodeGen.h"

#include "lib/strings/strings.h"

namespace vbs {

void CodeGen::BeginTopLevel(ProcScope& top) {
    top.proc = &prog_.top;
    top.isTop = true;
    scope_ = &top;
}

void CodeGen::Restore(const Mark& m) {
    scope_ = m.scope;
    cls_ = m.cls;
    withSlots_.resize(m.withDepth);
}

// ---- expressions ----

ExprPtr CodeGen::Name(std::u16string_view name, int line) {
    auto n = std::make_unique<NameExpr>();
    n->line = line;
    n->name.assign(name);
    n->explicitOpt = prog_.optionExplicit;
    std::u16string& lower = lower_;
    rt::LCaseInto(name, lower);
    if (!scope_->isTop) {
        if (const int* slot = scope_->locals.Find(lower)) {
            n->mode = NameMode::Local;
            n->slot = *slot;
            return n;
        }
    }
    if (cls_) {
        auto it = cls_->byName.find(lower);
        if (it != cls_->byName.end()) {
            const ClassMember& m = cls_->members[size_t(it->second)];
            if (m.kind == ClassMember::Field) {
                n->mode = NameMode::Field;
                n->slot = m.field;
            } else {
                n->mode = NameMode::MeMember;
                n->slot = it->second;
            }
            return n;
        }
    }
    n->atom = e_.AtomOf(name);
    n->dynScope = prog_.dynamicScope && scope_->isTop;
    if (!scope_->isTop && !prog_.optionExplicit) {
        n->mode = NameMode::Dyn;
        if (const int* slot = scope_->implicit.Find(lower)) {
            n->slot = *slot;
        } else {
            n->slot = HiddenLocal();
            scope_->implicit.Add(lower, n->slot);
        }
    } else {
        n->mode = NameMode::Global;
    }
    return n;
}

ExprPtr CodeGen::RetargetSelfCall(std::unique_ptr<NameExpr> n) {
    if (n->mode != NameMode::Local || n->slot != 0 || scope_->isTop) return n;
    const std::u16string name(n->name.data(), n->name.size());
    int line = n->line;
    // Look it up as if the return slot were not there.
    const std::u16string lower = Lower(name);
    const int saved = scope_->locals.Hide(lower);
    ExprPtr r = Name(name, line);
    scope_->locals.Show(lower, saved);
    return r;
}

ExprPtr CodeGen::WithArgs(ExprPtr node, ExprList args, int line) {
    if (auto* n = As<NameExpr>(node.get()); n && !n->hasParens) {
        std::unique_ptr<NameExpr> owned(static_cast<NameExpr*>(node.release()));
        ExprPtr re = RetargetSelfCall(std::move(owned));
        auto* rn = static_cast<NameExpr*>(re.get());
        rn->args = std::move(args);
        rn->hasParens = true;
        return re;
    }
    if (auto* m = As<MemberExpr>(node.get()); m && !m->hasParens) {
        m->args = std::move(args);
        m->hasParens = true;
        return node;
    }
    auto ix = std::make_unique<IndexExpr>();
    ix->line = line;
    ix->base = std::move(node);
    ix->args = std::move(args);
    return ix;
}

ExprPtr CodeGen::Me(int line) {
    if (cls_ && !scope_->isTop) {
        auto m = std::make_unique<MeExpr>();
        m->line = line;
        return m;
    }
    return Name(u"Me", line);
}

ExprPtr CodeGen::Member(ExprPtr object, std::u16string_view name, int line) {
    auto m = std::make_unique<MemberExpr>();
    m->line = line;
    m->object = std::move(object);
    m->name.assign(name);
    return m;
}

ExprPtr CodeGen::WithMember(std::u16string_view name, int line) {
    auto m = std::make_unique<MemberExpr>();
    m->line = line;
    m->withSlot = withSlots_.empty() ? -1 : withSlots_.back();
    m->name.assign(name);
    return m;
}

// Parentheses matter only around a whole argument (ByVal passing): an operand needs none.
ExprPtr CodeGen::Unparenthesized(ExprPtr x) {
    while (auto* p = As<ParenExpr>(x.get())) {
        ExprPtr inner = std::move(p->inner);
        x = std::move(inner);
    }
    return x;
}

ExprPtr CodeGen::Binary(BinOp op, ExprPtr left, ExprPtr right, int line) {
    auto b = MakeBinary(op);
    b->line = line;
    b->left = Unparenthesized(std::move(left));
    b->right = Unparenthesized(std::move(right));
    if (auto* c = As<ConstExpr>(b->right.get())) b->rightConst = &c->value;
    return b;
}

ExprPtr CodeGen::Not(ExprPtr operand, int line) {
    auto u = std::make_unique<UnaryExpr>();
    u->line = line;
    u->isNot = true;
    u->operand = std::move(operand);
    return u;
}

ExprPtr CodeGen::Negate(ExprPtr operand, int line) {
    auto u = std::make_unique<UnaryExpr>();
    u->line = line;
    u->operand = std::move(operand);
    return u;
}

ExprPtr CodeGen::Const(Variant v, int line) {
    auto c = std::make_unique<ConstExpr>();
    c->value = std::move(v);
    c->line = line;
    return c;
}

ExprPtr CodeGen::MissingArg(int line) {
    return Const(Variant::Error(int32_t(0x80020004)), line);
}

ExprPtr CodeGen::Nothing(int line) {
    auto n = std::make_unique<NothingExpr>();
    n->line = line;
    return n;
}

ExprPtr CodeGen::New(std::u16string className, int line) {
    auto n = std::make_unique<NewExpr>();
    n->line = line;
    n->name = std::move(className);
    n->atom = e_.AtomOf(n->name);
    return n;
}

ExprPtr CodeGen::Paren(ExprPtr inner, int line) {
    auto p = std::make_unique<ParenExpr>();
    p->line = line;
    p->inner = std::move(inner);
    return p;
}

ExprPtr CodeGen::LoopVariable(const std::u16string& name, int line, SourcePos at) {
    ExprPtr v = Name(name, line);
    if (static_cast<NameExpr*>(v.get())->mode == NameMode::MeMember)
        throw CompileFailure{kInvalidForVar, at.line, at.column};
    return v;
}

// ---- statements ----

void CodeGen::Assign(Block& b, ExprPtr target, ExprPtr value, bool isSet, int line) {
    auto& s = Add<AssignStmt>(b, line);
    s.target = std::move(target);
    s.value = std::move(value);
    s.isSet = isSet;
    s.Prepare();
}

void CodeGen::Call(Block& b, ExprPtr call, int line) {
    Add<CallStmt>(b, line).call = std::move(call);
}

void CodeGen::CallWithParens(Block& b, ExprPtr call, int line, SourcePos at) {
    ExprList* args = nullptr;
    bool parens = false;
    if (auto* n = As<NameExpr>(call.get())) args = &n->args, parens = n->hasParens;
    if (auto* m = As<MemberExpr>(call.get())) args = &m->args, parens = m->hasParens;
    if (args && parens) {
        if (args->size() > 1) throw CompileFailure{kParensOnSub, at.line, at.column};
        if (args->size() == 1) (*args)[0] = Paren(std::move((*args)[0]), line);
    }
    Call(b, std::move(call), line);
}

bool CodeGen::CallWithList(Block& b, ExprPtr head, ExprList args, int line) {
    if (auto* n = As<NameExpr>(head.get()); n && !n->hasParens) {
        n->args = std::move(args);
    } else if (auto* m = As<MemberExpr>(head.get()); m && !m->hasParens) {
        m->args = std::move(args);
    } else {
        return false;
    }
    Call(b, std::move(head), line);
    return true;
}

void CodeGen::Exit(Block& b, Kw what, int line, SourcePos at) {
    const ProcDef* p = scope_->proc;
    auto fail = [&](int number) { throw CompileFailure{number, at.line, at.column}; };
    Flow flow = Flow::ExitProc;
    switch (what) {
        case Kw::Do:
            flow = Flow::ExitDo;
            break;
        case Kw::For:
            flow = Flow::ExitFor;
            break;
        case Kw::Sub:
            if (scope_->isTop || p->kind != ProcKind::Sub) fail(kInvalidExit);
            break;
        case Kw::Function:
            if (scope_->isTop || p->kind != ProcKind::Function) fail(kInvalidExit);
            break;
        case Kw::Property:
            if (scope_->isTop || (p->kind != ProcKind::PropGet && p->kind != ProcKind::PropLet &&
                                  p->kind != ProcKind::PropSet))
                fail(kInvalidExit);
            break;
        default:
            fail(kSyntax);
    }
    Add<ExitStmt>(b, line).flow = flow;
}

int CodeGen::BeginWith() {
    int slot = HiddenLocal();
    withSlots_.push_back(slot);
    return slot;
}

void CodeGen::EndWith() {
    withSlots_.pop_back();
}

// ---- declarations ----

void CodeGen::DeclareVariable(Block& b, const std::u16string& name, ExprList dims, bool isArray,
                              int line) {
    std::u16string lower = Lower(name);
    if (scope_->isTop) {
        GlobalDecl d;
        d.atom = e_.AtomOf(name);
        d.kind = GlobalDecl::Var;
        d.isDynamicArray = isArray && dims.empty();
        if (!dims.empty()) {
            // The variable exists from the start; its array from where the Dim stands.
            auto& st = Add<DimArrayStmt>(b, line);
            st.target = Name(name, line);
            st.dims = std::move(dims);
        }
        if (declaredHere_.count(lower) && !isArray) {
            // Re-declaring is a compile error in one piece of code.
            throw CompileFailure{kNameRedefined, line, 1};
        }
        declaredHere_.insert(lower);
        prog_.globals.push_back(std::move(d));
        return;
    }
    const int* found = scope_->locals.Find(lower);
    int slot = found ? *found : -1;
    if (slot < 0) {
        slot = HiddenLocal();
        scope_->locals.Add(lower, slot);
    }
    if (!dims.empty() || isArray) {
        ArrayInit a;
        a.slot = slot;
        a.dims = std::move(dims);
        scope_->proc->arrays.push_back(std::move(a));
    }
}

void CodeGen::DeclareConst(const std::u16string& name, ExprPtr value) {
    if (scope_->isTop) {
        GlobalDecl d;
        d.atom = e_.AtomOf(name);
        d.kind = GlobalDecl::Const;
        d.value = std::move(value);
        prog_.globals.push_back(std::move(d));
        return;
    }
    std::u16string lower = Lower(name);
    const int* found = scope_->locals.Find(lower);
    int slot;
    if (!found) {
        slot = HiddenLocal();
        scope_->locals.Add(lower, slot);
    } else {
        slot = *found;
    }
    ConstInit c;
    c.slot = slot;
    c.value = std::move(value);
    scope_->proc->consts.push_back(std::move(c));
}

ExprPtr CodeGen::ReDimTarget(const std::u16string& name, int line) {
    std::u16string lower = Lower(name);
    if (!scope_->isTop && !scope_->locals.Contains(lower) && !(cls_ && cls_->byName.count(lower)) &&
        prog_.optionExplicit) {
        int slot = HiddenLocal();
        scope_->locals.Add(lower, slot);
    } else if (scope_->isTop && !declaredHere_.count(lower)) {
        GlobalDecl d;
        d.atom = e_.AtomOf(name);
        d.kind = GlobalDecl::Var;
        prog_.globals.push_back(std::move(d));
        declaredHere_.insert(lower);
    }
    return Name(name, line);
}

void CodeGen::PredeclareLocal(ProcScope& scope, const Token& name, Kw statement) {
    std::u16string lower = Lower(name.text);
    // ReDim of a class field resizes the field; without Option Explicit ReDim of another name
    // reaches the global of that name when there is one.
    bool isField = statement == Kw::ReDim && cls_ && cls_->byName.count(lower);
    bool dynamic = statement == Kw::ReDim && !prog_.optionExplicit;
    if (!scope.locals.Contains(lower) && !isField && !dynamic) {
        int slot = scope.proc->localCount++;
        scope.locals.Add(lower, slot);
    }
}

// ---- procedures ----

ProcDef& CodeGen::BeginProc(ProcScope& scope, ProcKind kind, std::u16string name, bool isPublic,
                            bool isDefault, int line) {
    proc_ = std::make_unique<ProcDef>();
    ProcDef& def = *proc_;
    def.line = line;
    def.isPublic = isPublic;
    def.isDefault = isDefault;
    def.kind = kind;
    def.name = std::move(name);
    def.atom = e_.AtomOf(def.name);
    scope.proc = &def;
    // A function's (and property getter's) name is its result variable.
    if (kind == ProcKind::Function || kind == ProcKind::PropGet)
        scope.locals.Add(Lower(def.name), 0);
    return def;
}

void CodeGen::AddParam(ProcScope& scope, std::u16string name, bool byRef) {
    int slot = scope.proc->localCount++;
    scope.locals.Set(Lower(name), slot);
    Param p;
    p.name = std::move(name);
    p.byRef = byRef;
    scope.proc->params.push_back(std::move(p));
}

void CodeGen::EnterBody(ProcScope& scope) {
    outer_ = scope_;
    scope_ = &scope;
    outerWith_.clear();
    outerWith_.swap(withSlots_);
}

void CodeGen::LeaveBody(ProcScope& scope) {
    withSlots_.swap(outerWith_);
    scope_ = outer_;
    scope.proc->slotNames = scope.locals.TakeEntries();
}

void CodeGen::EndProc(bool inClass, SourcePos at) {
    if (inClass) {
        AddClassProc(std::move(proc_), at);
    } else {
        // A later definition of the same name replaces the earlier one.
        prog_.procs.push_back(std::move(proc_));
    }
}

// ---- classes ----

ClassDef& CodeGen::BeginClass(std::u16string name, int line) {
    class_ = std::make_unique<ClassDef>();
    class_->name = std::move(name);
    class_->atom = e_.AtomOf(class_->name);
    if (!declaredHere_.insert(Lower(class_->name)).second)
        throw CompileFailure{kNameRedefined, line, 1};
    cls_ = class_.get();
    return *class_;
}

void CodeGen::PredeclareField(const std::u16string& name, bool isPublic) {
    ClassDef& c = *class_;
    std::u16string lower = Lower(name);
    if (c.byName.count(lower)) return;
    ClassMember m;
    m.name = name;
    m.kind = ClassMember::Field;
    m.isPublic = isPublic;
    m.field = int(c.fields.size());
    FieldDef f;
    f.name = name;
    f.isPublic = isPublic;
    c.fields.push_back(std::move(f));
    c.byName.emplace(lower, int(c.members.size()));
    c.members.push_back(std::move(m));
}

void CodeGen::PredeclareMember(const std::u16string& name, bool isMethod, bool isPublic) {
    ClassDef& c = *class_;
    std::u16string lower = Lower(name);
    auto it = c.byName.find(lower);
    if (it == c.byName.end()) {
        ClassMember m;
        m.name = name;
        m.kind = isMethod ? ClassMember::Method : ClassMember::Property;
        m.isPublic = isPublic;
        c.byName.emplace(lower, int(c.members.size()));
        c.members.push_back(std::move(m));
    } else if (isPublic) {
        c.members[size_t(it->second)].isPublic = true;
    }
}

void CodeGen::DefineField(const std::u16string& name, bool isArray, ExprList dims) {
    ClassDef& c = *cls_;
    auto it = c.byName.find(Lower(name));
    if (it == c.byName.end() || c.members[size_t(it->second)].kind != ClassMember::Field) return;
    if (!isArray) return;
    FieldDef& f = c.fields[size_t(c.members[size_t(it->second)].field)];
    f.isArray = true;
    f.dims = std::move(dims);
}

void CodeGen::AddClassProc(std::unique_ptr<ProcDef> def, SourcePos at) {
    ClassDef* c = cls_;
    def->owner = c;
    std::u16string lower = Lower(def->name);
    auto it = c->byName.find(lower);
    if (it == c->byName.end()) {
        // Not seen by the prescan (an unusual layout): register it now.
        ClassMember nm;
        nm.name = def->name;
        nm.kind = def->kind == ProcKind::Sub || def->kind == ProcKind::Function
                      ? ClassMember::Method
                      : ClassMember::Property;
        nm.isPublic = def->isPublic;
        it = c->byName.emplace(lower, int(c->members.size())).first;
        c->members.push_back(std::move(nm));
    }
    ClassMember* m = &c->members[size_t(it->second)];
    bool isMethod = def->kind == ProcKind::Sub || def->kind == ProcKind::Function;
    if (m->kind == ClassMember::Field || (m->kind == ClassMember::Method) != isMethod)
        throw CompileFailure{kNameRedefined, def->line, 1};
    const ProcDef* p = def.get();
    switch (def->kind) {
        case ProcKind::Sub:
        case ProcKind::Function:
            m->method = p;
            break;
        case ProcKind::PropGet:
            m->get = p;
            break;
        case ProcKind::PropLet:
            m->let = p;
            break;
        case ProcKind::PropSet:
            m->set = p;
            break;
    }
    if (def->isDefault) {
        if (c->defaultMember >= 0 && c->defaultMember != it->second)
            throw CompileFailure{kMultipleDefault, at.line, at.column};
        c->defaultMember = it->second;
    }
    if (lower == u"class_initialize" && def->kind == ProcKind::Sub) c->initialize = p;
    if (lower == u"class_terminate" && def->kind == ProcKind::Sub) c->terminate = p;
    c->procs.push_back(std::move(def));
}

void CodeGen::EndClass() {
    ClassDef& c = *class_;
    // A Property Let/Set needs the same count of arguments as its Get plus one.
    for (auto& m : c.members) {
        if (m.kind != ClassMember::Property) continue;
        const ProcDef* g = m.get;
        for (const ProcDef* s : {m.let, m.set})
            if (g && s && s->params.size() != g->params.size() + 1)
                throw CompileFailure{kArgCountProperty, s->line, 1};
    }
    cls_ = nullptr;
    prog_.classes.push_back(std::move(class_));
}

}  // namespace vbs
