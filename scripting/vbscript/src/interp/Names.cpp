// Names and members: variables, array elements, calls by name, obj.member, Me and New.
#include <cmath>
#include <functional>
#include <memory>

#include "interp/Interp.h"

namespace vbs {

using namespace interp;

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
    } else if (!args.empty() && args.size() <= 2 &&
               (mode == NameMode::Local ||
                (mode == NameMode::Global && !dynScope && e.Slot(atom).kind == SlotKind::Var))) {
        return Element(e);
    }
    if (mode == NameMode::Global && !dynScope) {
        const GlobalSlot& g = e.Slot(atom);
        if (g.kind == SlotKind::Proc) return CallNamedProc(e, g.proc);
    }
    return Invoke(e, false);
}

// A call of a script procedure by its name: what Invoke does for it.
Variant NameExpr::CallNamedProc(EngineImpl& e, const ProcDef* proc) {
    int savedLine = e.line;
    Variant r = e.CallProc(proc, nullptr, args);
    e.line = savedLine;
    return r;
}

// An element of a plain variable (a(i), b(i, j)): what Invoke does for it, without an argument
// buffer.
Variant NameExpr::Element(EngineImpl& e) {
    Variant idx[2];
    for (size_t i = 0; i < args.size(); ++i) idx[i] = args[i]->Eval(e);
    const Variant& base = mode == NameMode::Local ? e.frame->locals[slot] : e.Slot(atom).value;
    const Variant& arr = base.Deref();
    if (args.size() == 1 && arr.IsArray())
        if (const Variant* el = OneDimSlot(arr.AsArray(), idx[0])) return *el;
    return IndexValueOf(e, base, std::span<Variant>(idx, args.size()));
}

// name(i) = v or name(i, j) = v, the common case, without an argument buffer.
void NameExpr::AssignElement(EngineImpl& e, Variant v, bool isSet) {
    Variant idx[2];
    for (size_t i = 0; i < args.size(); ++i) idx[i] = args[i]->Eval(e);
    if (Variant* s = Storage(e, false)) {
        // A plain value into a one-dimensional array: StoreValue's rules need nothing more.
        uint16_t t = v.Type();
        Variant& arr = s->Deref();
        if (!isSet && args.size() == 1 && arr.IsArray() && t != vtObject && t != vtRef &&
            !(t & vtArray)) {
            if (Variant* el = OneDimSlot(arr.MutableArray(), idx[0])) {
                *el = std::move(v);
                return;
            }
        }
        AssignIndexed(*s, std::span<Variant>(idx, args.size()), std::move(v), isSet);
        return;
    }
    AssignElsewhere(e, std::span<Variant>(idx, args.size()), std::move(v), isSet);
}

void NameExpr::Call(EngineImpl& e) {
    if (mode == NameMode::Global && !dynScope) {
        const GlobalSlot& g = e.Slot(atom);
        if (g.kind == SlotKind::Proc) {
            CallNamedProc(e, g.proc);
            return;
        }
    }
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
        // Built-ins take their arguments by value: short lists need no argument buffer.
        constexpr size_t kShort = 4;
        if (args.size() <= kShort) {
            Variant a[kShort];
            for (size_t i = 0; i < args.size(); ++i) a[i] = args[i]->Eval(e);
            return CallBuiltin(e, b, std::span<Variant>(a, args.size()));
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

// name(args) = v when the name is no variable of the script: a constant or named item holding
// an array or object, or a host object's member.
void NameExpr::AssignElsewhere(EngineImpl& e, std::span<Variant> idx, Variant v, bool isSet) {
    GlobalSlot& g = e.Slot(atom);
    if (g.kind == SlotKind::NamedItem || g.kind == SlotKind::Const) {
        AssignIndexed(g.value, idx, std::move(v), isSet);
        return;
    }
    if (g.kind == SlotKind::HostMember ||
        (g.kind == SlotKind::Unset && e.ResolveHostMember(atom, g))) {
        std::vector<Variant> all(idx.begin(), idx.end());
        all.push_back(std::move(v));
        g.host->Invoke(g.dispId, isSet ? InvokeKind::Set : InvokeKind::Let, all);
        return;
    }
    if (explicitOpt && g.kind == SlotKind::Unset) e.ThrowUndefined(atom);
    ThrowError(g.kind == SlotKind::Unset ? kErrTypeMismatch : kErrIllegalAssign);
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
    if (!args.empty() && args.size() <= 2) {
        AssignElement(e, std::move(v), isSet);
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
        AssignElsewhere(e, a.span(), std::move(v), isSet);
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

}  // namespace vbs
