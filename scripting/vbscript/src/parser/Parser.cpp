// The recursive-descent compiler: turns tokens into nodes, resolving locals and class members to
// slots and every other name to an atom of the engine.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "codegen/Nodes.h"
#include "parser/Parser.h"

namespace vbs {

namespace {

// Compile error numbers.
enum : int {
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

constexpr int kMaxNesting = 200;

struct ProcScope {
    ProcDef* proc = nullptr;
    std::unordered_map<std::u16string, int> locals;    // lower -> slot
    std::unordered_map<std::u16string, int> implicit;  // undeclared names -> hidden slot
    bool isTop = false;
};

class Parser {
  public:
    Parser(EngineImpl& e, std::vector<Token> toks, Program& prog)
        : e_(e), t_(std::move(toks)), prog_(prog) {}

    void ParseProgram() {
        ProcScope top;
        top.proc = &prog_.top;
        top.isTop = true;
        scope_ = &top;
        SkipNewlines();
        if (Is(Kw::Option)) {
            Next();
            Expect(Kw::Explicit, kSyntax);
            prog_.optionExplicit = true;
            EndOfStatement();
        }
        while (Cur().kind != Tok::End) {
            if (Cur().kind == Tok::Newline) {
                Next();
                continue;
            }
            if (!Recovering([&] { ParseTopLevelItem(prog_.top.body); })) break;
        }
        prog_.top.localCount = std::max(prog_.top.localCount, 1);
    }

    ExprPtr ParseLoneExpression() {
        ProcScope top;
        top.proc = &prog_.top;
        top.isTop = true;
        scope_ = &top;
        SkipNewlines();
        ExprPtr x = ParseExpr();
        SkipNewlines();
        if (Cur().kind != Tok::End) Fail(kExpectedEos);
        return x;
    }

    // Checking mode: a failed statement is recorded in errors and parsing goes on with the
    // next line, so that one pass finds every error.
    void CollectErrors(std::vector<CompileFailure>* errors) { errors_ = errors; }

  private:
    // Runs one statement's (or member's) parser. In checking mode a failure is recorded and
    // the rest of its line skipped; false when that reached the end of the text.
    template <typename F>
    bool Recovering(F&& parse) {
        if (!errors_) {
            parse();
            return true;
        }
        size_t start = pos_;
        ProcScope* scope = scope_;
        ClassDef* cls = cls_;
        int singleLineIf = singleLineIf_, loopDepth = loopDepth_;
        size_t withDepth = withSlots_.size();
        try {
            parse();
            return true;
        } catch (const CompileFailure& f) {
            // A block whose head failed leaves its closing line behind: that line's own
            // error says nothing new.
            if (StartsWithCloser(start) && openFailures_ > 0) {
                --openFailures_;
            } else {
                errors_->push_back(f);
                if (OpensBlock(start)) ++openFailures_;
            }
            scope_ = scope;
            cls_ = cls;
            singleLineIf_ = singleLineIf;
            loopDepth_ = loopDepth;
            withSlots_.resize(withDepth);
            while (!Is(Tok::Newline) && !Is(Tok::End)) Next();
            if (Is(Tok::End)) return false;
            Next();
            return true;
        }
    }

    bool StartsWithCloser(size_t at) const {
        const Token& t = t_[at];
        if (t.kind != Tok::Keyword) return false;
        switch (t.kw) {
            case Kw::End:
            case Kw::Next:
            case Kw::Loop:
            case Kw::Wend:
                return true;
            default:
                return false;
        }
    }
    // Whether the statement at `at` opens a block (a multi-line If ends its line with Then).
    bool OpensBlock(size_t at) const {
        size_t i = at;
        while (i < t_.size() && t_[i].kind == Tok::Keyword &&
               (t_[i].kw == Kw::Public || t_[i].kw == Kw::Private || t_[i].kw == Kw::Default))
            ++i;
        if (i >= t_.size() || t_[i].kind != Tok::Keyword) return false;
        switch (t_[i].kw) {
            case Kw::Sub:
            case Kw::Function:
            case Kw::Property:
            case Kw::Class:
            case Kw::Select:
            case Kw::For:
            case Kw::Do:
            case Kw::While:
            case Kw::With:
                return true;
            case Kw::If: {
                size_t j = i;
                while (j + 1 < t_.size() && t_[j + 1].kind != Tok::Newline &&
                       t_[j + 1].kind != Tok::End)
                    ++j;
                return t_[j].kind == Tok::Keyword && t_[j].kw == Kw::Then;
            }
            default:
                return false;
        }
    }

    // ---- tokens ----
    const Token& Cur() const { return t_[pos_]; }
    const Token& Peek(size_t k = 1) const { return t_[std::min(pos_ + k, t_.size() - 1)]; }
    void Next() {
        if (pos_ + 1 < t_.size()) ++pos_;
    }
    bool Is(Kw k) const { return Cur().kind == Tok::Keyword && Cur().kw == k; }
    bool Is(Tok k) const { return Cur().kind == k; }
    [[noreturn]] void Fail(int number) const {
        throw CompileFailure{number, Cur().line, Cur().column};
    }
    void Expect(Kw k, int err) {
        if (!Is(k)) Fail(err);
        Next();
    }
    void Expect(Tok k, int err) {
        if (!Is(k)) Fail(err);
        Next();
    }
    void SkipNewlines() {
        while (Is(Tok::Newline)) Next();
    }
    bool AtEos() const {
        return Is(Tok::Newline) || Is(Tok::End) || (singleLineIf_ > 0 && Is(Kw::Else)) ||
               Is(Kw::End);
    }
    void EndOfStatement() {
        if (Is(Tok::End)) return;
        if (singleLineIf_ > 0 && Is(Kw::Else)) return;
        if (Is(Kw::End)) return;  // "Sub f() x = 1 End Sub" on one line
        if (!Is(Tok::Newline)) Fail(kExpectedEos);
        Next();
    }
    // Keywords that may also name things.
    static bool IsNameToken(const Token& t) {
        if (t.kind == Tok::Ident) return true;
        if (t.kind != Tok::Keyword) return false;
        switch (t.kw) {
            case Kw::Default:
            case Kw::Error:
            case Kw::Explicit:
            case Kw::Property:
            case Kw::Step:
            case Kw::Randomize:
            case Kw::Erase:
                return true;
            default:
                return false;
        }
    }
    std::u16string ExpectName() {
        if (!IsNameToken(Cur())) Fail(kExpectedIdent);
        std::u16string n = Cur().text;
        Next();
        return n;
    }
    // After a dot every word names a member.
    std::u16string ExpectMemberName() {
        if (Cur().kind != Tok::Ident && Cur().kind != Tok::Keyword) Fail(kExpectedIdent);
        std::u16string n = Cur().text;
        Next();
        return n;
    }

    struct DepthGuard {
        explicit DepthGuard(Parser& p) : p(p) {
            if (++p.nesting_ > kMaxNesting) {
                --p.nesting_;
                throw CompileFailure{kErrOutOfStack, p.Cur().line, p.Cur().column};
            }
        }
        ~DepthGuard() { --p.nesting_; }
        Parser& p;
    };

    // ---- names ----
    int HiddenLocal() { return scope_->proc->localCount++; }

    ExprPtr MakeName(const std::u16string& name, int line) {
        auto n = std::make_unique<NameExpr>();
        n->line = line;
        n->name = name;
        n->explicitOpt = prog_.optionExplicit;
        std::u16string lower = Lower(name);
        if (!scope_->isTop) {
            auto it = scope_->locals.find(lower);
            if (it != scope_->locals.end()) {
                n->mode = NameMode::Local;
                n->slot = it->second;
                return n;
            }
        }
        if (cls_) {
            auto it = cls_->byName.find(lower);
            if (it != cls_->byName.end()) {
                const ClassMember& m = cls_->members[size_t(it->second)];
                if (m.kind == ClassMember::Field) {
                    n->mode = NameMode::Field;
                    n->slot = m.field;
                } else {
                    n->mode = NameMode::MeMember;
                    n->slot = it->second;
                }
                return n;
            }
        }
        n->atom = e_.AtomOf(name);
        n->dynScope = prog_.dynamicScope && scope_->isTop;
        if (!scope_->isTop && !prog_.optionExplicit) {
            n->mode = NameMode::Dyn;
            auto it = scope_->implicit.find(lower);
            if (it == scope_->implicit.end())
                it = scope_->implicit.emplace(lower, HiddenLocal()).first;
            n->slot = it->second;
        } else {
            n->mode = NameMode::Global;
        }
        return n;
    }

    // The name of the current function used with arguments is a recursive call.
    ExprPtr RetargetSelfCall(std::unique_ptr<NameExpr> n) {
        if (n->mode != NameMode::Local || n->slot != 0 || scope_->isTop) return n;
        std::u16string name = n->name;
        int line = n->line;
        // Look it up as if the return slot were not there.
        auto self = scope_->locals.find(Lower(name));
        int saved = self->second;
        scope_->locals.erase(self);
        ExprPtr r = MakeName(name, line);
        scope_->locals.emplace(Lower(name), saved);
        return r;
    }

    // ---- expressions ----
    ExprPtr ParseExpr() { return ParseImp(); }

    // Parentheses matter only around a whole argument (ByVal passing): an operand needs none.
    static ExprPtr Unparenthesized(ExprPtr x) {
        while (auto* p = dynamic_cast<ParenExpr*>(x.get())) {
            ExprPtr inner = std::move(p->inner);
            x = std::move(inner);
        }
        return x;
    }

    template <typename Sub>
    ExprPtr Binary(ExprPtr left, BinOp op, Sub sub) {
        int line = Cur().line;
        Next();
        auto b = MakeBinary(op);
        b->line = line;
        b->left = Unparenthesized(std::move(left));
        b->right = Unparenthesized((this->*sub)());
        if (auto* c = dynamic_cast<ConstExpr*>(b->right.get())) b->rightConst = &c->value;
        return b;
    }

    ExprPtr ParseImp() {
        ExprPtr l = ParseEqv();
        while (Is(Kw::Imp)) l = Binary(std::move(l), BinOp::Imp, &Parser::ParseEqv);
        return l;
    }
    ExprPtr ParseEqv() {
        ExprPtr l = ParseXor();
        while (Is(Kw::Eqv)) l = Binary(std::move(l), BinOp::Eqv, &Parser::ParseXor);
        return l;
    }
    ExprPtr ParseXor() {
        ExprPtr l = ParseOr();
        while (Is(Kw::Xor)) l = Binary(std::move(l), BinOp::Xor, &Parser::ParseOr);
        return l;
    }
    ExprPtr ParseOr() {
        ExprPtr l = ParseAnd();
        while (Is(Kw::Or)) l = Binary(std::move(l), BinOp::Or, &Parser::ParseAnd);
        return l;
    }
    ExprPtr ParseAnd() {
        ExprPtr l = ParseNot();
        while (Is(Kw::And)) l = Binary(std::move(l), BinOp::And, &Parser::ParseNot);
        return l;
    }
    ExprPtr ParseNot() {
        if (Is(Kw::Not)) {
            DepthGuard g(*this);
            auto u = std::make_unique<UnaryExpr>();
            u->line = Cur().line;
            Next();
            u->isNot = true;
            u->operand = ParseNot();
            return u;
        }
        return ParseCompare();
    }
    ExprPtr ParseCompare() {
        ExprPtr l = ParseConcat();
        for (;;) {
            BinOp op;
            if (Is(Tok::Eq))
                op = BinOp::Eq;
            else if (Is(Tok::Ne))
                op = BinOp::Ne;
            else if (Is(Tok::Lt))
                op = BinOp::Lt;
            else if (Is(Tok::Gt))
                op = BinOp::Gt;
            else if (Is(Tok::Le))
                op = BinOp::Le;
            else if (Is(Tok::Ge))
                op = BinOp::Ge;
            else if (Is(Kw::Is))
                op = BinOp::Is;
            else
                return l;
            l = Binary(std::move(l), op, &Parser::ParseConcat);
        }
    }
    ExprPtr ParseConcat() {
        ExprPtr l = ParseAdd();
        while (Is(Tok::Amp)) l = Binary(std::move(l), BinOp::Concat, &Parser::ParseAdd);
        return l;
    }
    ExprPtr ParseAdd() {
        ExprPtr l = ParseMod();
        for (;;) {
            if (Is(Tok::Plus))
                l = Binary(std::move(l), BinOp::Add, &Parser::ParseMod);
            else if (Is(Tok::Minus))
                l = Binary(std::move(l), BinOp::Sub, &Parser::ParseMod);
            else
                return l;
        }
    }
    ExprPtr ParseMod() {
        ExprPtr l = ParseIntDiv();
        while (Is(Kw::Mod)) l = Binary(std::move(l), BinOp::Mod, &Parser::ParseIntDiv);
        return l;
    }
    ExprPtr ParseIntDiv() {
        ExprPtr l = ParseMul();
        while (Is(Tok::Backslash)) l = Binary(std::move(l), BinOp::IntDiv, &Parser::ParseMul);
        return l;
    }
    ExprPtr ParseMul() {
        ExprPtr l = ParseMulOperand();
        for (;;) {
            if (Is(Tok::Star))
                l = Binary(std::move(l), BinOp::Mul, &Parser::ParseMulOperand);
            else if (Is(Tok::Slash))
                l = Binary(std::move(l), BinOp::Div, &Parser::ParseMulOperand);
            else
                return l;
        }
    }
    // Unary minus binds tighter than "^" in VBScript: -3 ^ 2 = 9.
    ExprPtr ParseUnary() {
        DepthGuard g(*this);
        if (Is(Tok::Minus)) {
            auto u = std::make_unique<UnaryExpr>();
            u->line = Cur().line;
            Next();
            u->operand = ParseUnary();
            return u;
        }
        if (Is(Tok::Plus)) {
            Next();
            return ParseUnary();
        }
        return ParsePrimary();
    }
    ExprPtr ParseMulOperand() {
        ExprPtr l = ParseUnary();
        while (Is(Tok::Caret)) l = Binary(std::move(l), BinOp::Pow, &Parser::ParseUnary);
        return l;
    }

    ExprPtr Const(Variant v, int line) {
        auto c = std::make_unique<ConstExpr>();
        c->value = std::move(v);
        c->line = line;
        return c;
    }

    ExprPtr ParsePrimary() {
        DepthGuard g(*this);
        const Token& t = Cur();
        int line = t.line;
        switch (t.kind) {
            case Tok::Number:
            case Tok::Date: {
                Variant v = t.value;
                Next();
                return Const(std::move(v), line);
            }
            case Tok::String: {
                Variant v = Variant::String(t.text);
                Next();
                return Const(std::move(v), line);
            }
            case Tok::LParen: {
                Next();
                auto p = std::make_unique<ParenExpr>();
                p->line = line;
                p->inner = ParseExpr();
                Expect(Tok::RParen, kExpectedRParen);
                // (name)(args) calls name with args.
                if (auto* n = dynamic_cast<NameExpr*>(p->inner.get());
                    n && !n->hasParens && Is(Tok::LParen))
                    return ParsePostfix(std::move(p->inner), false);
                return ParsePostfix(std::move(p), false);
            }
            case Tok::Dot:
                return ParseChain(false);
            case Tok::Ident:
                return ParseChain(false);
            case Tok::Keyword:
                switch (t.kw) {
                    case Kw::True:
                        Next();
                        return Const(Variant::Bool(true), line);
                    case Kw::False:
                        Next();
                        return Const(Variant::Bool(false), line);
                    case Kw::Empty:
                        Next();
                        return Const(Variant(), line);
                    case Kw::Null:
                        Next();
                        return Const(Variant::Null(), line);
                    case Kw::Nothing: {
                        Next();
                        auto n = std::make_unique<NothingExpr>();
                        n->line = line;
                        return n;
                    }
                    case Kw::New: {
                        Next();
                        auto n = std::make_unique<NewExpr>();
                        n->line = line;
                        n->name = ExpectName();
                        n->atom = e_.AtomOf(n->name);
                        return n;
                    }
                    case Kw::Me:
                        return ParseChain(false);
                    default:
                        if (IsNameToken(t)) return ParseChain(false);
                        Fail(kExpectedExpr);
                }
            default:
                Fail(kExpectedExpr);
        }
    }

    std::vector<ExprPtr> ParseArgs() {
        // Cur is '('.
        Next();
        std::vector<ExprPtr> args;
        if (Is(Tok::RParen)) {
            Next();
            return args;
        }
        for (;;) {
            if (Is(Tok::Comma) || Is(Tok::RParen))
                args.push_back(Const(Variant::Error(int32_t(0x80020004)), Cur().line));
            else
                args.push_back(ParseExpr());
            if (Is(Tok::Comma)) {
                Next();
                continue;
            }
            Expect(Tok::RParen, kExpectedRParen);
            return args;
        }
    }

    ExprPtr MakeMe(int line) {
        if (cls_ && !scope_->isTop) {
            auto m = std::make_unique<MeExpr>();
            m->line = line;
            return m;
        }
        return MakeName(u"Me", line);
    }

    // A name, Me or .member followed by member accesses and argument lists.
    // With noParens the chain stops before an argument list (statement calls).
    ExprPtr ParseChain(bool noParens) {
        const Token& t = Cur();
        int line = t.line;
        ExprPtr node;
        if (t.kind == Tok::Dot) {
            Next();
            auto m = std::make_unique<MemberExpr>();
            m->line = line;
            m->withSlot = withSlots_.empty() ? -1 : withSlots_.back();
            m->name = ExpectMemberName();
            node = std::move(m);
        } else if (t.kind == Tok::Keyword && t.kw == Kw::Me) {
            Next();
            node = MakeMe(line);
        } else {
            std::u16string name = ExpectName();
            node = MakeName(name, line);
        }
        return ParsePostfix(std::move(node), noParens);
    }

    ExprPtr ParsePostfix(ExprPtr node, bool noParens) {
        for (;;) {
            if (Is(Tok::LParen) && !noParens) {
                int line = Cur().line;
                if (auto* n = dynamic_cast<NameExpr*>(node.get()); n && !n->hasParens) {
                    std::unique_ptr<NameExpr> owned(static_cast<NameExpr*>(node.release()));
                    ExprPtr re = RetargetSelfCall(std::move(owned));
                    auto* rn = static_cast<NameExpr*>(re.get());
                    rn->args = ParseArgs();
                    rn->hasParens = true;
                    node = std::move(re);
                    continue;
                }
                if (auto* m = dynamic_cast<MemberExpr*>(node.get()); m && !m->hasParens) {
                    m->args = ParseArgs();
                    m->hasParens = true;
                    continue;
                }
                auto ix = std::make_unique<IndexExpr>();
                ix->line = line;
                ix->base = std::move(node);
                ix->args = ParseArgs();
                node = std::move(ix);
                continue;
            }
            if (Is(Tok::Dot) && !(Cur().spaceBefore && (noParens || !withSlots_.empty()))) {
                int line = Cur().line;
                Next();
                auto m = std::make_unique<MemberExpr>();
                m->line = line;
                m->object = std::move(node);
                m->name = ExpectMemberName();
                node = std::move(m);
                continue;
            }
            return node;
        }
    }

    // ---- statements ----
    bool IsBlockEnd() const {
        if (Is(Tok::End)) return true;
        if (Cur().kind != Tok::Keyword) return false;
        switch (Cur().kw) {
            case Kw::End:
            case Kw::Else:
            case Kw::ElseIf:
            case Kw::Case:
            case Kw::Loop:
            case Kw::Next:
            case Kw::Wend:
                return true;
            default:
                return false;
        }
    }

    void ParseBlock(Block& b) {
        for (;;) {
            SkipNewlines();
            if (IsBlockEnd()) return;
            if (!Recovering([&] { ParseStatement(b); })) return;
        }
    }

    void ParseTopLevelItem(Block& b) {
        const Token& t = Cur();
        if (t.kind == Tok::Keyword) {
            switch (t.kw) {
                case Kw::Sub:
                case Kw::Function:
                    ParseProc(false, false);
                    return;
                case Kw::Class:
                    ParseClass();
                    return;
                case Kw::Public:
                case Kw::Private: {
                    const Token& nx = Peek();
                    if (nx.kind == Tok::Keyword &&
                        (nx.kw == Kw::Sub || nx.kw == Kw::Function || nx.kw == Kw::Default ||
                         nx.kw == Kw::Property)) {
                        bool isPrivate = t.kw == Kw::Private;
                        Next();
                        if (Is(Kw::Default)) Fail(kDefaultOnlyProc);
                        if (Is(Kw::Property)) Fail(kMustBeInClass);
                        ParseProc(isPrivate, false);
                        return;
                    }
                    if (nx.kind == Tok::Keyword && nx.kw == Kw::Const) {
                        Next();
                        ParseConst(b);
                        return;
                    }
                    Next();
                    ParseDim(b);
                    return;
                }
                case Kw::Property:
                    Fail(kMustBeInClass);
                default:
                    break;
            }
        }
        ParseStatement(b);
    }

    void ParseStatement(Block& b) {
        DepthGuard g(*this);
        const Token& t = Cur();
        int line = t.line;
        if (t.kind == Tok::Keyword) {
            switch (t.kw) {
                case Kw::Dim:
                    Next();
                    ParseDim(b);
                    return;
                case Kw::Const:
                    ParseConst(b);
                    return;
                case Kw::ReDim:
                    ParseReDim(b);
                    return;
                case Kw::Erase: {
                    Next();
                    auto s = std::make_unique<EraseStmt>();
                    s->line = line;
                    s->target = MakeName(ExpectName(), line);
                    b.stmts.push_back(std::move(s));
                    EndOfStatement();
                    return;
                }
                case Kw::If:
                    ParseIf(b);
                    return;
                case Kw::Select:
                    ParseSelect(b);
                    return;
                case Kw::For:
                    ParseFor(b);
                    return;
                case Kw::Do:
                    ParseDo(b);
                    return;
                case Kw::While:
                    ParseWhile(b);
                    return;
                case Kw::With:
                    ParseWith(b);
                    return;
                case Kw::Exit:
                    ParseExit(b);
                    return;
                case Kw::On:
                    ParseOnError(b);
                    return;
                case Kw::Set:
                case Kw::Let: {
                    bool isSet = t.kw == Kw::Set;
                    Next();
                    ExprPtr target = ParseChain(false);
                    Expect(Tok::Eq, kExpectedEq);
                    auto s = std::make_unique<AssignStmt>();
                    s->line = line;
                    s->target = std::move(target);
                    s->value = ParseExpr();
                    s->isSet = isSet;
                    s->Prepare();
                    b.stmts.push_back(std::move(s));
                    EndOfStatement();
                    return;
                }
                case Kw::Call: {
                    Next();
                    ExprPtr target;
                    if (Is(Tok::LParen)) {
                        // Call (((name))) (args): the parentheses around a bare name go.
                        size_t save = pos_;
                        int opens = 0;
                        while (Is(Tok::LParen)) ++opens, Next();
                        if (IsNameToken(Cur()) && Peek().kind == Tok::RParen) {
                            int nameLine = Cur().line;
                            std::u16string name = Cur().text;
                            Next();
                            int closes = 0;
                            while (closes < opens && Is(Tok::RParen)) ++closes, Next();
                            if (closes == opens)
                                target = ParsePostfix(MakeName(name, nameLine), false);
                        }
                        if (!target) {
                            pos_ = save;
                            target = ParsePrimary();
                        }
                    } else {
                        target = ParseChain(false);
                    }
                    auto s = std::make_unique<CallStmt>();
                    s->line = line;
                    s->call = std::move(target);
                    b.stmts.push_back(std::move(s));
                    EndOfStatement();
                    return;
                }
                case Kw::Randomize: {
                    Next();
                    auto s = std::make_unique<RandomizeStmt>();
                    s->line = line;
                    if (!AtEos()) s->seed = ParseExpr();
                    b.stmts.push_back(std::move(s));
                    EndOfStatement();
                    return;
                }
                case Kw::Stop: {
                    Next();
                    EndOfStatement();
                    return;
                }
                case Kw::Property:
                    // "Property" also names variables.
                    if (!(Peek().kind == Tok::Keyword &&
                          (Peek().kw == Kw::Get || Peek().kw == Kw::Let || Peek().kw == Kw::Set)))
                        break;
                    [[fallthrough]];
                case Kw::Sub:
                case Kw::Function:
                case Kw::Class:
                case Kw::Public:
                case Kw::Private:
                    // Definitions may stand inside blocks of top-level code; they exist anyway.
                    if (scope_->isTop && !cls_) {
                        ParseTopLevelItem(b);
                        return;
                    }
                    Fail(kSyntax);
                case Kw::Option:
                    Fail(kMustBeFirst);
                case Kw::Me:
                    break;
                case Kw::Next:
                    Fail(kUnexpectedNext);
                case Kw::Loop:
                    Fail(kLoopWithoutDo);
                default:
                    if (!IsNameToken(t)) Fail(kExpectedStatement);
            }
        } else if (t.kind != Tok::Ident && t.kind != Tok::Dot) {
            Fail(kExpectedStatement);
        }
        ParseAssignOrCall(b);
    }

    void ParseAssignOrCall(Block& b) {
        int line = Cur().line;
        size_t start = pos_;
        ExprPtr head = ParseChain(false);
        if (Is(Tok::Eq)) {
            Next();
            auto s = std::make_unique<AssignStmt>();
            s->line = line;
            s->target = std::move(head);
            s->value = ParseExpr();
            s->Prepare();
            b.stmts.push_back(std::move(s));
            EndOfStatement();
            return;
        }
        auto s = std::make_unique<CallStmt>();
        s->line = line;
        if (AtEos()) {
            // Foo(x) as a statement passes (x) by value; Foo(x, y) is not allowed.
            std::vector<ExprPtr>* args = nullptr;
            bool parens = false;
            if (auto* n = dynamic_cast<NameExpr*>(head.get()))
                args = &n->args, parens = n->hasParens;
            if (auto* m = dynamic_cast<MemberExpr*>(head.get()))
                args = &m->args, parens = m->hasParens;
            if (args && parens) {
                if (args->size() > 1) Fail(kParensOnSub);
                if (args->size() == 1) {
                    auto p = std::make_unique<ParenExpr>();
                    p->line = line;
                    p->inner = std::move((*args)[0]);
                    (*args)[0] = std::move(p);
                }
            }
            s->call = std::move(head);
            b.stmts.push_back(std::move(s));
            EndOfStatement();
            return;
        }
        // Arguments without parentheses. When the head ends in a name without an argument list
        // (obj.Items(1).Add x) the arguments follow it; otherwise the last parenthesised part
        // starts the first argument (Foo (1) + 2, 3): parse the head again stopping before '('.
        bool bare = false;
        if (auto* n = dynamic_cast<NameExpr*>(head.get())) bare = !n->hasParens;
        if (auto* m = dynamic_cast<MemberExpr*>(head.get())) bare = !m->hasParens;
        if (!bare) {
            pos_ = start;
            head = ParseChain(true);
        }
        std::vector<ExprPtr> args;
        for (;;) {
            if (Is(Tok::Comma))
                args.push_back(Const(Variant::Error(int32_t(0x80020004)), Cur().line));
            else
                args.push_back(ParseExpr());
            if (Is(Tok::Comma)) {
                Next();
                if (AtEos())
                    args.push_back(Const(Variant::Error(int32_t(0x80020004)), line));
                else
                    continue;
            }
            break;
        }
        if (auto* n = dynamic_cast<NameExpr*>(head.get()); n && !n->hasParens) {
            n->args = std::move(args);
        } else if (auto* m = dynamic_cast<MemberExpr*>(head.get()); m && !m->hasParens) {
            m->args = std::move(args);
        } else {
            Fail(kExpectedEos);
        }
        s->call = std::move(head);
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    // Dim / Public / Private variable lists.
    void ParseDim(Block& b) {
        for (;;) {
            int line = Cur().line;
            std::u16string name = ExpectName();
            std::vector<ExprPtr> dims;
            bool isArray = false;
            if (Is(Tok::LParen)) {
                isArray = true;
                Next();
                if (!Is(Tok::RParen)) {
                    for (;;) {
                        dims.push_back(ParseExpr());
                        if (Is(Tok::Comma)) {
                            Next();
                            continue;
                        }
                        break;
                    }
                }
                Expect(Tok::RParen, kExpectedRParen);
            }
            DeclareVariable(b, name, std::move(dims), isArray, line);
            if (Is(Tok::Comma)) {
                Next();
                continue;
            }
            break;
        }
        EndOfStatement();
    }

    void DeclareVariable(Block& b, const std::u16string& name, std::vector<ExprPtr> dims,
                         bool isArray, int line) {
        std::u16string lower = Lower(name);
        if (scope_->isTop) {
            GlobalDecl d;
            d.atom = e_.AtomOf(name);
            d.kind = GlobalDecl::Var;
            d.isDynamicArray = isArray && dims.empty();
            if (!dims.empty()) {
                // The variable exists from the start; its array from where the Dim stands.
                auto st = std::make_unique<DimArrayStmt>();
                st->line = line;
                st->target = MakeName(name, line);
                st->dims = std::move(dims);
                b.stmts.push_back(std::move(st));
            }
            if (declaredHere_.count(lower) && !isArray) {
                // Re-declaring is a compile error in one piece of code.
                throw CompileFailure{kNameRedefined, line, 1};
            }
            declaredHere_.insert(lower);
            prog_.globals.push_back(std::move(d));
            return;
        }
        auto it = scope_->locals.find(lower);
        int slot = it != scope_->locals.end() ? it->second : -1;
        if (slot < 0) {
            slot = HiddenLocal();
            scope_->locals.emplace(lower, slot);
            scope_->proc->localNames.push_back(name);
        }
        if (!dims.empty() || isArray) {
            ArrayInit a;
            a.slot = slot;
            a.dims = std::move(dims);
            scope_->proc->arrays.push_back(std::move(a));
        }
    }

    void ParseConst(Block& b) {
        Next();  // Const
        for (;;) {
            int line = Cur().line;
            std::u16string name = ExpectName();
            Expect(Tok::Eq, kExpectedEq);
            ExprPtr value = ParseConstValue();
            if (scope_->isTop) {
                GlobalDecl d;
                d.atom = e_.AtomOf(name);
                d.kind = GlobalDecl::Const;
                d.value = std::move(value);
                prog_.globals.push_back(std::move(d));
            } else {
                std::u16string lower = Lower(name);
                auto it = scope_->locals.find(lower);
                int slot;
                if (it == scope_->locals.end()) {
                    slot = HiddenLocal();
                    scope_->locals.emplace(lower, slot);
                } else {
                    slot = it->second;
                }
                ConstInit c;
                c.slot = slot;
                c.value = std::move(value);
                scope_->proc->consts.push_back(std::move(c));
            }
            (void)line;
            if (Is(Tok::Comma)) {
                Next();
                continue;
            }
            break;
        }
        (void)b;
        EndOfStatement();
    }

    ExprPtr ParseConstValue() {
        // Literals, optionally signed or parenthesised; other constants by name.
        return ParseExpr();
    }

    void ParseReDim(Block& b) {
        int line = Cur().line;
        Next();
        auto s = std::make_unique<ReDimStmt>();
        s->line = line;
        if (Is(Kw::Preserve)) {
            s->preserve = true;
            Next();
        }
        for (;;) {
            ReDimStmt::Item item;
            std::u16string name = ExpectName();
            std::u16string lower = Lower(name);
            if (!scope_->isTop && !scope_->locals.count(lower) &&
                !(cls_ && cls_->byName.count(lower)) && prog_.optionExplicit) {
                int slot = HiddenLocal();
                scope_->locals.emplace(lower, slot);
            } else if (scope_->isTop && !declaredHere_.count(lower)) {
                GlobalDecl d;
                d.atom = e_.AtomOf(name);
                d.kind = GlobalDecl::Var;
                prog_.globals.push_back(std::move(d));
                declaredHere_.insert(lower);
            }
            item.target = MakeName(name, line);
            Expect(Tok::LParen, kExpectedLParen);
            for (;;) {
                item.dims.push_back(ParseExpr());
                if (Is(Tok::Comma)) {
                    Next();
                    continue;
                }
                break;
            }
            Expect(Tok::RParen, kExpectedRParen);
            s->items.push_back(std::move(item));
            if (Is(Tok::Comma)) {
                Next();
                continue;
            }
            break;
        }
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    void ParseIf(Block& b) {
        int line = Cur().line;
        Next();
        auto s = std::make_unique<IfStmt>();
        s->line = line;
        s->conds.push_back(ParseExpr());
        Expect(Kw::Then, kExpectedThen);
        if (!Is(Tok::Newline) || Cur().text == u":") {
            if (Is(Tok::Newline)) Next();
            // Single-line form: statements up to the end of the line, optional Else part.
            s->blocks.emplace_back();
            ParseLineStatements(s->blocks.back());
            if (Is(Kw::Else)) {
                Next();
                s->blocks.emplace_back();
                ParseLineStatements(s->blocks.back());
            }
            if (Is(Kw::End) && Peek().kind == Tok::Keyword && Peek().kw == Kw::If) {
                Next();
                Next();
            }
            b.stmts.push_back(std::move(s));
            if (!Is(Tok::End)) {
                if (!Is(Tok::Newline)) Fail(kExpectedEos);
                Next();
            }
            return;
        }
        s->blocks.emplace_back();
        ParseBlock(s->blocks.back());
        for (;;) {
            if (Is(Kw::ElseIf)) {
                Next();
                s->conds.push_back(ParseExpr());
                Expect(Kw::Then, kExpectedThen);
                s->blocks.emplace_back();
                ParseBlock(s->blocks.back());
                continue;
            }
            if (Is(Kw::Else)) {
                Next();
                s->blocks.emplace_back();
                ParseBlock(s->blocks.back());
            }
            break;
        }
        Expect(Kw::End, kExpectedEnd);
        Expect(Kw::If, kExpectedIf);
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    // Statements of a single-line If branch: up to Else or the end of the line.
    void ParseLineStatements(Block& b) {
        ++singleLineIf_;
        for (;;) {
            if (Is(Tok::Newline) && Cur().text == u":") {
                Next();
                continue;
            }
            if (Is(Tok::Newline) || Is(Tok::End) || Is(Kw::Else)) break;
            if (Is(Kw::End) && Peek().kind == Tok::Keyword && Peek().kw == Kw::If) break;
            ParseStatementNoNewline(b);
        }
        --singleLineIf_;
    }

    // Parses one statement but leaves a real line end for the caller.
    void ParseStatementNoNewline(Block& b) {
        // Statements end with EndOfStatement, which consumes a newline; keep a line end by
        // stopping one token early: parse, then step back when a line end was eaten.
        size_t before = t_.size();
        (void)before;
        ParseStatement(b);
        if (pos_ > 0 && t_[pos_ - 1].kind == Tok::Newline && t_[pos_ - 1].text != u":") --pos_;
    }

    void ParseSelect(Block& b) {
        int line = Cur().line;
        Next();
        Expect(Kw::Case, kExpectedCase);
        auto s = std::make_unique<SelectStmt>();
        s->line = line;
        s->subject = ParseExpr();
        EndOfStatement();
        SkipNewlines();
        while (Is(Kw::Case)) {
            Next();
            SelectStmt::Case c;
            if (Is(Kw::Else)) {
                Next();
            } else {
                for (;;) {
                    if (Is(Kw::Is) || Is(Kw::To)) Fail(kExpectedEos);
                    c.values.push_back(ParseExpr());
                    if (Is(Kw::To) || Is(Kw::Is)) Fail(kExpectedEos);
                    if (Is(Tok::Comma)) {
                        Next();
                        continue;
                    }
                    break;
                }
            }
            if (Is(Tok::Newline)) Next();  // a statement may follow on the same line
            ParseBlock(c.body);
            bool isElse = c.values.empty();
            s->cases.push_back(std::move(c));
            if (isElse && Is(Kw::Case)) Fail(kExpectedEnd);
        }
        Expect(Kw::End, kExpectedEnd);
        Expect(Kw::Select, kExpectedSelect);
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    ExprPtr ParseLoopVariable() {
        int line = Cur().line;
        if (!IsNameToken(Cur())) Fail(kExpectedIdent);
        std::u16string name = Cur().text;
        Next();
        ExprPtr v = MakeName(name, line);
        auto* n = static_cast<NameExpr*>(v.get());
        if (n->mode == NameMode::MeMember) Fail(kInvalidForVar);
        return v;
    }

    void ParseFor(Block& b) {
        int line = Cur().line;
        Next();
        if (Is(Kw::Each)) {
            Next();
            auto s = std::make_unique<ForEachStmt>();
            s->line = line;
            s->var = ParseLoopVariable();
            Expect(Kw::In, kExpectedIn);
            s->collection = ParseExpr();
            EndOfStatement();
            ++loopDepth_;
            ParseBlock(s->body);
            --loopDepth_;
            Expect(Kw::Next, kExpectedNext);
            if (IsNameToken(Cur())) Next();
            b.stmts.push_back(std::move(s));
            EndOfStatement();
            return;
        }
        auto s = std::make_unique<ForStmt>();
        s->line = line;
        s->var = ParseLoopVariable();
        Expect(Tok::Eq, kExpectedEq);
        s->from = ParseExpr();
        Expect(Kw::To, kExpectedTo);
        s->to = ParseExpr();
        if (Is(Kw::Step)) {
            Next();
            s->step = ParseExpr();
        }
        EndOfStatement();
        ++loopDepth_;
        ParseBlock(s->body);
        --loopDepth_;
        Expect(Kw::Next, kExpectedNext);
        if (IsNameToken(Cur())) Next();
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    void ParseDo(Block& b) {
        int line = Cur().line;
        Next();
        auto s = std::make_unique<DoStmt>();
        s->line = line;
        if (Is(Kw::While) || Is(Kw::Until)) {
            s->isUntil = Is(Kw::Until);
            Next();
            s->cond = ParseExpr();
        }
        EndOfStatement();
        ParseBlock(s->body);
        Expect(Kw::Loop, kExpectedLoop);
        if (Is(Kw::While) || Is(Kw::Until)) {
            if (s->cond) Fail(kExpectedEos);
            s->isUntil = Is(Kw::Until);
            s->condAtEnd = true;
            Next();
            s->cond = ParseExpr();
        }
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    void ParseWhile(Block& b) {
        int line = Cur().line;
        Next();
        auto s = std::make_unique<DoStmt>();
        s->line = line;
        s->cond = ParseExpr();
        EndOfStatement();
        ParseBlock(s->body);
        Expect(Kw::Wend, kExpectedWend);
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    void ParseWith(Block& b) {
        int line = Cur().line;
        Next();
        auto s = std::make_unique<WithStmt>();
        s->line = line;
        s->object = ParseExpr();
        s->slot = HiddenLocal();
        EndOfStatement();
        withSlots_.push_back(s->slot);
        ParseBlock(s->body);
        withSlots_.pop_back();
        Expect(Kw::End, kExpectedEnd);
        Expect(Kw::With, kExpectedWith);
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    void ParseExit(Block& b) {
        int line = Cur().line;
        Next();
        auto s = std::make_unique<ExitStmt>();
        s->line = line;
        ProcDef* p = scope_->proc;
        if (Is(Kw::Do))
            s->flow = Flow::ExitDo;
        else if (Is(Kw::For))
            s->flow = Flow::ExitFor;
        else if (Is(Kw::Sub)) {
            if (scope_->isTop || p->kind != ProcKind::Sub) Fail(kInvalidExit);
            s->flow = Flow::ExitProc;
        } else if (Is(Kw::Function)) {
            if (scope_->isTop || p->kind != ProcKind::Function) Fail(kInvalidExit);
            s->flow = Flow::ExitProc;
        } else if (Is(Kw::Property)) {
            if (scope_->isTop || (p->kind != ProcKind::PropGet && p->kind != ProcKind::PropLet &&
                                  p->kind != ProcKind::PropSet))
                Fail(kInvalidExit);
            s->flow = Flow::ExitProc;
        } else {
            Fail(kSyntax);
        }
        Next();
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    void ParseOnError(Block& b) {
        int line = Cur().line;
        Next();
        Expect(Kw::Error, kSyntax);
        auto s = std::make_unique<OnErrorStmt>();
        s->line = line;
        if (Is(Kw::Resume)) {
            Next();
            Expect(Kw::Next, kSyntax);
            s->resumeNext = true;
        } else if (Is(Kw::GoTo)) {
            Next();
            if (!(Is(Tok::Number) && Cur().value.Type() == vtInteger &&
                  Cur().value.AsInteger() == 0))
                Fail(kSyntax);
            Next();
        } else {
            Fail(kSyntax);
        }
        b.stmts.push_back(std::move(s));
        EndOfStatement();
    }

    // ---- procedures and classes ----
    void ParseProc(bool isPrivate, bool inClass) {
        int line = Cur().line;
        bool isDefault = false;
        if (Is(Kw::Default)) {
            if (!inClass) Fail(kDefaultOnlyProc);
            if (isPrivate) Fail(kDefaultNeedsPublic);
            isDefault = true;
            Next();
        }
        auto def = std::make_unique<ProcDef>();
        def->line = line;
        def->isPublic = !isPrivate;
        def->isDefault = isDefault;
        Kw endKw;
        if (Is(Kw::Sub)) {
            def->kind = ProcKind::Sub;
            endKw = Kw::Sub;
        } else if (Is(Kw::Function)) {
            def->kind = ProcKind::Function;
            endKw = Kw::Function;
        } else if (Is(Kw::Property)) {
            if (!inClass) Fail(kMustBeInClass);
            Next();
            if (Is(Kw::Get))
                def->kind = ProcKind::PropGet;
            else if (Is(Kw::Let))
                def->kind = ProcKind::PropLet;
            else if (Is(Kw::Set))
                def->kind = ProcKind::PropSet;
            else
                Fail(kExpectedLetSetGet);
            endKw = Kw::Property;
        } else {
            Fail(kSyntax);
        }
        if (isDefault && def->kind != ProcKind::Function && def->kind != ProcKind::PropGet &&
            def->kind != ProcKind::Sub)
            Fail(kDefaultOnlyGet);
        Next();
        def->name = ExpectName();
        def->atom = e_.AtomOf(def->name);
        ProcScope scope;
        scope.proc = def.get();
        std::u16string lowerName = Lower(def->name);
        if (def->kind == ProcKind::Function || def->kind == ProcKind::PropGet)
            scope.locals.emplace(lowerName, 0);
        if (Is(Tok::LParen)) {
            Next();
            while (!Is(Tok::RParen)) {
                Param p;
                if (Is(Kw::ByVal)) {
                    p.byRef = false;
                    Next();
                } else if (Is(Kw::ByRef)) {
                    Next();
                }
                p.name = ExpectName();
                if (Is(Tok::LParen)) {
                    Next();
                    Expect(Tok::RParen, kExpectedRParen);
                }
                int slot = def->localCount++;
                scope.locals[Lower(p.name)] = slot;
                def->params.push_back(std::move(p));
                if (Is(Tok::Comma)) {
                    Next();
                    if (Is(Tok::RParen)) Fail(kExpectedIdent);
                    continue;
                }
                if (!Is(Tok::RParen)) Fail(kExpectedRParen);
            }
            Next();
        }
        if ((def->kind == ProcKind::PropLet || def->kind == ProcKind::PropSet) &&
            def->params.empty())
            Fail(kPropNeedsArg);
        if (inClass && (lowerName == u"class_initialize" || lowerName == u"class_terminate") &&
            !def->params.empty())
            Fail(kInitNoArgs);
        if (Is(Tok::Newline)) Next();
        PrescanLocals(scope);
        ProcScope* saved = scope_;
        scope_ = &scope;
        std::vector<int> savedWith;
        savedWith.swap(withSlots_);
        ParseBlock(def->body);
        withSlots_.swap(savedWith);
        scope_ = saved;
        for (auto& [lower, slot] : scope.locals) def->slotNames.emplace_back(lower, slot);
        Expect(Kw::End, kExpectedEnd);
        if (!Is(endKw)) {
            Fail(endKw == Kw::Sub        ? kExpectedSub
                 : endKw == Kw::Function ? kExpectedFunction
                                         : kExpectedProperty);
        }
        Next();
        EndOfStatement();
        if (inClass) {
            AddClassProc(std::move(def));
        } else {
            // A later definition of the same name replaces the earlier one.
            prog_.procs.push_back(std::move(def));
        }
    }

    // Dim, ReDim and Const anywhere in a procedure declare locals for the whole procedure.
    void PrescanLocals(ProcScope& scope) {
        size_t i = pos_;
        bool atStart = true;
        int depth = 0;
        for (; i < t_.size(); ++i) {
            const Token& t = t_[i];
            if (t.kind == Tok::End) return;
            if (t.kind == Tok::Newline) {
                atStart = true;
                continue;
            }
            if (!atStart) continue;
            atStart = false;
            if (t.kind != Tok::Keyword) continue;
            if (t.kw == Kw::End && i + 1 < t_.size() && t_[i + 1].kind == Tok::Keyword &&
                (t_[i + 1].kw == Kw::Sub || t_[i + 1].kw == Kw::Function ||
                 t_[i + 1].kw == Kw::Property))
                return;
            if (t.kw == Kw::If) {
                // Statements after Then on the same line start a statement too.
                for (size_t j = i + 1; j < t_.size() && t_[j].kind != Tok::Newline; ++j)
                    if (t_[j].kind == Tok::Keyword &&
                        (t_[j].kw == Kw::Then || t_[j].kw == Kw::Else)) {
                        if (j + 1 < t_.size() && t_[j + 1].kind != Tok::Newline) {
                            i = j;
                            atStart = true;
                            break;
                        }
                    }
                continue;
            }
            if (t.kw != Kw::Dim && t.kw != Kw::ReDim && t.kw != Kw::Const) continue;
            bool isConst = t.kw == Kw::Const;
            size_t j = i + 1;
            if (j < t_.size() && t_[j].kind == Tok::Keyword && t_[j].kw == Kw::Preserve) ++j;
            bool expectName = true;
            depth = 0;
            for (; j < t_.size() && t_[j].kind != Tok::Newline && t_[j].kind != Tok::End; ++j) {
                const Token& u = t_[j];
                if (u.kind == Tok::LParen)
                    ++depth;
                else if (u.kind == Tok::RParen)
                    --depth;
                else if (u.kind == Tok::Comma && depth == 0)
                    expectName = true;
                else if (expectName && IsNameToken(u)) {
                    std::u16string lower = Lower(u.text);
                    // ReDim of a class field resizes the field; without Option Explicit ReDim
                    // of another name reaches the global of that name when there is one.
                    bool isField = t.kw == Kw::ReDim && cls_ && cls_->byName.count(lower);
                    bool dynamic = t.kw == Kw::ReDim && !prog_.optionExplicit;
                    if (!scope.locals.count(lower) && !isField && !dynamic) {
                        int slot = scope.proc->localCount++;
                        scope.locals.emplace(lower, slot);
                        scope.proc->localNames.push_back(u.text);
                    }
                    expectName = false;
                } else if (!isConst || depth == 0) {
                    expectName = false;
                }
            }
            i = j - 1;
        }
    }

    ClassDef* cls_ = nullptr;

    void AddClassProc(std::unique_ptr<ProcDef> def) {
        ClassDef* c = cls_;
        def->owner = c;
        std::u16string lower = Lower(def->name);
        auto it = c->byName.find(lower);
        if (it == c->byName.end()) {
            // Not seen by the prescan (an unusual layout): register it now.
            ClassMember nm;
            nm.name = def->name;
            nm.kind = def->kind == ProcKind::Sub || def->kind == ProcKind::Function
                          ? ClassMember::Method
                          : ClassMember::Property;
            nm.isPublic = def->isPublic;
            it = c->byName.emplace(lower, int(c->members.size())).first;
            c->members.push_back(std::move(nm));
        }
        ClassMember* m = &c->members[size_t(it->second)];
        bool isMethod = def->kind == ProcKind::Sub || def->kind == ProcKind::Function;
        if (m->kind == ClassMember::Field || (m->kind == ClassMember::Method) != isMethod)
            throw CompileFailure{kNameRedefined, def->line, 1};
        const ProcDef* p = def.get();
        switch (def->kind) {
            case ProcKind::Sub:
            case ProcKind::Function:
                m->method = p;
                break;
            case ProcKind::PropGet:
                m->get = p;
                break;
            case ProcKind::PropLet:
                m->let = p;
                break;
            case ProcKind::PropSet:
                m->set = p;
                break;
        }
        if (def->isDefault) {
            if (c->defaultMember >= 0 && c->defaultMember != it->second) Fail(kMultipleDefault);
            c->defaultMember = it->second;
        }
        if (lower == u"class_initialize" && def->kind == ProcKind::Sub) c->initialize = p;
        if (lower == u"class_terminate" && def->kind == ProcKind::Sub) c->terminate = p;
        c->procs.push_back(std::move(def));
    }

    // Registers every member name of a class before its bodies are compiled.
    void PrescanClass(ClassDef& c) {
        bool atStart = true;
        bool inProc = false;
        for (size_t i = pos_; i < t_.size(); ++i) {
            const Token& t = t_[i];
            if (t.kind == Tok::End) return;
            if (t.kind == Tok::Newline) {
                atStart = true;
                continue;
            }
            if (!atStart) continue;
            atStart = false;
            if (t.kind != Tok::Keyword) continue;
            auto kwAt = [&](size_t j, Kw k) {
                return j < t_.size() && t_[j].kind == Tok::Keyword && t_[j].kw == k;
            };
            if (t.kw == Kw::End) {
                if (kwAt(i + 1, Kw::Class) && !inProc) return;
                if (kwAt(i + 1, Kw::Sub) || kwAt(i + 1, Kw::Function) || kwAt(i + 1, Kw::Property))
                    inProc = false;
                continue;
            }
            if (inProc) continue;
            size_t j = i;
            bool isPublic = true;
            if (t.kw == Kw::Public || t.kw == Kw::Private) {
                isPublic = t.kw == Kw::Public;
                ++j;
            }
            if (kwAt(j, Kw::Default)) ++j;
            ClassMember::Kind kind;
            if (kwAt(j, Kw::Sub) || kwAt(j, Kw::Function)) {
                kind = ClassMember::Method;
                ++j;
            } else if (kwAt(j, Kw::Property)) {
                kind = ClassMember::Property;
                j += 2;
            } else if (t.kw == Kw::Dim || t.kw == Kw::Public || t.kw == Kw::Private) {
                if (t.kw == Kw::Dim) j = i + 1;
                // Field list.
                bool expectName = true;
                int depth = 0;
                for (; j < t_.size() && t_[j].kind != Tok::Newline && t_[j].kind != Tok::End; ++j) {
                    const Token& u = t_[j];
                    if (u.kind == Tok::LParen)
                        ++depth;
                    else if (u.kind == Tok::RParen)
                        --depth;
                    else if (u.kind == Tok::Comma && depth == 0)
                        expectName = true;
                    else if (expectName && IsNameToken(u)) {
                        std::u16string lower = Lower(u.text);
                        if (!c.byName.count(lower)) {
                            ClassMember m;
                            m.name = u.text;
                            m.kind = ClassMember::Field;
                            m.isPublic = isPublic;
                            m.field = int(c.fields.size());
                            FieldDef f;
                            f.name = u.text;
                            f.isPublic = isPublic;
                            c.fields.push_back(std::move(f));
                            c.byName.emplace(lower, int(c.members.size()));
                            c.members.push_back(std::move(m));
                        }
                        expectName = false;
                    }
                }
                i = j - 1;
                continue;
            } else {
                continue;
            }
            if (j >= t_.size() || !IsNameToken(t_[j])) continue;
            inProc = true;
            std::u16string lower = Lower(t_[j].text);
            auto it = c.byName.find(lower);
            if (it == c.byName.end()) {
                ClassMember m;
                m.name = t_[j].text;
                m.kind = kind;
                m.isPublic = isPublic;
                c.byName.emplace(lower, int(c.members.size()));
                c.members.push_back(std::move(m));
            } else if (isPublic) {
                c.members[size_t(it->second)].isPublic = true;
            }
        }
    }

    void ParseClass() {
        int line = Cur().line;
        Next();
        auto c = std::make_unique<ClassDef>();
        c->name = ExpectName();
        c->atom = e_.AtomOf(c->name);
        EndOfStatement();
        if (!declaredHere_.insert(Lower(c->name)).second)
            throw CompileFailure{kNameRedefined, line, 1};
        PrescanClass(*c);
        cls_ = c.get();
        for (;;) {
            SkipNewlines();
            if (Is(Tok::End)) Fail(kExpectedEnd);
            if (Is(Kw::End)) {
                Next();
                Expect(Kw::Class, kExpectedClass);
                EndOfStatement();
                break;
            }
            if (!Recovering([&] { ParseClassMember(*c); })) Fail(kExpectedEnd);
        }
        // A Property Let/Set needs the same count of arguments as its Get plus one.
        for (auto& m : c->members) {
            if (m.kind != ClassMember::Property) continue;
            const ProcDef* g = m.get;
            for (const ProcDef* s : {m.let, m.set})
                if (g && s && s->params.size() != g->params.size() + 1)
                    throw CompileFailure{kArgCountProperty, s->line, 1};
        }
        cls_ = nullptr;
        prog_.classes.push_back(std::move(c));
    }

    void ParseClassMember(ClassDef& c) {
        if (Is(Kw::Public) || Is(Kw::Private)) {
            bool isPrivate = Is(Kw::Private);
            const Token& nx = Peek();
            if (nx.kind == Tok::Keyword && (nx.kw == Kw::Sub || nx.kw == Kw::Function ||
                                            nx.kw == Kw::Property || nx.kw == Kw::Default)) {
                Next();
                ParseProc(isPrivate, true);
                return;
            }
            Next();
            ParseFields(c);
            return;
        }
        if (Is(Kw::Dim)) {
            Next();
            ParseFields(c);
            return;
        }
        if (Is(Kw::Sub) || Is(Kw::Function) || Is(Kw::Property) || Is(Kw::Default)) {
            ParseProc(false, true);
            return;
        }
        Fail(kSyntax);
    }

    void ParseFields(ClassDef& c) {
        for (;;) {
            std::u16string name = ExpectName();
            auto it = c.byName.find(Lower(name));
            FieldDef* f =
                it != c.byName.end() && c.members[size_t(it->second)].kind == ClassMember::Field
                    ? &c.fields[size_t(c.members[size_t(it->second)].field)]
                    : nullptr;
            if (Is(Tok::LParen)) {
                Next();
                std::vector<ExprPtr> dims;
                if (!Is(Tok::RParen)) {
                    for (;;) {
                        dims.push_back(ParseExpr());
                        if (Is(Tok::Comma)) {
                            Next();
                            continue;
                        }
                        break;
                    }
                }
                Expect(Tok::RParen, kExpectedRParen);
                if (f) {
                    f->isArray = true;
                    f->dims = std::move(dims);
                }
            }
            if (Is(Tok::Comma)) {
                Next();
                continue;
            }
            break;
        }
        EndOfStatement();
    }

    EngineImpl& e_;
    std::vector<Token> t_;
    size_t pos_ = 0;
    Program& prog_;
    ProcScope* scope_ = nullptr;
    std::vector<int> withSlots_;
    int singleLineIf_ = 0;
    int loopDepth_ = 0;
    int nesting_ = 0;
    std::unordered_set<std::u16string> declaredHere_;
    std::vector<CompileFailure>* errors_ = nullptr;
    int openFailures_ = 0;  // checking: blocks whose head failed, their ends not yet seen
};

}  // namespace

std::shared_ptr<Program> CompileProgram(EngineImpl& e, std::u16string_view text, int firstLine,
                                        bool asExpression, bool optionExplicit, bool dynamicScope) {
    auto prog = std::make_shared<Program>();
    prog->optionExplicit = optionExplicit;
    prog->dynamicScope = dynamicScope;
    Parser p(e, Tokenize(text, firstLine), *prog);
    if (asExpression)
        prog->expression = p.ParseLoneExpression();
    else
        p.ParseProgram();
    return prog;
}

std::vector<CompileFailure> CheckProgram(EngineImpl& e, std::u16string_view text, int firstLine) {
    std::vector<CompileFailure> errors;
    // A lexical error stops the tokenizer: it is recorded and its line blanked for the rest.
    std::u16string work(text);
    std::vector<Token> tokens;
    for (;;) {
        try {
            tokens = Tokenize(work, firstLine);
            break;
        } catch (const CompileFailure& f) {
            errors.push_back(f);
            size_t begin = 0;
            for (int l = firstLine; l < f.line && begin < work.size(); ++l) {
                size_t nl = work.find(u'\n', begin);
                begin = nl == std::u16string::npos ? work.size() : nl + 1;
            }
            size_t end = work.find(u'\n', begin);
            if (end == std::u16string::npos) end = work.size();
            if (begin >= end) return errors;  // nothing left to blank: give up on the rest
            for (size_t i = begin; i < end; ++i)
                if (work[i] != u'\r') work[i] = u' ';
        }
    }
    Program prog;
    Parser p(e, std::move(tokens), prog);
    p.CollectErrors(&errors);
    try {
        p.ParseProgram();
    } catch (const CompileFailure& f) {
        errors.push_back(f);
    }
    std::sort(errors.begin(), errors.end(), [](const CompileFailure& a, const CompileFailure& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    errors.erase(std::unique(errors.begin(), errors.end(),
                             [](const CompileFailure& a, const CompileFailure& b) {
                                 return a.line == b.line && a.number == b.number;
                             }),
                 errors.end());
    return errors;
}

}  // namespace vbs
