// Value rules the interpreter and the libraries share: Let and Set assignment, copies of
// fixed arrays, indexing arrays and default members, new arrays for Dim.
#include <cmath>
#include <functional>
#include <memory>

#include "interp/Interp.h"

namespace vbs {

using namespace interp;

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
void interp::AssignIndexed(Variant& storage0, std::span<Variant> args, Variant v, bool isSet) {
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

Variant MakeFixedArray(EngineImpl& e, const ExprList& dims, bool fixed) {
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

}  // namespace vbs
