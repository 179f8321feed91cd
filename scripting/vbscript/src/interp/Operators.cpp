// The operators: one node type per binary operator, with the integer cases inline; the
// general rules are in values/Ops.cpp.
#include <cmath>
#include <functional>
#include <memory>

#include "interp/Interp.h"

namespace vbs {

using namespace interp;

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

}  // namespace vbs
