// Arrays: Array, IsArray, LBound, UBound, Split, Join and Filter.
#include "lib/Library.h"
#include "lib/strings/strings.h"

namespace vbs::lib {

namespace {

Variant MakeStrArray(const std::vector<std::u16string>& items) {
    Variant a = Variant::NewArray({{0, int32_t(items.size())}});
    for (size_t i = 0; i < items.size(); ++i) a.AsArray()->items[i] = Variant::String(items[i]);
    return a;
}

Variant FnArray(EngineImpl&, Args a) {
    Variant r = Variant::NewArray({{0, int32_t(a.size())}});
    for (size_t i = 0; i < a.size(); ++i) r.AsArray()->items[i] = a[i].Deref();
    return r;
}

Variant FnIsArray(EngineImpl&, Args a) {
    return Variant::Bool(A(a, 0).IsArray());
}

Variant Bound(Args a, bool upper) {
    const Variant& v = A(a, 0);
    if (!v.IsArray()) ThrowError(kErrTypeMismatch);
    ArrData* arr = v.AsArray();
    int32_t dim = Has(a, 1) ? L(a, 1) : 1;
    if (dim < 1 || size_t(dim) > arr->bounds.size()) ThrowError(kErrSubscript);
    const ArrayBound& b = arr->bounds[size_t(dim - 1)];
    return Variant::Long(upper ? b.lower + b.count - 1 : b.lower);
}

Variant FnLBound(EngineImpl&, Args a) {
    return Bound(a, false);
}

Variant FnUBound(EngineImpl&, Args a) {
    return Bound(a, true);
}

Variant FnSplit(EngineImpl&, Args a) {
    RequireNotNull(a, 4);
    std::u16string s = S(a, 0);
    std::u16string delim = Has(a, 1) ? S(a, 1) : u" ";
    int32_t count = Has(a, 2) ? L(a, 2) : -1;
    if (count < -1) ThrowError(kErrInvalidCall);
    int mode = CompareMode(a, 3);
    if (count == 0) return MakeStrArray({});
    return MakeStrArray(rt::SplitText(s, delim, count, mode));
}

Variant FnJoin(EngineImpl&, Args a) {
    const Variant& v = A(a, 0);
    if (!v.IsArray()) ThrowError(kErrTypeMismatch);
    ArrData* arr = v.AsArray();
    if (arr->bounds.size() != 1) ThrowError(kErrSubscript);
    std::u16string delim = Has(a, 1) ? S(a, 1) : u" ";
    std::u16string out;
    for (size_t i = 0; i < arr->items.size(); ++i) {
        if (i) out += delim;
        if (!arr->items[i].IsNull()) out += ToStr(arr->items[i]);
    }
    return Str(std::move(out));
}

Variant FnFilter(EngineImpl&, Args a) {
    const Variant& v = A(a, 0);
    if (!v.IsArray()) ThrowError(kErrTypeMismatch);
    if (A(a, 1).IsNull()) ThrowError(kErrInvalidNull);
    std::u16string match = S(a, 1);
    bool include = Has(a, 2) ? ToBool(A(a, 2)) : true;
    int mode = CompareMode(a, 3);
    std::vector<std::u16string> out;
    for (auto& it : v.AsArray()->items) {
        std::u16string s = ToStr(it);
        bool found = rt::Find(s, match, 0, mode) != std::u16string::npos;
        if (found == include) out.push_back(std::move(s));
    }
    return MakeStrArray(out);
}

}  // namespace

std::span<const Builtin> ArrayLibrary() {
    static const Builtin kTable[] = {
        {u"array", FnArray, 0, 127, false}, {u"isarray", FnIsArray, 1, 1, false},
        {u"lbound", FnLBound, 1, 2, false}, {u"ubound", FnUBound, 1, 2, false},
        {u"split", FnSplit, 1, 4, false},   {u"join", FnJoin, 1, 2, false},
        {u"filter", FnFilter, 2, 4, false},
    };
    return kTable;
}

}  // namespace vbs::lib
