// Numbers and conversion: CBool ... CStr, Hex, Oct, IsNumeric, RGB and the number formats
// (FormatNumber, FormatCurrency, FormatPercent). Their value-independent work is in numbers.h
// and format.h beside this file.
#include "lib/Library.h"
#include "lib/numbers/format.h"
#include "lib/numbers/numbers.h"
#include "lib/strings/strings.h"

namespace vbs::lib {

namespace {

Variant FnCBool(EngineImpl&, Args a) {
    return Variant::Bool(ToBool(A(a, 0)));
}

Variant FnCByte(EngineImpl&, Args a) {
    if (A(a, 0).Type() == vtBoolean) return Variant::Byte(A(a, 0).AsBoolRaw() ? 255 : 0);
    return Variant::Byte(Ck(rt::ToByte(D(a, 0))));
}

Variant FnCCur(EngineImpl&, Args a) {
    if (A(a, 0).Type() == vtCurrency) return A(a, 0);
    return Variant::Currency(Ck(rt::ToCurrency(D(a, 0))));
}

Variant FnCDbl(EngineImpl&, Args a) {
    return Variant::Double(D(a, 0));
}

Variant FnCInt(EngineImpl&, Args a) {
    return Variant::Integer(Ck(rt::ToInteger(D(a, 0))));
}

Variant FnCLng(EngineImpl&, Args a) {
    return Variant::Long(Ck(rt::ToLong(D(a, 0))));
}

Variant FnCSng(EngineImpl&, Args a) {
    return Variant::Single(Ck(rt::ToSingle(D(a, 0))));
}

Variant FnCStr(EngineImpl&, Args a) {
    return Str(S(a, 0));
}

Variant HexOct(Args a, bool hex) {
    const Variant& v = A(a, 0);
    if (v.IsNull()) return Variant::Null();
    bool sixteen = false;
    int32_t n;
    switch (v.Type()) {
        case vtEmpty:
            n = 0;
            sixteen = true;
            break;
        case vtByte:
        case vtInteger:
        case vtBoolean:
            n = ToLong(v);
            sixteen = true;
            break;
        default:
            n = ToLong(v);
    }
    return Str(hex ? rt::HexText(n, sixteen) : rt::OctText(n, sixteen));
}

Variant FnHex(EngineImpl&, Args a) {
    return HexOct(a, true);
}

Variant FnOct(EngineImpl&, Args a) {
    return HexOct(a, false);
}

Variant FnIsNumeric(EngineImpl& e, Args a) {
    const Variant& v = A(a, 0);
    switch (v.Type()) {
        case vtString:
            return Variant::Bool(rt::ParseNumber(v.Str()).has_value());
        case vtNull:
        case vtError:
        case vtDate:
            return Variant::Bool(false);
        case vtObject: {
            if (!v.AsObject()) return Variant::Bool(false);
            Variant d;
            try {
                d = DefaultValue(v);
            } catch (const ScriptException&) {
                return Variant::Bool(false);
            }
            Variant one[1] = {d};
            return FnIsNumeric(e, one);
        }
        default:
            return Variant::Bool(!v.IsArray());
    }
}

Variant FnRGB(EngineImpl&, Args a) {
    auto part = [&](size_t i) {
        int32_t v = L(a, i);
        if (v < 0) ThrowError(kErrInvalidCall);
        return std::min(v, 255);
    };
    return Variant::Long(part(0) + part(1) * 256 + part(2) * 65536);
}

rt::NumberLayout Layout(Args a) {
    // A Null value is a type mismatch here; a Null option is an invalid use of Null.
    if (A(a, 0).IsNull()) ThrowError(kErrTypeMismatch);
    for (size_t i = 1; i < a.size(); ++i)
        if (A(a, i).IsNull()) ThrowError(kErrInvalidNull);
    rt::NumberLayout l;
    if (Has(a, 1)) l.digitsAfterDecimal = L(a, 1);
    if (Has(a, 2)) l.includeLeadingDigit = L(a, 2);
    if (Has(a, 3)) l.useParensForNegative = L(a, 3);
    if (Has(a, 4)) l.groupDigits = L(a, 4);
    return l;
}

Variant FnFormatNumber(EngineImpl&, Args a) {
    rt::NumberLayout layout = Layout(a);
    return Str(Ck(rt::FormatNumber(D(a, 0), layout)));
}

Variant FnFormatCurrency(EngineImpl&, Args a) {
    rt::NumberLayout layout = Layout(a);
    return Str(Ck(rt::FormatCurrency(D(a, 0), layout)));
}

Variant FnFormatPercent(EngineImpl&, Args a) {
    rt::NumberLayout layout = Layout(a);
    return Str(Ck(rt::FormatPercent(D(a, 0), layout)));
}

}  // namespace

std::span<const Builtin> NumberLibrary() {
    static const Builtin kTable[] = {
        {u"cbool", FnCBool, 1, 1, false},
        {u"cbyte", FnCByte, 1, 1, false},
        {u"ccur", FnCCur, 1, 1, false},
        {u"cdbl", FnCDbl, 1, 1, false},
        {u"cint", FnCInt, 1, 1, false},
        {u"clng", FnCLng, 1, 1, false},
        {u"csng", FnCSng, 1, 1, false},
        {u"cstr", FnCStr, 1, 1, false},
        {u"hex", FnHex, 1, 1, false},
        {u"oct", FnOct, 1, 1, false},
        {u"isnumeric", FnIsNumeric, 1, 1, false},
        {u"rgb", FnRGB, 3, 3, false},
        {u"formatnumber", FnFormatNumber, 1, 5, false},
        {u"formatcurrency", FnFormatCurrency, 1, 5, false},
        {u"formatpercent", FnFormatPercent, 1, 5, false},
    };
    return kTable;
}

}  // namespace vbs::lib
