// The node types the compiler emits and the interpreter runs.
#pragma once

#include <type_traits>

#include "engine/EngineImpl.h"

namespace vbs {

// x as a T when it is one, else nullptr: a dynamic_cast for the node types that say what
// they are (their shape), without subtypes, at the cost of one comparison.
template <typename T>
T* As(Expr* x) {
    static_assert(std::is_final_v<T>);
    return x && x->shape == T::kShape ? static_cast<T*>(x) : nullptr;
}

// A node type with a shape of its own.
template <Expr::Shape S>
struct Shaped : Expr {
    static constexpr Shape kShape = S;
    Shaped() { shape = S; }
};

struct ConstExpr final : Shaped<Expr::Shape::Const> {
    Variant value;
    Variant Eval(EngineImpl&) override { return value; }
};

struct NothingExpr : Expr {
    Variant Eval(EngineImpl&) override { return Variant::Object(nullptr); }
};

struct MeExpr : Expr {
    Variant Eval(EngineImpl& e) override;
};

struct ParenExpr final : Shaped<Expr::Shape::Paren> {
    ExprPtr inner;
    Variant Eval(EngineImpl& e) override { return inner->Eval(e); }
    bool IsParenthesized() const override { return true; }
};

enum class NameMode : uint8_t {
    Local,     // slot in the frame
    Field,     // field of Me
    MeMember,  // method or property of Me (by member index)
    Global,    // global slot by atom
    Dyn,       // global slot when defined, else the implicit local slot
};

// A name, possibly with arguments: variable, array element, call.
struct NameExpr final : Shaped<Expr::Shape::Name> {
    NameMode mode = NameMode::Global;
    int slot = 0;
    int atom = -1;
    bool explicitOpt = false;
    bool dynScope = false;  // in Execute/Eval code: the caller's variables come first
    bool hasParens = false;
    ExprList args;
    NodeString name;

    Variant Eval(EngineImpl& e) override;
    Variant* Ref(EngineImpl& e) override;
    void Assign(EngineImpl& e, Variant v, bool isSet) override;
    void Call(EngineImpl& e) override;

    Variant Invoke(EngineImpl& e, bool asStatement);
    Variant* Storage(EngineImpl& e, bool create);
    Variant Element(EngineImpl& e);
    Variant CallNamedProc(EngineImpl& e, const ProcDef* proc);
    void AssignElement(EngineImpl& e, Variant v, bool isSet);
    void AssignElsewhere(EngineImpl& e, std::span<Variant> idx, Variant v, bool isSet);
    // The storage of a plain variable (a local, or a global that is a variable), found
    // without side effects; nullptr for anything else.
    Variant* PlainStorage(EngineImpl& e) const {
        if (hasParens) return nullptr;
        if (mode == NameMode::Local) return &e.frame->locals[slot].Deref();
        if (mode == NameMode::Global && !dynScope) {
            GlobalSlot& g = e.Slot(atom);
            if (g.kind == SlotKind::Var) return &g.value;
        }
        return nullptr;
    }
    bool IsPlain() const {
        return !hasParens && (mode == NameMode::Local || (mode == NameMode::Global && !dynScope));
    }
    bool SameVariable(const NameExpr& o) const {
        return mode == o.mode && (mode == NameMode::Local ? slot == o.slot : atom == o.atom);
    }
};

// obj.name(args); obj is null inside With (then withSlot names the hidden local).
struct MemberExpr final : Shaped<Expr::Shape::Member> {
    ExprPtr object;
    int withSlot = -1;
    NodeString name;
    bool hasParens = false;
    ExprList args;

    Variant Eval(EngineImpl& e) override { return Invoke(e, InvokeKind::Get, nullptr, false); }
    void Assign(EngineImpl& e, Variant v, bool isSet) override {
        Invoke(e, isSet ? InvokeKind::Set : InvokeKind::Let, &v, isSet);
    }
    void Call(EngineImpl& e) override { Invoke(e, InvokeKind::Method, nullptr, false); }
    Variant Invoke(EngineImpl& e, InvokeKind kind, Variant* value, bool isSet);
};

// expr(args) on a value that is not a name (f(1)(2), obj.items(1)(2)).
struct IndexExpr : Expr {
    ExprPtr base;
    ExprList args;
    Variant Eval(EngineImpl& e) override;
    void Assign(EngineImpl& e, Variant v, bool isSet) override;
};

struct NewExpr : Expr {
    int atom = -1;
    std::u16string name;
    Variant Eval(EngineImpl& e) override;
};

enum class BinOp : uint8_t {
    Add,
    Sub,
    Mul,
    Div,
    IntDiv,
    Mod,
    Pow,
    Concat,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Is,
    And,
    Or,
    Xor,
    Eqv,
    Imp
};

struct BinaryExpr : Expr {
    BinOp op;
    ExprPtr left, right;
    const Variant* rightConst = nullptr;  // the right operand's value when it is a constant
    Variant Eval(EngineImpl& e) override;
};
// A node for op (of a type specialised for it).
std::unique_ptr<BinaryExpr> MakeBinary(BinOp op);
// The value of a op b by VBScript's rules.
Variant ApplyBinary(BinOp op, const Variant& a, const Variant& b);

struct UnaryExpr : Expr {
    bool isNot = false;  // Not, else negation
    ExprPtr operand;
    Variant Eval(EngineImpl& e) override;
};

// ---- statements ----

struct CallStmt : Stmt {
    ExprPtr call;
    Flow Exec(EngineImpl& e) override {
        call->Call(e);
        return Flow::Normal;
    }
};

struct AssignStmt : Stmt {
    ExprPtr target, value;
    bool isSet = false;
    Flow Exec(EngineImpl& e) override;
    // Called once the statement is complete: notes the shapes that have a shorter path.
    void Prepare();

  private:
    bool AppendInPlace(EngineImpl& e);
    NameExpr* plain_ = nullptr;             // the target, when it is a plain variable
    NameExpr* appendFrom_ = nullptr;        // x = x & y: y when it is a plain variable
    const Variant* appendConst_ = nullptr;  // x = x & "text": the constant
};

struct IfStmt : Stmt {
    ExprList conds;
    NodeVector<Block> blocks;  // blocks.size() == conds.size() (+1 with Else)
    Flow Exec(EngineImpl& e) override;
};

struct SelectStmt : Stmt {
    ExprPtr subject;
    struct Case {
        ExprList values;  // empty: Case Else
        Block body;
    };
    NodeVector<Case> cases;
    Flow Exec(EngineImpl& e) override;
};

struct ForStmt : Stmt {
    ExprPtr var, from, to, step;
    Block body;
    Flow Exec(EngineImpl& e) override;
};

struct ForEachStmt : Stmt {
    ExprPtr var, collection;
    Block body;
    Flow Exec(EngineImpl& e) override;
};

struct DoStmt : Stmt {
    ExprPtr cond;
    bool condAtEnd = false;
    bool isUntil = false;
    Block body;
    Flow Exec(EngineImpl& e) override;
};

struct ExitStmt : Stmt {
    Flow flow;
    Flow Exec(EngineImpl&) override { return flow; }
};

struct ReDimStmt : Stmt {
    bool preserve = false;
    struct Item {
        ExprPtr target;
        ExprList dims;
    };
    NodeVector<Item> items;
    Flow Exec(EngineImpl& e) override;
};

struct EraseStmt : Stmt {
    ExprPtr target;
    Flow Exec(EngineImpl& e) override;
};

struct OnErrorStmt : Stmt {
    bool resumeNext = false;
    Flow Exec(EngineImpl& e) override;
};

struct WithStmt : Stmt {
    ExprPtr object;
    int slot = 0;
    Block body;
    Flow Exec(EngineImpl& e) override;
};

// Assigns a local or global constant / declares a global at run time (Execute, class fields).
struct ConstStmt : Stmt {
    ExprPtr target;
    ExprPtr value;
    Flow Exec(EngineImpl& e) override {
        target->Assign(e, value->Eval(e), false);
        return Flow::Normal;
    }
};

struct DimArrayStmt : Stmt {
    ExprPtr target;
    ExprList dims;
    Flow Exec(EngineImpl& e) override;
};

struct RandomizeStmt : Stmt {
    ExprPtr seed;
    Flow Exec(EngineImpl& e) override;
};

struct NopStmt : Stmt {
    Flow Exec(EngineImpl&) override { return Flow::Normal; }
};

// Makes a fresh array for a Dim with dimensions (evaluated where the Dim stands).
Variant MakeFixedArray(EngineImpl& e, const ExprList& dims, bool fixed);

}  // namespace vbs
