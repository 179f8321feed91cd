// Mathematics: Int, Fix, Abs, Sgn, Sqr, Exp, Log, the trigonometric functions, Round and Rnd
// (with random.h beside this file, which Randomize also uses).
#include <cmath>
#include "lib/Library.h"
#include "lib/numbers/numbers.h"

namespace vbs::lib {

namespace {

Variant KeepNumeric(const Variant& v0, double (*f)(double)) {
    Variant v = ToNumeric(v0);
    switch (v.Type()) {
        case vtNull:
            return v;
        case vtEmpty:
            return Variant::Integer(0);
        case vtByte:
        case vtInteger:
        case vtLong:
            return v;
        case vtBoolean:
            return Variant::Integer(v.AsInteger());
        case vtSingle:
            return Variant::Single(float(f(v.AsSingle())));
        case vtCurrency:
            return Variant::Currency(int64_t(f(double(v.AsCurrency()) / 10000.0) * 10000.0));
        case vtDate:
            return Variant::Date(f(v.AsDoubleRaw()));
        default:
            return Variant::Double(f(v.AsDoubleRaw()));
    }
}

Variant FnInt(EngineImpl&, Args a) {
    return KeepNumeric(A(a, 0), rt::Int);
}

Variant FnFix(EngineImpl&, Args a) {
    return KeepNumeric(A(a, 0), rt::Fix);
}

Variant FnAbs(EngineImpl&, Args a) {
    Variant v = ToNumeric(A(a, 0));
    switch (v.Type()) {
        case vtNull:
            return v;
        case vtEmpty:
            return Variant::Integer(0);
        case vtByte:
            return v;
        case vtBoolean:
        case vtInteger:
            if (v.AsInteger() == -32768) return Variant::Long(32768);
            return Variant::Integer(int16_t(std::abs(v.AsInteger())));
        case vtLong:
            if (v.AsLong() == INT32_MIN) return Variant::Double(2147483648.0);
            return Variant::Long(std::abs(v.AsLong()));
        case vtSingle:
            return Variant::Single(std::fabs(v.AsSingle()));
        case vtCurrency:
            return Variant::Currency(std::llabs(v.AsCurrency()));
        case vtDate:
            return Variant::Date(std::fabs(v.AsDoubleRaw()));
        default:
            return Variant::Double(std::fabs(v.AsDoubleRaw()));
    }
}

Variant FnSgn(EngineImpl&, Args a) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    double d = D(a, 0);
    return Variant::Integer(int16_t(d > 0 ? 1 : d < 0 ? -1 : 0));
}

Variant Math1(Args a, double (*f)(double)) {
    if (A(a, 0).IsNull()) ThrowError(kErrInvalidNull);
    return Variant::Double(f(D(a, 0)));
}

Variant FnSqr(EngineImpl&, Args a) {
    double d = D(a, 0);
    if (d < 0) ThrowError(kErrInvalidCall);
    return Variant::Double(std::sqrt(d));
}

Variant FnExp(EngineImpl&, Args a) {
    double r = std::exp(D(a, 0));
    if (std::isinf(r)) ThrowError(kErrOverflow);
    return Variant::Double(r);
}

Variant FnLog(EngineImpl&, Args a) {
    double d = D(a, 0);
    if (d <= 0) ThrowError(kErrInvalidCall);
    return Variant::Double(std::log(d));
}

Variant FnSin(EngineImpl&, Args a) {
    return Math1(a, [](double x) { return std::sin(x); });
}

Variant FnCos(EngineImpl&, Args a) {
    return Math1(a, [](double x) { return std::cos(x); });
}

Variant FnTan(EngineImpl&, Args a) {
    return Math1(a, [](double x) { return std::tan(x); });
}

Variant FnAtn(EngineImpl&, Args a) {
    return Math1(a, [](double x) { return std::atan(x); });
}

Variant FnRnd(EngineImpl& e, Args a) {
    if (Has(a, 0)) return Variant::Single(e.random.Next(D(a, 0)));
    return Variant::Single(e.random.Next());
}

Variant FnRound(EngineImpl&, Args a) {
    Variant v = ToNumeric(A(a, 0));
    if (v.IsNull()) return v;
    int digits = Has(a, 1) ? L(a, 1) : 0;
    switch (v.Type()) {
        case vtEmpty:
            return Variant::Integer(0);
        case vtByte:
        case vtInteger:
        case vtLong:
            return v;
        case vtBoolean:
            return v;
        default:
            break;
    }
    double r = Ck(rt::RoundToDigits(ToDouble(v), digits));
    if (v.Type() == vtSingle) return Variant::Single(float(r));
    if (v.Type() == vtCurrency) return Variant::Currency(Ck(rt::ToCurrency(r)));
    return Variant::Double(r);
}

}  // namespace

std::span<const Builtin> MathLibrary() {
    static const Builtin kTable[] = {
        {u"int", FnInt, 1, 1, false},     {u"fix", FnFix, 1, 1, false},
        {u"abs", FnAbs, 1, 1, false},     {u"sgn", FnSgn, 1, 1, false},
        {u"sqr", FnSqr, 1, 1, false},     {u"exp", FnExp, 1, 1, false},
        {u"log", FnLog, 1, 1, false},     {u"sin", FnSin, 1, 1, false},
        {u"cos", FnCos, 1, 1, false},     {u"tan", FnTan, 1, 1, false},
        {u"atn", FnAtn, 1, 1, false},     {u"rnd", FnRnd, 0, 1, false},
        {u"round", FnRound, 1, 2, false},
    };
    return kTable;
}

}  // namespace vbs::lib
