// VBScript's conversion and operator rules.
#include "values/Ops.h"

#include <cmath>
#include <limits>

#include "lib/dates/dates.h"
#include "lib/numbers/numbers.h"
#include "lib/strings/strings.h"

namespace vbs {

namespace {

template <typename T>
T Check(const rt::Outcome<T>& o) {
    if (!o.Ok()) ThrowError(o.error);
    return o.value;
}

// Rank of a numeric type for promotion.
int Rank(uint16_t t) {
    switch (t) {
        case vtByte:
            return 1;
        case vtEmpty:
        case vtBoolean:
        case vtInteger:
            return 2;
        case vtLong:
            return 3;
        case vtSingle:
            return 4;
        case vtCurrency:
            return 5;
        case vtDouble:
            return 6;
        case vtDate:
            return 7;
        default:
            return 6;
    }
}

double NumOf(const Variant& v) {
    switch (v.Type()) {
        case vtEmpty:
            return 0;
        case vtBoolean:
            return v.AsBoolRaw() ? -1 : 0;
        case vtByte:
            return v.AsByte();
        case vtInteger:
            return v.AsInteger();
        case vtLong:
            return v.AsLong();
        case vtSingle:
            return v.AsSingle();
        case vtDouble:
        case vtDate:
            return v.AsDoubleRaw();
        case vtCurrency:
            return double(v.AsCurrency()) / 10000.0;
        default:
            return 0;
    }
}

// Stores an integral result in the smallest type at or above rank, promoting on overflow.
Variant FitInteger(double r, int rank) {
    if (rank <= 1 && r >= 0 && r <= 255) return Variant::Byte(uint8_t(r));
    if (rank <= 2 && r >= -32768 && r <= 32767) return Variant::Integer(int16_t(r));
    if (rank <= 3 && r >= -2147483648.0 && r <= 2147483647.0) return Variant::Long(int32_t(r));
    return Variant::Double(r);
}

int64_t CurOf(const Variant& v) {
    if (v.Type() == vtCurrency) return v.AsCurrency();
    return Check(rt::ToCurrency(NumOf(v)));
}

enum class Arith { Add, Sub, Mul };

Variant Arithmetic(Arith op, const Variant& a0, const Variant& b0) {
    Variant a = ToNumeric(a0), b = ToNumeric(b0);
    if (a.IsNull() || b.IsNull()) return Variant::Null();
    int ra = Rank(a.Type()), rb = Rank(b.Type());
    int rank = std::max(ra, rb);
    if (a.IsEmpty() && b.IsEmpty()) return Variant::Integer(0);
    if (a.IsEmpty() && op != Arith::Mul) rank = rb;
    if (b.IsEmpty() && op != Arith::Mul) rank = ra;
    if (rank <= 3) {
        double x = NumOf(a), y = NumOf(b);
        double r = op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y;
        return FitInteger(r, rank);
    }
    if (rank == 5) {
        int64_t x = CurOf(a), y = CurOf(b);
        rt::Outcome<int64_t> r = op == Arith::Add   ? rt::CurrencyAdd(x, y)
                                 : op == Arith::Sub ? rt::CurrencySubtract(x, y)
                                                    : rt::CurrencyMultiply(x, y);
        return Variant::Currency(Check(r));
    }
    double x = NumOf(a), y = NumOf(b);
    double r = op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y;
    if (rank == 4) {
        bool longInvolved = a.Type() == vtLong || b.Type() == vtLong;
        if (!longInvolved && std::fabs(r) <= std::numeric_limits<float>::max())
            return Variant::Single(float(r));
        return Variant::Double(r);
    }
    if (rank == 7) {
        if (op == Arith::Sub && a.Type() == vtDate && b.Type() == vtDate) return Variant::Double(r);
        if (op == Arith::Mul) return Variant::Double(r);
        if (!rt::IsValidDateSerial(r)) ThrowError(kErrOverflow);
        return Variant::Date(r);
    }
    if (std::isinf(r)) ThrowError(kErrOverflow);
    return Variant::Double(r);
}

// The integer operand of \, Mod and the logical operators.
int IntRank(const Variant& v) {
    switch (v.Type()) {
        case vtByte:
            return 1;
        case vtEmpty:
        case vtBoolean:
        case vtInteger:
            return 2;
        default:
            return 3;
    }
}

int32_t LongOf(const Variant& v) {
    switch (v.Type()) {
        case vtByte:
            return v.AsByte();
        case vtInteger:
        case vtBoolean:
            return v.AsInteger();
        case vtLong:
            return v.AsLong();
        case vtEmpty:
            return 0;
        default:
            return Check(rt::ToLong(NumOf(v)));
    }
}

Variant FitLogical(int32_t r, int rank) {
    if (rank == 1) return Variant::Byte(uint8_t(r));
    if (rank == 2) return Variant::Integer(int16_t(r));
    return Variant::Long(r);
}

}  // namespace

std::u16string Lower(std::u16string_view s) {
    return rt::LCase(s);
}

Variant DefaultValue(const Variant& v0) {
    const Variant& v = v0.Deref();
    if (v.Type() != vtObject) return v;
    Dispatch* o = v.AsObject();
    if (!o) ThrowError(kErrObjectNotSet);
    Variant r = o->Invoke(kDispValue, InvokeKind::Get, {});
    if (r.Type() == vtObject) ThrowError(kErrNoMember);
    return r;
}

Variant ToNumeric(const Variant& v0) {
    const Variant& v = v0.Deref();
    switch (v.Type()) {
        case vtString: {
            auto d = rt::ParseNumber(v.Str());
            if (!d) ThrowError(kErrTypeMismatch);
            return Variant::Double(*d);
        }
        case vtObject:
            return ToNumeric(DefaultValue(v));
        case vtError:
            ThrowError(kErrTypeMismatch);
        default:
            if (v.IsArray()) ThrowError(kErrTypeMismatch);
            return v;
    }
}

bool ToBool(const Variant& v0) {
    const Variant& v = v0.Deref();
    switch (v.Type()) {
        case vtBoolean:
            return v.AsBoolRaw();
        case vtEmpty:
            return false;
        case vtNull:
            ThrowError(kErrInvalidNull);
        case vtString: {
            const auto& s = v.Str();
            if (rt::EqualStrings(s, u"true", rt::kTextCompare) || rt::EqualStrings(s, u"#true#", 1))
                return true;
            if (rt::EqualStrings(s, u"false", rt::kTextCompare) ||
                rt::EqualStrings(s, u"#false#", 1))
                return false;
            auto d = rt::ParseNumber(s);
            if (!d) ThrowError(kErrTypeMismatch);
            return *d != 0;
        }
        case vtObject:
            return ToBool(DefaultValue(v));
        default:
            if (v.IsArray() || v.Type() == vtError) ThrowError(kErrTypeMismatch);
            return NumOf(v) != 0;
    }
}

double ToDouble(const Variant& v0) {
    const Variant& v = v0.Deref();
    if (v.Type() == vtNull) ThrowError(kErrInvalidNull);
    Variant n = ToNumeric(v);
    if (n.IsNull()) ThrowError(kErrInvalidNull);
    return NumOf(n);
}

int32_t ToLong(const Variant& v0) {
    const Variant& v = v0.Deref();
    switch (v.Type()) {
        case vtInteger:
        case vtBoolean:
            return v.AsInteger();
        case vtLong:
            return v.AsLong();
        case vtByte:
            return v.AsByte();
        case vtEmpty:
            return 0;
        default:
            return Check(rt::ToLong(ToDouble(v)));
    }
}

int16_t ToInteger(const Variant& v) {
    return Check(rt::ToInteger(ToDouble(v)));
}

std::u16string ToStr(const Variant& v0) {
    const Variant& v = v0.Deref();
    switch (v.Type()) {
        case vtString:
            return v.Str();
        case vtEmpty:
            return {};
        case vtNull:
            ThrowError(kErrInvalidNull);
        case vtBoolean:
            return v.AsBoolRaw() ? u"True" : u"False";
        case vtByte:
            return rt::IntegerToText(v.AsByte());
        case vtInteger:
            return rt::IntegerToText(v.AsInteger());
        case vtLong:
            return rt::IntegerToText(v.AsLong());
        case vtSingle:
            return rt::SingleToText(v.AsSingle());
        case vtDouble:
            return rt::DoubleToText(v.AsDoubleRaw());
        case vtCurrency:
            return rt::CurrencyToText(v.AsCurrency());
        case vtDate:
            return rt::DateToText(v.AsDoubleRaw());
        case vtObject:
            return ToStr(DefaultValue(v));
        case vtError:
            return u"Error " + rt::IntegerToText(v.AsError());
        default:
            ThrowError(kErrTypeMismatch);
    }
}

Variant OpAdd(const Variant& a0, const Variant& b0) {
    const Variant& a = a0.Deref();
    const Variant& b = b0.Deref();
    if (a.Type() == vtString && b.Type() == vtString) return Variant::String(a.Str() + b.Str());
    if (a.Type() == vtObject || b.Type() == vtObject)
        return OpAdd(DefaultValue(a), DefaultValue(b));
    if ((a.Type() == vtString && b.IsEmpty()) || (b.Type() == vtString && a.IsEmpty()))
        return Variant::String(a.Str() + b.Str());
    if (a.IsNull() || b.IsNull()) return Variant::Null();
    return Arithmetic(Arith::Add, a, b);
}

Variant OpSub(const Variant& a, const Variant& b) {
    return Arithmetic(Arith::Sub, DefaultValue(a), DefaultValue(b));
}
Variant OpMul(const Variant& a, const Variant& b) {
    return Arithmetic(Arith::Mul, DefaultValue(a), DefaultValue(b));
}

Variant OpDiv(const Variant& a0, const Variant& b0) {
    Variant a = ToNumeric(DefaultValue(a0)), b = ToNumeric(DefaultValue(b0));
    if (a.IsNull() || b.IsNull()) return Variant::Null();
    double x = NumOf(a), y = NumOf(b);
    if (y == 0) ThrowError(x == 0 ? kErrOverflow : kErrDivByZero);
    double r = x / y;
    if (std::isinf(r)) ThrowError(kErrOverflow);
    return Variant::Double(r);
}

Variant OpIntDiv(const Variant& a0, const Variant& b0) {
    Variant a = ToNumeric(DefaultValue(a0)), b = ToNumeric(DefaultValue(b0));
    if (a.IsNull() || b.IsNull()) return Variant::Null();
    int rank = std::max(IntRank(a), IntRank(b));
    if (a.IsEmpty() && b.IsEmpty()) rank = 2;
    int64_t x = LongOf(a), y = LongOf(b);
    if (y == 0) ThrowError(kErrDivByZero);
    return FitInteger(double(x / y), rank);
}

Variant OpMod(const Variant& a0, const Variant& b0) {
    Variant a = ToNumeric(DefaultValue(a0)), b = ToNumeric(DefaultValue(b0));
    if (a.IsNull() || b.IsNull()) return Variant::Null();
    int rank = std::max(IntRank(a), IntRank(b));
    int64_t x = LongOf(a), y = LongOf(b);
    if (y == 0) ThrowError(kErrDivByZero);
    return FitInteger(double(x % y), rank);
}

Variant OpPow(const Variant& a0, const Variant& b0) {
    Variant a = ToNumeric(DefaultValue(a0)), b = ToNumeric(DefaultValue(b0));
    if (a.IsNull() || b.IsNull()) return Variant::Null();
    double x = NumOf(a), y = NumOf(b);
    if (x == 0 && y < 0) ThrowError(kErrDivByZero);
    double r = std::pow(x, y);
    if (std::isnan(r)) ThrowError(kErrInvalidCall);
    if (std::isinf(r)) ThrowError(kErrOverflow);
    return Variant::Double(r);
}

Variant OpNeg(const Variant& a0) {
    Variant a = ToNumeric(DefaultValue(a0));
    switch (a.Type()) {
        case vtNull:
            return a;
        case vtEmpty:
            return Variant::Integer(0);
        case vtByte:
        case vtBoolean:
        case vtInteger:
            return FitInteger(-NumOf(a), 2);
        case vtLong:
            return FitInteger(-NumOf(a), 3);
        case vtSingle:
            return Variant::Single(-a.AsSingle());
        case vtCurrency:
            return Variant::Currency(-a.AsCurrency());
        case vtDate:
            return Variant::Date(-a.AsDoubleRaw());
        default:
            return Variant::Double(-NumOf(a));
    }
}

Variant OpConcat(const Variant& a0, const Variant& b0) {
    const Variant& a = a0.Deref();
    const Variant& b = b0.Deref();
    if (a.IsNull() && b.IsNull()) return Variant::Null();
    std::u16string r = a.IsNull() ? std::u16string() : ToStr(a);
    if (!b.IsNull()) {
        if (b.Type() == vtString)
            r += b.Str();
        else
            r += ToStr(b);
    }
    return Variant::String(std::move(r));
}

Variant OpNot(const Variant& a0) {
    Variant a = DefaultValue(a0);
    if (a.IsNull()) return a;
    if (a.Type() == vtBoolean) return Variant::Bool(!a.AsBoolRaw());
    if (a.Type() == vtString && !rt::ParseNumber(a.Str())) return Variant::Bool(!ToBool(a));
    a = ToNumeric(a);
    if (a.IsEmpty()) return Variant::Integer(-1);
    return FitLogical(~LongOf(a), IntRank(a));
}

namespace {
enum class Logic { And, Or, Xor, Eqv, Imp };

int32_t LogicOp(Logic op, int32_t x, int32_t y) {
    switch (op) {
        case Logic::And:
            return x & y;
        case Logic::Or:
            return x | y;
        case Logic::Xor:
            return x ^ y;
        case Logic::Eqv:
            return ~(x ^ y);
        default:
            return ~x | y;
    }
}

Variant Logical(Logic op, const Variant& a0, const Variant& b0) {
    Variant a = DefaultValue(a0), b = DefaultValue(b0);
    if (a.IsNull() || b.IsNull()) {
        const Variant& other = a.IsNull() ? b : a;
        bool nullFirst = a.IsNull();
        if (other.IsNull()) return Variant::Null();
        Variant n = ToNumeric(other);
        int32_t v = LongOf(n);
        switch (op) {
            case Logic::And:
                if (v == 0)
                    return n.Type() == vtBoolean ? Variant::Bool(false) : FitLogical(0, IntRank(n));
                return Variant::Null();
            case Logic::Or:
                if (v == -1)
                    return n.Type() == vtBoolean ? Variant::Bool(true) : FitLogical(-1, IntRank(n));
                return Variant::Null();
            case Logic::Imp:
                if (nullFirst) {
                    if (v == -1)
                        return n.Type() == vtBoolean ? Variant::Bool(true)
                                                     : FitLogical(-1, IntRank(n));
                } else if (v == 0) {
                    return n.Type() == vtBoolean ? Variant::Bool(true) : FitLogical(-1, IntRank(n));
                }
                return Variant::Null();
            default:
                return Variant::Null();
        }
    }
    if (a.Type() == vtBoolean && b.Type() == vtBoolean)
        return Variant::Bool(LogicOp(op, a.AsInteger(), b.AsInteger()) != 0);
    a = ToNumeric(a);
    b = ToNumeric(b);
    int rank = std::max(IntRank(a), IntRank(b));
    if (a.Type() == vtByte && b.Type() == vtByte)
        rank = 1;
    else if (rank == 1)
        rank = 2;
    return FitLogical(LogicOp(op, LongOf(a), LongOf(b)), rank);
}
}  // namespace

Variant OpAnd(const Variant& a, const Variant& b) {
    return Logical(Logic::And, a, b);
}
Variant OpOr(const Variant& a, const Variant& b) {
    return Logical(Logic::Or, a, b);
}
Variant OpXor(const Variant& a, const Variant& b) {
    return Logical(Logic::Xor, a, b);
}
Variant OpEqv(const Variant& a, const Variant& b) {
    return Logical(Logic::Eqv, a, b);
}
Variant OpImp(const Variant& a, const Variant& b) {
    return Logical(Logic::Imp, a, b);
}

int Compare(const Variant& a0, const Variant& b0, bool textMode) {
    const Variant& a = a0.Deref();
    const Variant& b = b0.Deref();
    if (a.Type() == vtObject || b.Type() == vtObject)
        return Compare(DefaultValue(a), DefaultValue(b), textMode);
    if (a.IsNull() || b.IsNull()) return 2;
    if (a.IsArray() || b.IsArray() || a.Type() == vtError || b.Type() == vtError)
        ThrowError(kErrTypeMismatch);
    bool sa = a.Type() == vtString, sb = b.Type() == vtString;
    if (sa && sb)
        return textMode ? rt::CompareText(a.Str(), b.Str()) : rt::CompareBinary(a.Str(), b.Str());
    if (sa || sb) {
        const Variant& other = sa ? b : a;
        if (other.IsEmpty()) {
            int c = rt::CompareBinary(a.Str(), b.Str());
            return c;
        }
        // A number is less than a string.
        return sa ? 1 : -1;
    }
    if (a.Type() == vtCurrency && b.Type() == vtCurrency)
        return a.AsCurrency() < b.AsCurrency() ? -1 : a.AsCurrency() > b.AsCurrency() ? 1 : 0;
    double x = NumOf(a), y = NumOf(b);
    if (a.Type() == vtSingle || b.Type() == vtSingle) {
        // A Single compares at Single precision: CSng(0.001 * 0.001) = 0.000001.
        float fx = float(x), fy = float(y);
        return fx < fy ? -1 : fx > fy ? 1 : 0;
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

Variant OpCompare(int op, const Variant& a, const Variant& b) {
    int c = Compare(a, b);
    if (c == 2) return Variant::Null();
    bool r = false;
    switch (op) {
        case 0:
            r = c == 0;
            break;
        case 1:
            r = c != 0;
            break;
        case 2:
            r = c < 0;
            break;
        case 3:
            r = c > 0;
            break;
        case 4:
            r = c <= 0;
            break;
        default:
            r = c >= 0;
    }
    return Variant::Bool(r);
}

bool OpIs(const Variant& a0, const Variant& b0) {
    const Variant& a = a0.Deref();
    const Variant& b = b0.Deref();
    if (a.Type() != vtObject || b.Type() != vtObject) ThrowError(kErrObjectRequired);
    return a.AsObject() == b.AsObject();
}

int VarTypeOf(const Variant& v0) {
    const Variant& v = v0.Deref();
    return v.Type();
}

std::u16string TypeNameOf(const Variant& v0) {
    const Variant& v = v0.Deref();
    if (v.IsArray()) return u"Variant()";
    switch (v.Type()) {
        case vtEmpty:
            return u"Empty";
        case vtNull:
            return u"Null";
        case vtInteger:
            return u"Integer";
        case vtLong:
            return u"Long";
        case vtSingle:
            return u"Single";
        case vtDouble:
            return u"Double";
        case vtCurrency:
            return u"Currency";
        case vtDate:
            return u"Date";
        case vtString:
            return u"String";
        case vtBoolean:
            return u"Boolean";
        case vtByte:
            return u"Byte";
        case vtError:
            return u"Error";
        case vtObject:
            return v.AsObject() ? v.AsObject()->TypeName() : u"Nothing";
        default:
            return u"Unknown";
    }
}

int32_t IndexValue(const Variant& v0) {
    const Variant& v = v0.Deref();
    switch (v.Type()) {
        case vtInteger:
            return v.AsInteger();
        case vtLong:
            return v.AsLong();
        case vtByte:
            return v.AsByte();
        default: {
            if (v.IsNull()) ThrowError(kErrTypeMismatch);
            return ToLong(v);
        }
    }
}

Variant* ArrayElement(ArrData* a, std::span<const Variant> idx) {
    if (idx.size() != a->bounds.size()) ThrowError(kErrSubscript);
    // Column-major like the original: the first index varies fastest, so ReDim Preserve of
    // the last dimension keeps every element in place.
    size_t pos = 0;
    for (size_t d = idx.size(); d-- > 0;) {
        int64_t i = int64_t(IndexValue(idx[d])) - a->bounds[d].lower;
        if (i < 0 || i >= a->bounds[d].count) ThrowError(kErrSubscript);
        pos = pos * size_t(a->bounds[d].count) + size_t(i);
    }
    return &a->items[pos];
}

}  // namespace vbs
