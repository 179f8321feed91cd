// What the interpreter's files share: argument lists for calls, and the integer arithmetic of
// the operators and of For loops.
#pragma once

#include <memory>

#include "codegen/Nodes.h"

namespace vbs::interp {

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
inline void EvalArgs(EngineImpl& e, const ExprList& args, const ProcDef* callee, ArgBuf& out) {
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

inline void EvalArgsByValue(EngineImpl& e, const ExprList& args, ArgBuf& out) {
    for (size_t i = 0; i < args.size(); ++i) out[i] = args[i]->Eval(e);
}

// Host objects that ask for references get every variable argument as a link.
inline void EvalHostArgs(EngineImpl& e, const ExprList& args, Dispatch* d, ArgBuf& out) {
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
inline const ProcDef* MemberProc(const ClassMember& m, InvokeKind kind) {
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

inline bool CondTrue(const Variant& v) {
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

// The element of a one-dimensional array at an integer index within its bounds, or nullptr
// (then the general rules apply: other index types, other arrays, errors).
inline Variant* OneDimSlot(ArrData* a, const Variant& index) {
    if (a->bounds.size() != 1 || !IsIntType(index.Type())) return nullptr;
    int64_t i = IntOf(index) - a->bounds[0].lower;
    if (i < 0 || i >= a->bounds[0].count) return nullptr;
    return &a->items[size_t(i)];
}

// Assigns to element args of the array or default member of the object held in storage.
void AssignIndexed(Variant& storage, std::span<Variant> args, Variant v, bool isSet);

}  // namespace vbs::interp
