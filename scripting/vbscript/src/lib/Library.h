// The built-in libraries. Each library is one file, lib/<area>/<Area>Library.cpp, with the
// value-independent work it needs beside it (strings.h, numbers.h, dates.h, regexp.h ...);
// lib/Registry.cpp lists them all in one table. A function receives its arguments as given
// (ByRef links included: read them through A() and the helpers below) and raises errors
// with ThrowError.
#pragma once

#include <span>
#include <string>

#include "engine/EngineImpl.h"
#include "lib/outcome.h"
#include "lib/strings/strings.h"
#include "values/Ops.h"

namespace vbs::lib {

using Args = std::span<Variant>;

// ---- the libraries (their tables of functions and constants) ----
std::span<const Builtin> StringLibrary();
std::span<const Builtin> NumberLibrary();
std::span<const Builtin> MathLibrary();
std::span<const Builtin> DateLibrary();
std::span<const Builtin> ArrayLibrary();
std::span<const Builtin> ObjectLibrary();
std::span<const Builtin> ScriptLibrary();
std::span<const Builtin> ConstantLibrary();
// The value of a numeric constant (a Builtin without a function).
Variant NumericConstant(const Builtin* b);

// ---- the objects CreateObject makes ----
Dispatch* NewDictionary();
Dispatch* NewRegExp();
Ref<Dispatch> NewErrObject(EngineImpl& e);
// The object GetRef returns for a procedure.
Variant MakeProcRef(EngineImpl& e, const ProcDef* p);

// ---- argument helpers ----
template <typename T>
inline T Ck(rt::Outcome<T> o) {
    if (!o.Ok()) ThrowError(o.error);
    return std::move(o.value);
}
inline const Variant& A(Args a, size_t i) {
    return a[i].Deref();
}
inline bool Has(Args a, size_t i) {
    if (i >= a.size()) return false;
    const Variant& v = a[i].Deref();
    return !(v.Type() == vtError && v.AsError() == int32_t(0x80020004));
}
inline bool AnyNull(Args a, size_t n) {
    for (size_t i = 0; i < n && i < a.size(); ++i)
        if (A(a, i).IsNull()) return true;
    return false;
}
inline std::u16string S(Args a, size_t i) {
    return ToStr(A(a, i));
}
// The text of argument i, without a copy when it is a string (tmp keeps a converted one).
inline std::u16string_view Text(Args a, size_t i, std::u16string& tmp) {
    const Variant& v = A(a, i);
    if (v.Type() == vtString) return v.Str();
    tmp = ToStr(v);
    return tmp;
}
inline int32_t L(Args a, size_t i) {
    return ToLong(A(a, i));
}
inline double D(Args a, size_t i) {
    return ToDouble(A(a, i));
}
inline Variant Str(std::u16string s) {
    return Variant::String(std::move(s));
}
inline int CompareMode(Args a, size_t i) {
    if (!Has(a, i)) return 0;
    if (A(a, i).IsNull()) ThrowError(kErrInvalidNull);
    int32_t m = L(a, i);
    if (m < 0 || m > 1) ThrowError(kErrInvalidCall);
    return m;
}
inline void RequireNotNull(Args a, size_t n) {
    for (size_t i = 0; i < n && i < a.size(); ++i)
        if (A(a, i).IsNull()) ThrowError(kErrInvalidNull);
}

// Members looked up in a fixed table by lower-case name.
inline int FindIn(std::initializer_list<const char16_t*> names, std::u16string_view name) {
    std::u16string lower = rt::LCase(name);
    int id = 1;
    for (const char16_t* n : names) {
        if (lower == n) return id;
        ++id;
    }
    return kDispUnknown;
}

inline bool Missing(std::span<Variant> a, size_t i) {
    return i >= a.size() ||
           (a[i].Deref().Type() == vtError && a[i].Deref().AsError() == int32_t(0x80020004));
}

}  // namespace vbs::lib
