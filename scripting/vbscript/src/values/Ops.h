// Conversions and operators on Variant values with VBScript's rules.
#pragma once

#include <string>

#include "vbscript/Engine.h"
#include "vbscript/Variant.h"

namespace vbs {

// Standard error numbers used throughout the engine.
enum ErrNo : int32_t {
    kErrInvalidCall = 5,
    kErrOverflow = 6,
    kErrOutOfMemory = 7,
    kErrSubscript = 9,
    kErrArrayLocked = 10,
    kErrDivByZero = 11,
    kErrTypeMismatch = 13,
    kErrOutOfStack = 28,
    kErrSubNotDefined = 35,
    kErrObjectNotSet = 91,
    kErrInvalidNull = 94,
    kErrObjectRequired = 424,
    kErrCantCreate = 429,
    kErrNoMember = 438,
    kErrNoAction = 445,
    kErrNamedArgs = 446,
    kErrWrongArgs = 450,
    kErrNotCollection = 451,
    kErrUndefined = 500,
    kErrIllegalAssign = 501,
    kErrInvalidReference = 505,
    kErrClassNotDefined = 506,
    kErrKeyExists = 457,
    kErrElementNotFound = 32811,
    kErrTimeout = kTimeoutError,
    kErrBusy = kBusyError,
    kErrQuit = 0x7FFF0003,  // our own: WScript.Quit ended the run
};

// The value behind a possible ByRef link, copied.
inline Variant Val(const Variant& v) {
    return v.Deref();
}

bool ToBool(const Variant& v);
double ToDouble(const Variant& v);
int32_t ToLong(const Variant& v);        // CLng rules (banker's rounding, overflow 6)
int16_t ToInteger(const Variant& v);     // CInt rules
std::u16string ToStr(const Variant& v);  // CStr rules (Null -> error 94)
// Number conversion for arithmetic: numeric variant kept, strings parsed (13 on failure).
Variant ToNumeric(const Variant& v);
// Default value of an object (its default member), or the value itself.
Variant DefaultValue(const Variant& v);

Variant OpAdd(const Variant& a, const Variant& b);
Variant OpSub(const Variant& a, const Variant& b);
Variant OpMul(const Variant& a, const Variant& b);
Variant OpDiv(const Variant& a, const Variant& b);
Variant OpIntDiv(const Variant& a, const Variant& b);
Variant OpMod(const Variant& a, const Variant& b);
Variant OpPow(const Variant& a, const Variant& b);
Variant OpNeg(const Variant& a);
Variant OpConcat(const Variant& a, const Variant& b);
Variant OpNot(const Variant& a);
Variant OpAnd(const Variant& a, const Variant& b);
Variant OpOr(const Variant& a, const Variant& b);
Variant OpXor(const Variant& a, const Variant& b);
Variant OpEqv(const Variant& a, const Variant& b);
Variant OpImp(const Variant& a, const Variant& b);
// Comparison: -1, 0, 1, or 2 when either side is Null. textMode compares strings ignoring case.
int Compare(const Variant& a, const Variant& b, bool textMode = false);
Variant OpCompare(int op, const Variant& a, const Variant& b);  // op: 0 = 1 <> 2 < 3 > 4 <= 5 >=
bool OpIs(const Variant& a, const Variant& b);

std::u16string TypeNameOf(const Variant& v);
int VarTypeOf(const Variant& v);

// Arrays.
Variant* ArrayElement(ArrData* a, std::span<const Variant> idx);  // 9 when out of range
int32_t IndexValue(const Variant& v);

std::u16string Lower(std::u16string_view s);

}  // namespace vbs
