// The code generator: what the parser recognises becomes nodes here. It owns the program being
// built and the scopes of names - a name is resolved once, at compile time, to a local slot,
// a field or member of the class being compiled, or a global atom - and it checks the rules
// that are about meaning rather than grammar (a name declared twice, Exit outside its
// procedure, two default members ...).
//
// The parser (parser/Parser.cpp) calls it in source order: BeginProc ... EndProc around a
// procedure's body, BeginClass ... EndClass around a class, BeginWith ... EndWith around a With
// block; statements are added to the block the parser is filling.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "codegen/Nodes.h"
#include "lexer/Lexer.h"

namespace vbs {

// Compile error numbers.
enum CompileError : int {
    kSyntax = 1002,
    kExpectedLParen = 1005,
    kExpectedRParen = 1006,
    kExpectedIdent = 1010,
    kExpectedEq = 1011,
    kExpectedIf = 1012,
    kExpectedTo = 1013,
    kExpectedEnd = 1014,
    kExpectedFunction = 1015,
    kExpectedSub = 1016,
    kExpectedThen = 1017,
    kExpectedWend = 1018,
    kExpectedLoop = 1019,
    kExpectedNext = 1020,
    kExpectedCase = 1021,
    kExpectedSelect = 1022,
    kExpectedExpr = 1023,
    kExpectedStatement = 1024,
    kExpectedEos = 1025,
    kExpectedInteger = 1026,
    kExpectedWhileUntil = 1028,
    kExpectedWith = 1029,
    kInvalidMe = 1037,
    kLoopWithoutDo = 1038,
    kInvalidExit = 1039,
    kInvalidForVar = 1040,
    kNameRedefined = 1041,
    kMustBeFirst = 1042,
    kParensOnSub = 1044,
    kExpectedLiteral = 1045,
    kExpectedIn = 1046,
    kExpectedClass = 1047,
    kMustBeInClass = 1048,
    kExpectedLetSetGet = 1049,
    kExpectedProperty = 1050,
    kArgCountProperty = 1051,
    kMultipleDefault = 1052,
    kInitNoArgs = 1053,
    kPropNeedsArg = 1054,
    kUnexpectedNext = 1055,
    kDefaultOnlyProc = 1056,
    kDefaultNeedsPublic = 1057,
    kDefaultOnlyGet = 1058,
};

// Where in the text a check fails (the parser's current token).
struct SourcePos {
    int line = 0;
    int column = 0;
};

// Names of one scope, lower case -> slot. Most procedures have a handful: they are kept in a
// list searched in order, with a hash index only once the list grows long. The list is made
// in the program's node memory, where it ends up (TakeEntries).
class ScopeNames {
  public:
    using Entries = NodeVector<std::pair<NodeString, int>>;

    const int* Find(const std::u16string& lower) const {
        const int* slot = EntryOf(*this, lower);
        return slot && *slot != kHidden ? slot : nullptr;
    }
    bool Contains(const std::u16string& lower) const { return Find(lower) != nullptr; }
    // Adds the name unless it is there already.
    void Add(const std::u16string& lower, int slot) {
        if (Entry(lower)) return;
        entries_.emplace_back(NodeString(lower.data(), lower.size()), slot);
        if (!index_.empty()) {
            index_.emplace(lower, entries_.size() - 1);
        } else if (entries_.size() > kListed) {
            for (size_t i = 0; i < entries_.size(); ++i)
                index_.emplace(std::u16string(entries_[i].first.data(), entries_[i].first.size()),
                               i);
        }
    }
    // Adds the name or gives it a new slot.
    void Set(const std::u16string& lower, int slot) {
        if (int* found = Entry(lower))
            *found = slot;
        else
            Add(lower, slot);
    }
    // Hides a name while something is looked up as if it were not there; Show undoes it.
    int Hide(const std::u16string& lower) {
        int* found = Entry(lower);
        const int slot = *found;
        *found = kHidden;
        return slot;
    }
    void Show(const std::u16string& lower, int slot) { *Entry(lower) = slot; }
    // Hands the names with their slots over (the scope is done with them) and leaves it empty.
    Entries TakeEntries() {
        index_.clear();
        std::erase_if(entries_, [](const auto& e) { return e.second < 0; });
        return std::exchange(entries_, {});
    }

  private:
    static constexpr int kHidden = -1;
    static constexpr size_t kListed = 16;
    // The slot of the name, hidden or not (const int* for a const scope); nullptr when absent.
    template <typename Self>
    static auto EntryOf(Self& self, const std::u16string& lower)
        -> decltype(&self.entries_.front().second) {
        if (!self.index_.empty()) {
            auto it = self.index_.find(lower);
            return it == self.index_.end() ? nullptr : &self.entries_[it->second].second;
        }
        for (auto& [name, slot] : self.entries_)
            if (std::u16string_view(name) == lower) return &slot;
        return nullptr;
    }
    int* Entry(const std::u16string& lower) { return EntryOf(*this, lower); }
    Entries entries_;
    std::unordered_map<std::u16string, size_t> index_;
};

struct ProcScope {
    ProcDef* proc = nullptr;
    ScopeNames locals;    // declared names
    ScopeNames implicit;  // names used without a declaration -> hidden slot
    bool isTop = false;
};

class CodeGen {
  public:
    CodeGen(EngineImpl& e, Program& prog) : e_(e), prog_(prog) {}

    Program& program() { return prog_; }
    bool AtTopLevel() const { return scope_->isTop; }
    bool InClass() const { return cls_ != nullptr; }
    bool InWith() const { return !withSlots_.empty(); }
    // The top-level scope; with Option Explicit names must be declared.
    void BeginTopLevel(ProcScope& top);
    void SetOptionExplicit() { prog_.optionExplicit = true; }

    // ---- expressions ----
    ExprPtr Name(std::u16string_view name, int line);
    // name(args): the name of the current function with arguments is a recursive call.
    ExprPtr WithArgs(ExprPtr node, ExprList args, int line);
    ExprPtr Me(int line);
    ExprPtr Member(ExprPtr object, std::u16string_view name, int line);  // object.name
    ExprPtr WithMember(std::u16string_view name, int line);              // .name inside With
    ExprPtr Binary(BinOp op, ExprPtr left, ExprPtr right, int line);
    ExprPtr Not(ExprPtr operand, int line);
    ExprPtr Negate(ExprPtr operand, int line);
    ExprPtr Const(Variant v, int line);
    ExprPtr MissingArg(int line);  // an omitted argument: f(1, , 3)
    ExprPtr Nothing(int line);
    ExprPtr New(std::u16string className, int line);
    ExprPtr Paren(ExprPtr inner, int line);
    // The variable of a For or For Each loop (not a method or property of the class).
    ExprPtr LoopVariable(const std::u16string& name, int line, SourcePos at);

    // ---- statements ----
    // Adds a statement of type S, at line, to b and returns it to be filled in.
    template <typename S>
    S& Add(Block& b, int line) {
        auto s = std::make_unique<S>();
        s->line = line;
        S& ref = *s;
        b.stmts.push_back(std::move(s));
        return ref;
    }
    void Assign(Block& b, ExprPtr target, ExprPtr value, bool isSet, int line);
    void Call(Block& b, ExprPtr call, int line);
    // name(x) as a statement passes (x) by value; name(x, y) is an error (1044).
    void CallWithParens(Block& b, ExprPtr call, int line, SourcePos at);
    // head args... (a statement call without parentheses); false when head takes no list.
    bool CallWithList(Block& b, ExprPtr head, ExprList args, int line);
    void Exit(Block& b, Kw what, int line, SourcePos at);
    int BeginWith();  // the hidden local that holds the With object
    void EndWith();

    // ---- declarations ----
    void DeclareVariable(Block& b, const std::u16string& name, ExprList dims, bool isArray,
                         int line);
    void DeclareConst(const std::u16string& name, ExprPtr value);
    // The target of a ReDim item (declaring the name where ReDim declares it).
    ExprPtr ReDimTarget(const std::u16string& name, int line);
    // A local of the procedure being compiled that a later Dim, ReDim or Const declares
    // (they declare it for the whole procedure); ReDim of a field or, without Option Explicit,
    // of another name does not.
    void PredeclareLocal(ProcScope& scope, const Token& name, Kw statement);

    // ---- procedures ----
    // Starts a procedure; its scope lives in the caller until EndProc.
    ProcDef& BeginProc(ProcScope& scope, ProcKind kind, std::u16string name, bool isPublic,
                       bool isDefault, int line);
    void AddParam(ProcScope& scope, std::u16string name, bool byRef);
    // Around the body: names then resolve in the procedure's scope.
    void EnterBody(ProcScope& scope);
    void LeaveBody(ProcScope& scope);
    // After End Sub/Function/Property: the procedure joins its class or the program.
    void EndProc(bool inClass, SourcePos at);

    // ---- classes ----
    ClassDef& BeginClass(std::u16string name, int line);
    // Registers a member name met ahead of its definition (the class prescan).
    void PredeclareField(const std::u16string& name, bool isPublic);
    void PredeclareMember(const std::u16string& name, bool isMethod, bool isPublic);
    // The field a Dim/Public/Private list names; its dimensions when it is an array.
    void DefineField(const std::u16string& name, bool isArray, ExprList dims);
    void EndClass();

    // State saved before a statement and restored after a failed one (syntax checking).
    struct Mark {
        ProcScope* scope;
        ClassDef* cls;
        size_t withDepth;
    };
    Mark Save() const { return {scope_, cls_, withSlots_.size()}; }
    void Restore(const Mark& m);

  private:
    int HiddenLocal() { return scope_->proc->localCount++; }
    ExprPtr RetargetSelfCall(std::unique_ptr<NameExpr> n);
    void AddClassProc(std::unique_ptr<ProcDef> def, SourcePos at);
    static ExprPtr Unparenthesized(ExprPtr x);

    EngineImpl& e_;
    Program& prog_;
    std::u16string lower_;  // Name's lookup key, reused from name to name
    ProcScope* scope_ = nullptr;
    ProcScope* outer_ = nullptr;  // the scope around the procedure being compiled
    std::unique_ptr<ProcDef> proc_;
    std::vector<int> outerWith_;  // With blocks around it (not visible inside)
    std::unique_ptr<ClassDef> class_;
    ClassDef* cls_ = nullptr;
    std::vector<int> withSlots_;
    std::unordered_set<std::u16string> declaredHere_;
};

}  // namespace vbs
