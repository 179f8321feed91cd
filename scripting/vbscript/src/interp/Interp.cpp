// The interpreter: evaluation of expression nodes and execution of statements.
#include <cmath>
#include <functional>
#include <memory>

#include "codegen/Nodes.h"

namespace vbs {

namespace {

constexpr int kMaxDepth = 1500;
constexpr uintptr_t kStackBudget = uintptr_t(2) << 20;

// Argument storage without heap allocation for the common short lists: only the n values in
// use are constructed.
class ArgBuf {
  public:
    ArgBuf(EngineImpl& e, size_t n) : e_(e), mark_(e.refHolds.size()), n_(n) {
        if (n > kInline)
            heap_.resize(n);
        else
            for (size_t i = 0; i < n; ++i) new (Inline() + i) Variant();
    }
    ~ArgBuf() {
        while (e_.refHolds.size() > mark_) {
            Variant::UnlockArray(e_.refHolds.back());
            e_.refHolds.pop_back();
        }
        if (n_ <= kInline) std::destroy_n(Inline(), n_);
    }
    ArgBuf(const ArgBuf&) = delete;
    ArgBuf& operator=(const ArgBuf&) = delete;
    Variant* data() { return n_ > kInline ? heap_.data() : Inline(); }
    size_t size() const { return n_; }
    Variant& operator[](size_t i) { return data()[i]; }
    std::span<Variant> span() { return {data(), n_}; }
    void PushBack(Variant v) {
        if (n_ < kInline) {
            new (Inline() + n_) Variant(std::move(v));
            ++n_;
            return;
        }
        if (n_ == kInline) {
            heap_.reserve(kInline + 1);
            for (size_t i = 0; i < kInline; ++i) heap_.push_back(std::move(Inline()[i]));
            std::destroy_n(Inline(), kInline);
        }
        heap_.push_back(std::move(v));
        ++n_;
    }

  private:
    static constexpr size_t kInline = 6;
    Variant* Inline() { return reinterpret_cast<Variant*>(raw_); }
    EngineImpl& e_;
    size_t mark_;
    size_t n_;
    alignas(Variant) unsigned char raw_[kInline * sizeof(Variant)];
    std::vector<Variant> heap_;
};

// Evaluates arguments; ByRef parameters of script procedures receive links to variables.
void EvalArgs(EngineImpl& e, const std::vector<ExprPtr>& args, const ProcDef* callee, ArgBuf& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (callee && i < callee->params.size() && callee->params[i].byRef) {
            if (Variant* r = args[i]->Ref(e)) {
                out[i] = Variant::MakeRef(r);
                continue;
            }
        }
        out[i] = args[i]->Eval(e);
    }
}

void EvalArgsByValue(EngineImpl& e, const std::vector<ExprPtr>& args, ArgBuf& out) {
    for (size_t i = 0; i < args.size(); ++i) out[i] = args[i]->Eval(e);
}

// Host objects that ask for references get every variable argument as a link.
void EvalHostArgs(EngineImpl& e, const std::vector<ExprPtr>& args, Dispatch* d, ArgBuf& out) {
    if (!d->WantsReferences()) return EvalArgsByValue(e, args, out);
    for (size_t i = 0; i < args.size(); ++i) {
        if (Variant* r = args[i]->Ref(e)) {
            out[i] = Variant::MakeRef(r);
            continue;
        }
        out[i] = args[i]->Eval(e);
    }
}

// Refs for the parameters of a class member (method or property accessor).
const ProcDef* MemberProc(const ClassMember& m, InvokeKind kind) {
    switch (m.kind) {
        case ClassMember::Method:
            return m.method;
        case ClassMember::Property:
            if (kind == InvokeKind::Let) return m.let ? m.let : m.set;
            if (kind == InvokeKind::Set) return m.set ? m.set : m.let;
            return m.get;
        default:
            return nullptr;
    }
}

bool CondTrue(const Variant& v) {
    const Variant& d = v.Deref();
    if (d.Type() == vtBoolean) return d.AsBoolRaw();
    if (d.IsNull()) return false;
    return ToBool(d);
}

inline bool IsIntType(uint16_t t) {
    return t == vtInteger || t == vtLong || t == vtByte;
}

[[gnu::always_inline]] inline int64_t IntOf(const Variant& v) {
    switch (v.Type()) {
        case vtInteger:
            return v.AsInteger();
        case vtLong:
            return v.AsLong();
        default:
            return v.AsByte();
    }
}

[[gnu::always_inline]] inline Variant FitInt(int64_t r, uint16_t ta, uint16_t tb) {
    bool wantLong = ta == vtLong || tb == vtLong;
    bool bytes = ta == vtByte && tb == vtByte;
    if (bytes && r >= 0 && r <= 255) return Variant::Byte(uint8_t(r));
    if (!wantLong && r >= -32768 && r <= 32767) return Variant::Integer(int16_t(r));
    if (r >= INT32_MIN && r <= INT32_MAX) return Variant::Long(int32_t(r));
    return Variant::Double(double(r));
}

}  // namespace

// ---- helpers ----

Dispatch* RequireObject(const Variant& v0) {
    const Variant& v = v0.Deref();
    if (v.Type() != vtObject) ThrowError(kErrObjectRequired);
    if (!v.AsObject()) ThrowError(kErrObjectNotSet);
    return v.AsObject();
}

Variant LetValue(Variant v) {
    if (v.IsRef()) v = Variant(v.Deref());
    if (v.Type() == vtObject) return DefaultValue(v);
    return v;
}

// A copy of a fixed-size array (Dim a(3)) is an ordinary dynamic array in its new variable.
Variant PlainCopy(const Variant& v) {
    if (!v.IsArray() || !v.AsArray()->fixed) return v;
    auto* a = new ArrData;
    a->bounds = v.AsArray()->bounds;
    a->items = v.AsArray()->items;
    return Variant::Array(a);
}

void StoreValue(Variant& target, Variant v, bool isSet) {
    if (v.IsRef()) v = Variant(v.Deref());
    if (isSet) {
        if (v.Type() != vtObject) ThrowError(kErrObjectRequired);
        target = std::move(v);
        return;
    }
    if (v.Type() == vtObject) v = DefaultValue(v);
    if (v.IsArray() && v.AsArray()->fixed) v = PlainCopy(v);
    target = std::move(v);
}

Variant IndexValueOf(EngineImpl& e, const Variant& base0, std::span<Variant> args) {
    const Variant& base = base0.Deref();
    if (base.IsArray()) {
        if (args.empty()) return base;
        return *ArrayElement(base.AsArray(), args);
    }
    if (base.Type() == vtObject) {
        Dispatch* d = base.AsObject();
        if (!d) ThrowError(kErrObjectNotSet);
        if (args.empty()) return base;
        (void)e;
        return d->Invoke(kDispValue, InvokeKind::Get, args);
    }
    if (args.empty()) return base;
    ThrowError(kErrTypeMismatch);
}

// Assigns to element args of the array or default member of the object held in storage.
static void AssignIndexed(Variant& storage0, std::span<Variant> args, Variant v, bool isSet) {
    Variant& storage = storage0.Deref();
    if (storage.IsArray()) {
        ArrData* a = storage.MutableArray();
        StoreValue(*ArrayElement(a, args), std::move(v), isSet);
        return;
    }
    if (storage.Type() == vtObject) {
        Dispatch* d = storage.AsObject();
        if (!d) ThrowError(kErrObjectNotSet);
        std::vector<Variant> all(args.begin(), args.end());
        all.push_back(std::move(v));
        d->Invoke(kDispValue, isSet ? InvokeKind::Set : InvokeKind::Let, all);
        return;
    }
    ThrowError(kErrTypeMismatch);
}

Variant MakeFixedArray(EngineImpl& e, const std::vector<ExprPtr>& dims, bool fixed) {
    std::vector<ArrayBound> bounds;
    size_t total = 1;
    for (auto& d : dims) {
        int32_t ub = ToLong(d->Eval(e));
        if (ub < -1) ThrowError(kErrOverflow);
        bounds.push_back({0, ub + 1});
        total *= size_t(ub + 1);
        if (total > (size_t(1) << 26)) ThrowError(kErrOutOfMemory);
    }
    Variant v = Variant::NewArray(std::move(bounds));
    v.AsArray()->fixed = fixed && !dims.empty();
    return v;
}

// ---- blocks ----

Flow Block::Exec(EngineImpl& e) const {
    for (const auto& s : stmts) {
        e.line = s->line;
        if (!e.frame->resumeNext) {
            Flow f = s->Exec(e);
            if (f != Flow::Normal) return f;
            continue;
        }
        try {
            Flow f = s->Exec(e);
            if (f != Flow::Normal) return f;
        } catch (const ScriptException& ex) {
            e.SetErr(ex);
        }
    }
    return Flow::Normal;
}

// ---- names ----

Variant MeExpr::Eval(EngineImpl& e) {
    return Variant::Object(e.frame->me);
}

Variant* NameExpr::Storage(EngineImpl& e, bool create) {
    switch (mode) {
        case NameMode::Local:
            return &e.frame->locals[slot].Deref();
        case NameMode::Field:
            return &e.frame->me->fields[size_t(slot)];
        case NameMode::MeMember:
            return nullptr;
        case NameMode::Global: {
            if (dynScope && e.execFrame)
                if (Variant* v = e.ExecLocal(atom)) return v;
            GlobalSlot& g = e.Slot(atom);
            if (g.kind == SlotKind::Var) return &g.value;
            if (g.kind == SlotKind::Unset && create && !explicitOpt && !e.AtomAt(atom).builtin &&
                !e.ResolveHostMember(atom, g)) {
                g.kind = SlotKind::Var;
                return &g.value;
            }
            return nullptr;
        }
        case NameMode::Dyn: {
            GlobalSlot& g = e.Slot(atom);
            if (g.kind == SlotKind::Var) return &g.value;
            if (g.kind == SlotKind::Unset && !e.AtomAt(atom).builtin &&
                !e.ResolveHostMember(atom, g))
                return &e.frame->locals[slot].Deref();
            return nullptr;
        }
    }
    return nullptr;
}

Variant* NameExpr::Ref(EngineImpl& e) {
    if (!hasParens) return Storage(e, true);
    if (args.empty() || mode == NameMode::MeMember) return nullptr;
    // An array element is passed by reference too.
    Variant* s = Storage(e, false);
    if (!s || !s->IsArray()) return nullptr;
    std::vector<Variant> idx;
    idx.reserve(args.size());
    for (auto& a : args) idx.push_back(a->Eval(e));
    s = Storage(e, false);
    if (!s || !s->IsArray()) return nullptr;
    // The element stays this variable's element for the whole call (see ArrData::locks).
    Variant* el = ArrayElement(s->MutableArray(), idx);
    e.refHolds.push_back(s->LockArray());
    return el;
}

Variant NameExpr::Eval(EngineImpl& e) {
    // Plain variables first: what Invoke does for them, without its other cases.
    if (!hasParens) {
        if (mode == NameMode::Local) return e.frame->locals[slot].Deref();
        if (mode == NameMode::Global && !dynScope) {
            const GlobalSlot& g = e.Slot(atom);
            if (g.kind == SlotKind::Var) return g.value;
        }
    }
    return Invoke(e, false);
}

void NameExpr::Call(EngineImpl& e) {
    Invoke(e, true);
}

Variant NameExpr::Invoke(EngineImpl& e, bool asStatement) {
    switch (mode) {
        case NameMode::Local: {
            const Variant& v = e.frame->locals[slot].Deref();
            if (args.empty()) {
                // obj() and a bare object as a statement call the default member.
                if ((asStatement || hasParens) && v.Type() == vtObject && v.AsObject())
                    return v.AsObject()->Invoke(
                        kDispValue, asStatement ? InvokeKind::Method : InvokeKind::Get, {});
                return v;
            }
            ArgBuf a(e, args.size());
            EvalArgsByValue(e, args, a);
            return IndexValueOf(e, e.frame->locals[slot], a.span());
        }
        case NameMode::Field: {
            if (args.empty()) return e.frame->me->fields[size_t(slot)];
            ArgBuf a(e, args.size());
            EvalArgsByValue(e, args, a);
            return IndexValueOf(e, e.frame->me->fields[size_t(slot)], a.span());
        }
        case NameMode::MeMember: {
            ClassInstance* me = e.frame->me;
            const ClassMember& m = me->Class()->members[size_t(slot)];
            InvokeKind kind = asStatement ? InvokeKind::Method : InvokeKind::Get;
            ArgBuf a(e, args.size());
            EvalArgs(e, args, MemberProc(m, kind), a);
            return me->InvokeMember(slot, kind, a.span());
        }
        case NameMode::Global:
        case NameMode::Dyn:
            break;
    }
    if (dynScope && e.execFrame) {
        if (Variant* v = e.ExecLocal(atom)) {
            if (args.empty()) return *v;
            ArgBuf a(e, args.size());
            EvalArgsByValue(e, args, a);
            return IndexValueOf(e, *v, a.span());
        }
    }
    GlobalSlot& g = e.Slot(atom);
    switch (g.kind) {
        case SlotKind::Var:
        case SlotKind::Const:
        case SlotKind::NamedItem: {
            if (args.empty()) {
                if ((asStatement || hasParens) && g.value.Type() == vtObject && g.value.AsObject())
                    return g.value.AsObject()->Invoke(
                        kDispValue, asStatement ? InvokeKind::Method : InvokeKind::Get, {});
                return g.value;
            }
            ArgBuf a(e, args.size());
            EvalArgsByValue(e, args, a);
            return IndexValueOf(e, g.value, a.span());
        }
        case SlotKind::Proc: {
            int savedLine = e.line;
            Variant r = e.CallProc(g.proc, nullptr, args);
            e.line = savedLine;
            return r;
        }
        case SlotKind::HostMember: {
            ArgBuf a(e, args.size());
            EvalHostArgs(e, args, g.host, a);
            EngineImpl::HostTime paused(e);
            return g.host->Invoke(g.dispId, asStatement ? InvokeKind::Method : InvokeKind::Get,
                                  a.span());
        }
        case SlotKind::Class:
            ThrowError(kErrTypeMismatch);
        case SlotKind::Unset:
            break;
    }
    if (const Builtin* b = e.AtomAt(atom).builtin) {
        if (int(args.size()) < b->minArgs || int(args.size()) > b->maxArgs) {
            if (b->isConstant && hasParens && args.empty()) return CallBuiltin(e, b, {});
            ThrowError(kErrWrongArgs);
        }
        ArgBuf a(e, args.size());
        EvalArgsByValue(e, args, a);
        return CallBuiltin(e, b, a.span());
    }
    if (e.ResolveHostMember(atom, g)) return Invoke(e, asStatement);
    if (mode == NameMode::Dyn) {
        const Variant& v = e.frame->locals[slot].Deref();
        if (args.empty()) {
            // A name nobody declared, used as a statement, is a call of a missing procedure
            // unless the procedure's own code has since put an object in it.
            if (asStatement) {
                if (v.Type() == vtObject && v.AsObject())
                    return v.AsObject()->Invoke(kDispValue, InvokeKind::Method, {});
                e.ThrowNamed(kErrTypeMismatch, name);
            }
            return v;
        }
        ArgBuf a(e, args.size());
        EvalArgsByValue(e, args, a);
        return IndexValueOf(e, e.frame->locals[slot], a.span());
    }
    if (explicitOpt) e.ThrowUndefined(atom);
    if (args.empty() && !hasParens) {
        if (asStatement) e.ThrowNamed(kErrTypeMismatch, name);
        return Variant();
    }
    e.ThrowNamed(kErrTypeMismatch, name);
}

void NameExpr::Assign(EngineImpl& e, Variant v, bool isSet) {
    // A plain value into a plain variable: what StoreValue does for it, directly.
    uint16_t t = v.Type();
    if (!isSet && !hasParens && t != vtObject && t != vtRef && !(t & vtArray)) {
        if (mode == NameMode::Local) {
            e.frame->locals[slot].Deref() = std::move(v);
            return;
        }
        if (mode == NameMode::Global && !dynScope) {
            GlobalSlot& g = e.Slot(atom);
            if (g.kind == SlotKind::Var) {
                g.value = std::move(v);
                return;
            }
        }
    }
    if (mode == NameMode::MeMember) {
        ClassInstance* me = e.frame->me;
        const ClassMember& m = me->Class()->members[size_t(slot)];
        InvokeKind kind = isSet ? InvokeKind::Set : InvokeKind::Let;
        ArgBuf a(e, args.size());
        EvalArgs(e, args, MemberProc(m, kind), a);
        a.PushBack(std::move(v));
        me->InvokeMember(slot, kind, a.span());
        return;
    }
    if (!args.empty()) {
        ArgBuf a(e, args.size());
        EvalArgsByValue(e, args, a);
        Variant* s = Storage(e, false);
        if (s) {
            AssignIndexed(*s, a.span(), std::move(v), isSet);
            return;
        }
        GlobalSlot& g = e.Slot(atom);
        if (g.kind == SlotKind::NamedItem || g.kind == SlotKind::Const) {
            AssignIndexed(g.value, a.span(), std::move(v), isSet);
            return;
        }
        if (g.kind == SlotKind::HostMember ||
            (g.kind == SlotKind::Unset && e.ResolveHostMember(atom, g))) {
            a.PushBack(std::move(v));
            g.host->Invoke(g.dispId, isSet ? InvokeKind::Set : InvokeKind::Let, a.span());
            return;
        }
        if (explicitOpt && g.kind == SlotKind::Unset) e.ThrowUndefined(atom);
        ThrowError(g.kind == SlotKind::Unset ? kErrTypeMismatch : kErrIllegalAssign);
    }
    if (Variant* s = Storage(e, true)) {
        StoreValue(*s, std::move(v), isSet);
        return;
    }
    GlobalSlot& g = e.Slot(atom);
    switch (g.kind) {
        case SlotKind::NamedItem: {
            // A host object with a default member is assigned through its bare name.
            Dispatch* d = g.value.AsObject();
            if (!d) ThrowError(kErrIllegalAssign);
            Variant val = v.IsRef() ? Variant(v.Deref()) : std::move(v);
            if (isSet && val.Type() != vtObject) ThrowError(kErrObjectRequired);
            if (!isSet && val.Type() == vtObject) val = DefaultValue(val);
            Variant one[1] = {std::move(val)};
            d->Invoke(kDispValue, isSet ? InvokeKind::Set : InvokeKind::Let, one);
            return;
        }
        case SlotKind::HostMember: {
            Variant one[1] = {std::move(v)};
            g.host->Invoke(g.dispId, isSet ? InvokeKind::Set : InvokeKind::Let, one);
            return;
        }
        case SlotKind::Unset:
            if (e.ResolveHostMember(atom, g)) {
                Variant one[1] = {std::move(v)};
                g.host->Invoke(g.dispId, isSet ? InvokeKind::Set : InvokeKind::Let, one);
                return;
            }
            if (explicitOpt) e.ThrowUndefined(atom);
            ThrowError(kErrIllegalAssign);
        default:
            ThrowError(kErrIllegalAssign);
    }
}

// ---- members ----

Variant MemberExpr::Invoke(EngineImpl& e, InvokeKind kind, Variant* value, bool isSet) {
    if (!object && withSlot < 0) ThrowError(kErrInvalidReference);
    Variant objVal = object ? object->Eval(e) : Variant(e.frame->locals[withSlot].Deref());
    Dispatch* d = RequireObject(objVal);
    if (auto* ci = dynamic_cast<ClassInstance*>(d)) {
        const ClassDef* cls = ci->Class();
        auto it = cls->byName.find(Lower(name));
        if (it == cls->byName.end()) e.ThrowNamed(kErrNoMember, name);
        const ClassMember& m = cls->members[size_t(it->second)];
        if (!m.isPublic && e.frame->me != ci) e.ThrowNamed(kErrNoMember, name);
        ArgBuf a(e, args.size());
        EvalArgs(e, args, MemberProc(m, kind), a);
        if (value) {
            if (isSet && value->Type() != vtObject) ThrowError(kErrObjectRequired);
            a.PushBack(std::move(*value));
        }
        int savedLine = e.line;
        Variant r = ci->InvokeMember(it->second, kind, a.span());
        e.line = savedLine;
        return r;
    }
    int id = d->FindMember(name);
    if (id == kDispUnknown) e.ThrowNamed(kErrNoMember, name);
    ArgBuf a(e, args.size());
    EvalHostArgs(e, args, d, a);
    if (value) {
        if (isSet && value->Type() != vtObject) ThrowError(kErrObjectRequired);
        Variant v = value->IsRef() ? Variant(value->Deref()) : std::move(*value);
        if (!isSet && v.Type() == vtObject) v = DefaultValue(v);
        a.PushBack(std::move(v));
    }
    EngineImpl::HostTime paused(e);
    return d->Invoke(id, kind, a.span());
}

Variant IndexExpr::Eval(EngineImpl& e) {
    Variant b = base->Eval(e);
    ArgBuf a(e, args.size());
    EvalArgsByValue(e, args, a);
    return IndexValueOf(e, b, a.span());
}

void IndexExpr::Assign(EngineImpl& e, Variant v, bool isSet) {
    Variant b = base->Eval(e);
    if (b.Type() != vtObject) ThrowError(kErrIllegalAssign);
    ArgBuf a(e, args.size());
    EvalArgsByValue(e, args, a);
    AssignIndexed(b, a.span(), std::move(v), isSet);
}

Variant NewExpr::Eval(EngineImpl& e) {
    // The built-in RegExp wins even over a script class of that name.
    if (e.AtomAt(atom).lower == u"regexp") return e.CreateObject(u"vbscript.regexp");
    GlobalSlot& g = e.Slot(atom);
    if (g.kind == SlotKind::Class) return e.NewInstance(g.cls, g.owner);
    e.ThrowNamed(kErrClassNotDefined, name);
}

// ---- operators ----

namespace {

// Integer operands of the same or mixed integer types: the result, or false when the generic
// rules apply (Byte with Byte in logic operators, and the other operators).
template <BinOp Op>
[[gnu::always_inline]] inline bool IntBinary(const Variant& a, const Variant& b, Variant& out) {
    uint16_t ta = a.Type(), tb = b.Type();
    int64_t x = IntOf(a), y = IntOf(b);
    switch (Op) {
        case BinOp::Add:
            out = FitInt(x + y, ta, tb);
            return true;
        case BinOp::Sub:
            out = FitInt(x - y, ta, tb);
            return true;
        case BinOp::Mul:
            out = FitInt(x * y, ta, tb);
            return true;
        case BinOp::Eq:
            out = Variant::Bool(x == y);
            return true;
        case BinOp::Ne:
            out = Variant::Bool(x != y);
            return true;
        case BinOp::Lt:
            out = Variant::Bool(x < y);
            return true;
        case BinOp::Gt:
            out = Variant::Bool(x > y);
            return true;
        case BinOp::Le:
            out = Variant::Bool(x <= y);
            return true;
        case BinOp::Ge:
            out = Variant::Bool(x >= y);
            return true;
        case BinOp::IntDiv:
            if (y == 0) ThrowError(kErrDivByZero);
            out = FitInt(x / y, ta, tb);
            return true;
        case BinOp::Mod:
            if (y == 0) ThrowError(kErrDivByZero);
            out = FitInt(x % y, ta, tb);
            return true;
        case BinOp::And:
            if (ta == vtByte && tb == vtByte) return false;
            out = FitInt(x & y, ta == vtByte ? uint16_t(vtInteger) : ta, tb);
            return true;
        case BinOp::Or:
            if (ta == vtByte && tb == vtByte) return false;
            out = FitInt(x | y, ta == vtByte ? uint16_t(vtInteger) : ta, tb);
            return true;
        case BinOp::Xor:
            if (ta == vtByte && tb == vtByte) return false;
            out = FitInt(x ^ y, ta == vtByte ? uint16_t(vtInteger) : ta, tb);
            return true;
        default:
            return false;
    }
}

// One node type per operator, so that the operator is known when the node is compiled.
template <BinOp Op>
[[gnu::always_inline]] inline Variant Compute(const Variant& a, const Variant& b) {
    // Integer and Long operands, the common case: vtInteger = 2 and vtLong = 3, so the pair is
    // both of them exactly when (ta | tb) is 2 or 3 and neither is 0 or 1.
    uint16_t ta = a.Type(), tb = b.Type();
    if (((ta | tb) & ~uint16_t(1)) == 2 && ta >= 2 && tb >= 2) {
        int64_t x = ta == vtLong ? a.AsLong() : a.AsInteger();
        int64_t y = tb == vtLong ? b.AsLong() : b.AsInteger();
        bool wantLong = ((ta | tb) & 1) != 0;
        auto fit = [wantLong](int64_t r) {
            if (!wantLong && r >= -32768 && r <= 32767) return Variant::Integer(int16_t(r));
            if (r >= INT32_MIN && r <= INT32_MAX) return Variant::Long(int32_t(r));
            return Variant::Double(double(r));
        };
        switch (Op) {
            case BinOp::Add:
                return fit(x + y);
            case BinOp::Sub:
                return fit(x - y);
            case BinOp::Mul:
                return fit(x * y);
            case BinOp::Eq:
                return Variant::Bool(x == y);
            case BinOp::Ne:
                return Variant::Bool(x != y);
            case BinOp::Lt:
                return Variant::Bool(x < y);
            case BinOp::Gt:
                return Variant::Bool(x > y);
            case BinOp::Le:
                return Variant::Bool(x <= y);
            case BinOp::Ge:
                return Variant::Bool(x >= y);
            case BinOp::IntDiv:
                if (y == 0) ThrowError(kErrDivByZero);
                return fit(x / y);
            case BinOp::Mod:
                if (y == 0) ThrowError(kErrDivByZero);
                return fit(x % y);
            case BinOp::And:
                return fit(x & y);
            case BinOp::Or:
                return fit(x | y);
            case BinOp::Xor:
                return fit(x ^ y);
            default:
                break;
        }
    }
    if (IsIntType(ta) && IsIntType(tb)) {
        Variant r;
        if (IntBinary<Op>(a, b, r)) return r;
    }
    return ApplyBinary(Op, a, b);
}

// One node type per operator, so that the operator is known when the node is compiled; a
// constant right operand is used where it is kept.
template <BinOp Op>
struct BinaryOpExpr final : BinaryExpr {
    Variant Eval(EngineImpl& e) override {
        Variant a = left->Eval(e);
        if (rightConst) return Compute<Op>(a, *rightConst);
        Variant b = right->Eval(e);
        return Compute<Op>(a, b);
    }
};

template <BinOp Op>
ExprPtr NewBinary() {
    auto b = std::make_unique<BinaryOpExpr<Op>>();
    b->op = Op;
    return b;
}

}  // namespace

std::unique_ptr<BinaryExpr> MakeBinary(BinOp op) {
    ExprPtr p;
    switch (op) {
#define VBS_BINARY(name)              \
    case BinOp::name:                 \
        p = NewBinary<BinOp::name>(); \
        break;
        VBS_BINARY(Add)
        VBS_BINARY(Sub)
        VBS_BINARY(Mul)
        VBS_BINARY(Div)
        VBS_BINARY(IntDiv)
        VBS_BINARY(Mod)
        VBS_BINARY(Pow)
        VBS_BINARY(Concat)
        VBS_BINARY(Eq)
        VBS_BINARY(Ne)
        VBS_BINARY(Lt)
        VBS_BINARY(Gt)
        VBS_BINARY(Le)
        VBS_BINARY(Ge)
        VBS_BINARY(Is)
        VBS_BINARY(And)
        VBS_BINARY(Or)
        VBS_BINARY(Xor)
        VBS_BINARY(Eqv)
        VBS_BINARY(Imp)
#undef VBS_BINARY
    }
    return std::unique_ptr<BinaryExpr>(static_cast<BinaryExpr*>(p.release()));
}

Variant BinaryExpr::Eval(EngineImpl& e) {
    Variant a = left->Eval(e);
    Variant b = right->Eval(e);
    return ApplyBinary(op, a, b);
}

Variant ApplyBinary(BinOp op, const Variant& a, const Variant& b) {
    uint16_t ta = a.Type(), tb = b.Type();
    if (IsIntType(ta) && IsIntType(tb)) {
        int64_t x = IntOf(a), y = IntOf(b);
        switch (op) {
            case BinOp::Add:
                return FitInt(x + y, ta, tb);
            case BinOp::Sub:
                return FitInt(x - y, ta, tb);
            case BinOp::Mul:
                return FitInt(x * y, ta, tb);
            case BinOp::Eq:
                return Variant::Bool(x == y);
            case BinOp::Ne:
                return Variant::Bool(x != y);
            case BinOp::Lt:
                return Variant::Bool(x < y);
            case BinOp::Gt:
                return Variant::Bool(x > y);
            case BinOp::Le:
                return Variant::Bool(x <= y);
            case BinOp::Ge:
                return Variant::Bool(x >= y);
            case BinOp::IntDiv:
                if (y == 0) ThrowError(kErrDivByZero);
                return FitInt(x / y, ta, tb);
            case BinOp::Mod:
                if (y == 0) ThrowError(kErrDivByZero);
                return FitInt(x % y, ta, tb);
            case BinOp::And:
                if (ta != vtByte || tb != vtByte)
                    return FitInt(x & y, ta == vtByte ? uint16_t(vtInteger) : ta, tb);
                break;
            case BinOp::Or:
                if (ta != vtByte || tb != vtByte)
                    return FitInt(x | y, ta == vtByte ? uint16_t(vtInteger) : ta, tb);
                break;
            case BinOp::Xor:
                if (ta != vtByte || tb != vtByte)
                    return FitInt(x ^ y, ta == vtByte ? uint16_t(vtInteger) : ta, tb);
                break;
            default:
                break;
        }
    }
    switch (op) {
        case BinOp::Add:
            return OpAdd(a, b);
        case BinOp::Sub:
            return OpSub(a, b);
        case BinOp::Mul:
            return OpMul(a, b);
        case BinOp::Div:
            return OpDiv(a, b);
        case BinOp::IntDiv:
            return OpIntDiv(a, b);
        case BinOp::Mod:
            return OpMod(a, b);
        case BinOp::Pow:
            return OpPow(a, b);
        case BinOp::Concat:
            if (ta == vtString && tb == vtString) {
                std::u16string s;
                s.reserve(a.Str().size() + b.Str().size());
                s += a.Str();
                s += b.Str();
                return Variant::String(std::move(s));
            }
            return OpConcat(a, b);
        case BinOp::Eq:
            return OpCompare(0, a, b);
        case BinOp::Ne:
            return OpCompare(1, a, b);
        case BinOp::Lt:
            return OpCompare(2, a, b);
        case BinOp::Gt:
            return OpCompare(3, a, b);
        case BinOp::Le:
            return OpCompare(4, a, b);
        case BinOp::Ge:
            return OpCompare(5, a, b);
        case BinOp::Is:
            return Variant::Bool(OpIs(a, b));
        case BinOp::And:
            return OpAnd(a, b);
        case BinOp::Or:
            return OpOr(a, b);
        case BinOp::Xor:
            return OpXor(a, b);
        case BinOp::Eqv:
            return OpEqv(a, b);
        case BinOp::Imp:
            return OpImp(a, b);
    }
    return Variant();
}

Variant UnaryExpr::Eval(EngineImpl& e) {
    Variant v = operand->Eval(e);
    return isNot ? OpNot(v) : OpNeg(v);
}

// ---- statements ----

void AssignStmt::Prepare() {
    auto* n = dynamic_cast<NameExpr*>(target.get());
    if (!n || !n->IsPlain() || isSet) return;
    plain_ = n;
    auto* cat = dynamic_cast<BinaryExpr*>(value.get());
    if (!cat || cat->op != BinOp::Concat) return;
    auto* left = dynamic_cast<NameExpr*>(cat->left.get());
    if (!left || !left->IsPlain() || !left->SameVariable(*n)) return;
    if (cat->rightConst) {
        appendConst_ = cat->rightConst;
    } else if (auto* right = dynamic_cast<NameExpr*>(cat->right.get()); right && right->IsPlain()) {
        appendFrom_ = right;
    }
}

// x = x & y with x a string nobody else holds and y a string: y is appended to x's text
// where it is, as the general path would give the same string, new.
bool AssignStmt::AppendInPlace(EngineImpl& e) {
    Variant* x = plain_->PlainStorage(e);
    if (!x) return false;
    std::u16string* text = x->UniqueText();
    if (!text) return false;
    const Variant* y = appendConst_ ? appendConst_ : appendFrom_->PlainStorage(e);
    if (!y || y == x || y->Type() != vtString) return false;
    text->append(y->Str());
    return true;
}

Flow AssignStmt::Exec(EngineImpl& e) {
    if ((appendConst_ || appendFrom_) && AppendInPlace(e)) return Flow::Normal;
    if (plain_) {
        Variant v = value->Eval(e);
        uint16_t t = v.Type();
        if (t != vtObject && t != vtRef && !(t & vtArray)) {
            if (Variant* x = plain_->PlainStorage(e)) {
                *x = std::move(v);
                return Flow::Normal;
            }
        }
        plain_->NameExpr::Assign(e, std::move(v), false);
        return Flow::Normal;
    }
    target->Assign(e, value->Eval(e), isSet);
    return Flow::Normal;
}

Flow IfStmt::Exec(EngineImpl& e) {
    for (size_t i = 0; i < conds.size(); ++i) {
        bool c;
        if (e.frame->resumeNext) {
            // After an error in the condition, execution resumes inside the branch.
            try {
                c = CondTrue(conds[i]->Eval(e));
            } catch (const ScriptException& ex) {
                e.SetErr(ex);
                c = true;
            }
        } else {
            c = CondTrue(conds[i]->Eval(e));
        }
        if (c) return blocks[i].Exec(e);
    }
    if (blocks.size() > conds.size()) return blocks.back().Exec(e);
    return Flow::Normal;
}

// Under On Error Resume Next an error in a statement's head resumes as the original does:
// HeadFailed records it and tells the caller to take its fallback path.
static bool HeadFailed(EngineImpl& e, const std::function<void()>& eval) {
    if (!e.frame->resumeNext) {
        eval();
        return false;
    }
    try {
        eval();
        return false;
    } catch (const ScriptException& ex) {
        e.SetErr(ex);
        return true;
    }
}

Flow SelectStmt::Exec(EngineImpl& e) {
    Variant v;
    // An error in the tested value skips the whole Select.
    if (HeadFailed(e, [&] { v = subject->Eval(e); })) return Flow::Normal;
    for (auto& c : cases) {
        if (c.values.empty()) return c.body.Exec(e);
        for (auto& x : c.values) {
            bool match = false;
            // An error in a Case value selects that case.
            if (HeadFailed(e, [&] { match = Compare(v, x->Eval(e)) == 0; })) match = true;
            if (match) return c.body.Exec(e);
        }
    }
    return Flow::Normal;
}

// The body once, then the loop's own error: what a failed loop head resumes into.
static Flow BodyOnceThen(EngineImpl& e, const Block& body, int32_t error) {
    Flow f = body.Exec(e);
    if (f == Flow::ExitFor) f = Flow::Normal;
    if (f != Flow::Normal) return f;
    e.SetErr(ScriptException(error));
    return Flow::Normal;
}

Flow ForStmt::Exec(EngineImpl& e) {
    Variant start, end, inc;
    if (HeadFailed(e, [&] {
            start = ToNumeric(from->Eval(e));
            end = ToNumeric(to->Eval(e));
            inc = step ? ToNumeric(step->Eval(e)) : Variant::Integer(1);
            if (start.IsNull() || end.IsNull() || inc.IsNull()) ThrowError(kErrInvalidNull);
        }))
        return BodyOnceThen(e, body, 92);
    var->Assign(e, start, false);
    bool intLoop = IsIntType(start.Type()) && IsIntType(end.Type()) && IsIntType(inc.Type());
    if (intLoop) {
        int64_t last = IntOf(end), st = IntOf(inc);
        uint16_t stepType = inc.Type();
        auto* plainVar = dynamic_cast<NameExpr*>(var.get());
        if (plainVar && !plainVar->IsPlain()) plainVar = nullptr;
        auto counter = [&]() -> Variant* {
            if (plainVar)
                if (Variant* q = plainVar->PlainStorage(e)) return q;
            return var->Ref(e);
        };
        for (;;) {
            Variant* p = counter();
            const Variant cur = p ? *p : var->Eval(e);
            if (!IsIntType(cur.Type())) {
                intLoop = false;
                break;
            }
            int64_t c = IntOf(cur);
            if (st >= 0 ? c > last : c < last) return Flow::Normal;
            Flow f = body.Exec(e);
            if (f == Flow::ExitFor) return Flow::Normal;
            if (f != Flow::Normal) return f;
            e.Tick();
            p = counter();
            Variant now = p ? *p : var->Eval(e);
            if (!IsIntType(now.Type())) {
                var->Assign(e, OpAdd(now, inc), false);
                intLoop = false;
                break;
            }
            Variant next = FitInt(IntOf(now) + st, now.Type(),
                                  stepType == vtByte ? uint16_t(vtInteger) : stepType);
            if (p)
                *p = std::move(next);
            else
                var->Assign(e, std::move(next), false);
        }
    }
    bool down = Compare(inc, Variant::Integer(0)) < 0;
    for (;;) {
        Variant cur = var->Eval(e);
        int c = Compare(cur, end);
        if (down ? c < 0 : c > 0) return Flow::Normal;
        Flow f = body.Exec(e);
        if (f == Flow::ExitFor) return Flow::Normal;
        if (f != Flow::Normal) return f;
        e.Tick();
        var->Assign(e, OpAdd(var->Eval(e), inc), false);
    }
}

Flow ForEachStmt::Exec(EngineImpl& e) {
    Variant c;
    if (HeadFailed(e, [&] {
            c = collection->Eval(e);
            const Variant& d = c.Deref();
            if (!d.IsArray() && d.Type() != vtObject) ThrowError(kErrNotCollection);
        }))
        return BodyOnceThen(e, body, kErrNotCollection);
    const Variant& coll = c.Deref();
    std::vector<Variant> items;
    if (coll.IsArray()) {
        Variant keep = coll;  // the loop walks a snapshot
        for (auto& it : keep.AsArray()->items) {
            var->Assign(e, it, it.Type() == vtObject);
            Flow f = body.Exec(e);
            if (f == Flow::ExitFor) return Flow::Normal;
            if (f != Flow::Normal) return f;
            e.Tick();
        }
        return Flow::Normal;
    }
    if (coll.Type() != vtObject) ThrowError(kErrNotCollection);
    Dispatch* d = RequireObject(coll);
    if (!d->Enumerate(items)) ThrowError(kErrNotCollection);
    for (auto& it : items) {
        var->Assign(e, it, it.Type() == vtObject);
        Flow f = body.Exec(e);
        if (f == Flow::ExitFor) return Flow::Normal;
        if (f != Flow::Normal) return f;
        e.Tick();
    }
    // The enumerator's end leaves the loop variable Empty.
    var->Assign(e, Variant(), false);
    return Flow::Normal;
}

// A loop condition; after an error under On Error Resume Next, execution goes on with the
// statement that follows the test: into the body for a test at the top, out of the loop for one
// at the bottom.
static bool LoopTest(EngineImpl& e, Expr& cond, bool isUntil, bool atEnd) {
    if (!e.frame->resumeNext) {
        bool c = CondTrue(cond.Eval(e));
        return isUntil ? !c : c;
    }
    try {
        bool c = CondTrue(cond.Eval(e));
        return isUntil ? !c : c;
    } catch (const ScriptException& ex) {
        e.SetErr(ex);
        return !atEnd;
    }
}

Flow DoStmt::Exec(EngineImpl& e) {
    for (;;) {
        if (cond && !condAtEnd && !LoopTest(e, *cond, isUntil, false)) return Flow::Normal;
        Flow f = body.Exec(e);
        if (f == Flow::ExitDo) return Flow::Normal;
        if (f != Flow::Normal) return f;
        e.Tick();
        if (cond && condAtEnd && !LoopTest(e, *cond, isUntil, true)) return Flow::Normal;
    }
}

Flow ReDimStmt::Exec(EngineImpl& e) {
    for (auto& item : items) {
        auto* n = static_cast<NameExpr*>(item.target.get());
        Variant* s = n->Storage(e, true);
        if (!s) {
            if (n->explicitOpt && n->mode == NameMode::Global &&
                e.Slot(n->atom).kind == SlotKind::Unset)
                e.ThrowUndefined(n->atom);
            ThrowError(kErrIllegalAssign);
        }
        if (!preserve && s->IsArray() && (s->AsArray()->fixed || s->AsArray()->locks))
            ThrowError(kErrArrayLocked);
        std::vector<ArrayBound> bounds;
        size_t total = 1;
        for (auto& d : item.dims) {
            int32_t ub = ToLong(d->Eval(e));
            if (ub < -1) ThrowError(kErrSubscript);
            bounds.push_back({0, ub + 1});
            total *= size_t(ub + 1);
            if (total > (size_t(1) << 26)) ThrowError(kErrOutOfMemory);
        }
        if (s->IsArray()) {
            ArrData* old = s->AsArray();
            if (old->fixed) ThrowError(kErrArrayLocked);
            if (old->locks) ThrowError(kErrArrayLocked);
            if (preserve) {
                if (old->bounds.size() != bounds.size()) ThrowError(kErrSubscript);
                for (size_t i = 0; i + 1 < bounds.size(); ++i)
                    if (old->bounds[i].count != bounds[i].count) ThrowError(kErrSubscript);
                ArrData* a = s->MutableArray();
                a->bounds = std::move(bounds);
                a->items.resize(total);
                continue;
            }
        } else if (preserve && !s->IsEmpty()) {
            ThrowError(kErrTypeMismatch);
        }
        *s = Variant::NewArray(std::move(bounds));
    }
    return Flow::Normal;
}

Flow EraseStmt::Exec(EngineImpl& e) {
    auto* n = static_cast<NameExpr*>(target.get());
    Variant* s = n->Storage(e, false);
    if (!s || !s->IsArray()) ThrowError(kErrTypeMismatch);
    if (s->AsArray()->locks) ThrowError(kErrArrayLocked);
    ArrData* a = s->MutableArray();
    if (a->fixed) {
        for (auto& v : a->items) v = Variant();
    } else {
        a->bounds.clear();
        a->items.clear();
    }
    return Flow::Normal;
}

Flow OnErrorStmt::Exec(EngineImpl& e) {
    e.frame->resumeNext = resumeNext;
    e.ClearErr();
    return Flow::Normal;
}

Flow WithStmt::Exec(EngineImpl& e) {
    Variant obj;
    HeadFailed(e, [&] { obj = object->Eval(e); });
    e.frame->locals[slot] = std::move(obj);
    struct Clear {
        EngineImpl& e;
        Frame* f;
        int slot;
        ~Clear() { f->locals[slot] = Variant(); }
    } clear{e, e.frame, slot};
    return body.Exec(e);
}

Flow DimArrayStmt::Exec(EngineImpl& e) {
    auto* n = static_cast<NameExpr*>(target.get());
    Variant* s = n->Storage(e, true);
    if (!s) ThrowError(kErrIllegalAssign);
    *s = MakeFixedArray(e, dims, true);
    return Flow::Normal;
}

Flow RandomizeStmt::Exec(EngineImpl& e) {
    if (seed)
        e.random.Randomize(ToDouble(seed->Eval(e)));
    else
        e.random.Randomize();
    return Flow::Normal;
}

// ---- calls ----

namespace {

// A procedure's variables: on the stack for most procedures, only as many as it has.
class FrameLocals {
  public:
    explicit FrameLocals(size_t count) : n_(count) {
        if (count > kInline) {
            heap_.reset(new Variant[count]);
            p_ = heap_.get();
        } else {
            p_ = reinterpret_cast<Variant*>(raw_);
            for (size_t i = 0; i < count; ++i) new (p_ + i) Variant();
        }
    }
    ~FrameLocals() {
        if (!heap_) std::destroy_n(p_, n_);
    }
    FrameLocals(const FrameLocals&) = delete;
    FrameLocals& operator=(const FrameLocals&) = delete;
    Variant* data() { return p_; }

  private:
    static constexpr size_t kInline = 12;
    alignas(Variant) unsigned char raw_[kInline * sizeof(Variant)];
    std::unique_ptr<Variant[]> heap_;
    Variant* p_;
    size_t n_;
};

}  // namespace

Variant EngineImpl::RunFrame(const ProcDef* def, ClassInstance* me, Variant* locals) {
    // Recursion ends with "Out of stack space" well before the thread's stack runs out,
    // whatever the frame sizes of this build are.
    char probe = 0;
    uintptr_t here = reinterpret_cast<uintptr_t>(&probe);
    if (depth >= kMaxDepth || (stackBase > here && stackBase - here > kStackBudget))
        ThrowError(kErrOutOfStack);
    Tick();
    Frame f;
    f.locals = locals;
    f.me = me;
    f.proc = def;
    struct Restore {
        EngineImpl* e;
        Frame* saved;
        ~Restore() {
            e->frame = saved;
            --e->depth;
        }
    } restore{this, frame};
    frame = &f;
    ++depth;
    for (auto& a : def->arrays) locals[a.slot] = MakeFixedArray(*this, a.dims, true);
    for (auto& c : def->consts) locals[c.slot] = c.value->Eval(*this);
    def->body.Exec(*this);
    return std::move(locals[0]);
}

Variant EngineImpl::CallProc(const ProcDef* def, ClassInstance* me, Variant* args, size_t n,
                             bool consumeArgs) {
    if (n != def->params.size()) ThrowError(kErrWrongArgs);
    FrameLocals frameLocals(size_t(def->localCount));
    Variant* locals = frameLocals.data();
    for (size_t i = 0; i < n; ++i) {
        Variant& a = args[i];
        if (a.IsRef()) {
            if (def->params[i].byRef)
                locals[i + 1] = a;
            else
                locals[i + 1] = PlainCopy(a.Deref());
        } else if (a.IsArray() && a.AsArray()->fixed) {
            locals[i + 1] = PlainCopy(a);
        } else if (consumeArgs) {
            locals[i + 1] = std::move(a);
        } else {
            locals[i + 1] = a;
        }
    }
    return RunFrame(def, me, locals);
}

Variant EngineImpl::CallProc(const ProcDef* def, ClassInstance* me,
                             const std::vector<ExprPtr>& args) {
    if (args.size() != def->params.size()) {
        ArgBuf a(*this, args.size());
        EvalArgs(*this, args, def, a);
        return CallProc(def, me, a.data(), a.size(), true);
    }
    // Arrays whose elements are passed by reference stay locked until the call returns.
    struct Unlock {
        EngineImpl& e;
        size_t mark;
        ~Unlock() {
            while (e.refHolds.size() > mark) {
                Variant::UnlockArray(e.refHolds.back());
                e.refHolds.pop_back();
            }
        }
    } unlock{*this, refHolds.size()};
    // The arguments are evaluated (in the caller's frame) straight into the callee's variables.
    FrameLocals frameLocals(size_t(def->localCount));
    Variant* locals = frameLocals.data();
    for (size_t i = 0; i < args.size(); ++i) {
        if (def->params[i].byRef) {
            if (Variant* r = args[i]->Ref(*this)) {
                locals[i + 1] = Variant::MakeRef(r);
                continue;
            }
        }
        Variant& v = locals[i + 1];
        v = args[i]->Eval(*this);
        if (v.IsArray() && v.AsArray()->fixed) v = PlainCopy(v);
    }
    return RunFrame(def, me, locals);
}

}  // namespace vbs
