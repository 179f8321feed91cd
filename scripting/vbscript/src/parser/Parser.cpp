// The grammar: a recursive-descent parser over the lexer's tokens. It recognises the
// constructs of the language and hands each to the code generator (codegen/CodeGen.h), which
// resolves names and builds the nodes; the parser itself keeps only the position in the
// tokens, the nesting it is in and, when checking, the errors it has recovered from.
#include <algorithm>
#include <array>
#include <optional>

#include "codegen/CodeGen.h"
#include "parser/Parser.h"

namespace vbs {

namespace {

constexpr int kMaxNesting = 200;
constexpr size_t kKeptTokens = 64 * 1024;

// Binary operators by precedence, lowest first. Not (a prefix) stands between And and the
// comparisons; unary minus binds tighter than ^ (-3 ^ 2 = 9).
enum Level : int {
    kImpLevel,
    kEqvLevel,
    kXorLevel,
    kOrLevel,
    kAndLevel,
    kNotLevel,
    kCompareLevel,
    kConcatLevel,
    kAddLevel,
    kModLevel,
    kIntDivLevel,
    kMulLevel,
    kPowLevel,
    kUnaryLevel,
};

struct BinaryOperator {
    BinOp op = BinOp::Add;
    int level = -1;  // -1: not an operator
};
constexpr std::pair<Kw, BinaryOperator> kWordOperators[] = {
    {Kw::Imp, {BinOp::Imp, kImpLevel}}, {Kw::Eqv, {BinOp::Eqv, kEqvLevel}},
    {Kw::Xor, {BinOp::Xor, kXorLevel}}, {Kw::Or, {BinOp::Or, kOrLevel}},
    {Kw::And, {BinOp::And, kAndLevel}}, {Kw::Is, {BinOp::Is, kCompareLevel}},
    {Kw::Mod, {BinOp::Mod, kModLevel}},
};
constexpr std::pair<Tok, BinaryOperator> kSymbolOperators[] = {
    {Tok::Eq, {BinOp::Eq, kCompareLevel}},     {Tok::Ne, {BinOp::Ne, kCompareLevel}},
    {Tok::Lt, {BinOp::Lt, kCompareLevel}},     {Tok::Gt, {BinOp::Gt, kCompareLevel}},
    {Tok::Le, {BinOp::Le, kCompareLevel}},     {Tok::Ge, {BinOp::Ge, kCompareLevel}},
    {Tok::Amp, {BinOp::Concat, kConcatLevel}}, {Tok::Plus, {BinOp::Add, kAddLevel}},
    {Tok::Minus, {BinOp::Sub, kAddLevel}},     {Tok::Backslash, {BinOp::IntDiv, kIntDivLevel}},
    {Tok::Star, {BinOp::Mul, kMulLevel}},      {Tok::Slash, {BinOp::Div, kMulLevel}},
    {Tok::Caret, {BinOp::Pow, kPowLevel}},
};

// The two lists as look-ups by keyword and by token kind.
template <typename Key, size_t N>
constexpr std::array<BinaryOperator, 256> OperatorsBy(
    const std::pair<Key, BinaryOperator> (&list)[N]) {
    std::array<BinaryOperator, 256> table{};
    for (const auto& [key, op] : list) table[size_t(key)] = op;
    return table;
}
constexpr std::array<BinaryOperator, 256> kOperatorOfWord = OperatorsBy(kWordOperators);
constexpr std::array<BinaryOperator, 256> kOperatorOfSymbol = OperatorsBy(kSymbolOperators);

class Parser {
  public:
    Parser(EngineImpl& e, const TokenList& toks, Program& prog) : t_(toks.tokens), gen_(e, prog) {}

    void ParseProgram() {
        ProcScope top;
        gen_.BeginTopLevel(top);
        SkipNewlines();
        if (Is(Kw::Option)) {
            Next();
            Expect(Kw::Explicit, kSyntax);
            gen_.SetOptionExplicit();
            EndOfStatement();
        }
        Program& prog = gen_.program();
        while (Cur().kind != Tok::End) {
            if (Cur().kind == Tok::Newline) {
                Next();
                continue;
            }
            if (!Recovering([&] { ParseTopLevelItem(prog.top.body); })) break;
        }
        prog.top.localCount = std::max(prog.top.localCount, 1);
    }

    ExprPtr ParseLoneExpression() {
        ProcScope top;
        gen_.BeginTopLevel(top);
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
        CodeGen::Mark mark = gen_.Save();
        int singleLineIf = singleLineIf_, loopDepth = loopDepth_;
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
            gen_.Restore(mark);
            singleLineIf_ = singleLineIf;
            loopDepth_ = loopDepth;
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
    SourcePos Here() const { return {Cur().line, Cur().column}; }
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
    // The name's text stays valid while the text is compiled.
    std::u16string_view ExpectName() {
        if (!IsNameToken(Cur())) Fail(kExpectedIdent);
        const std::u16string_view n = Cur().text;
        Next();
        return n;
    }
    // After a dot every word names a member.
    std::u16string_view ExpectMemberName() {
        if (Cur().kind != Tok::Ident && Cur().kind != Tok::Keyword) Fail(kExpectedIdent);
        const std::u16string_view n = Cur().text;
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

    // ---- expressions ----
    ExprPtr ParseExpr() { return ParseBinary(kImpLevel); }

    // The binary operator at the current token and its level, if any.
    std::optional<BinaryOperator> OperatorHere() const {
        const Token& t = Cur();
        const BinaryOperator& op = t.kind == Tok::Keyword ? kOperatorOfWord[size_t(t.kw)]
                                                          : kOperatorOfSymbol[size_t(t.kind)];
        if (op.level < 0) return std::nullopt;
        return op;
    }

    // An expression whose operators are all of the given level or tighter, each level's
    // operators taken left to right. Not, a prefix, is allowed where its level is.
    ExprPtr ParseBinary(int lowest) {
        ExprPtr l = lowest <= kNotLevel ? ParseNot() : ParseUnary();
        while (std::optional<BinaryOperator> op = OperatorHere()) {
            if (op->level < lowest) break;
            int line = Cur().line;
            Next();
            l = gen_.Binary(op->op, std::move(l), ParseBinary(op->level + 1), line);
        }
        return l;
    }

    ExprPtr ParseNot() {
        if (!Is(Kw::Not)) return ParseBinary(kNotLevel + 1);
        DepthGuard g(*this);
        int line = Cur().line;
        Next();
        return gen_.Not(ParseNot(), line);
    }

    ExprPtr ParseUnary() {
        DepthGuard g(*this);
        if (Is(Tok::Minus)) {
            int line = Cur().line;
            Next();
            return gen_.Negate(ParseUnary(), line);
        }
        if (Is(Tok::Plus)) {
            Next();
            return ParseUnary();
        }
        return ParsePrimary();
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
                return gen_.Const(std::move(v), line);
            }
            case Tok::String: {
                Variant v = Variant::String(t.text);
                Next();
                return gen_.Const(std::move(v), line);
            }
            case Tok::LParen: {
                Next();
                ExprPtr inner = ParseExpr();
                Expect(Tok::RParen, kExpectedRParen);
                // (name)(args) calls name with args.
                if (auto* n = As<NameExpr>(inner.get()); n && !n->hasParens && Is(Tok::LParen))
                    return ParsePostfix(std::move(inner), false);
                return ParsePostfix(gen_.Paren(std::move(inner), line), false);
            }
            case Tok::Dot:
            case Tok::Ident:
                return ParseChain(false);
            case Tok::Keyword:
                switch (t.kw) {
                    case Kw::True:
                        Next();
                        return gen_.Const(Variant::Bool(true), line);
                    case Kw::False:
                        Next();
                        return gen_.Const(Variant::Bool(false), line);
                    case Kw::Empty:
                        Next();
                        return gen_.Const(Variant(), line);
                    case Kw::Null:
                        Next();
                        return gen_.Const(Variant::Null(), line);
                    case Kw::Nothing:
                        Next();
                        return gen_.Nothing(line);
                    case Kw::New:
                        Next();
                        return gen_.New(std::u16string(ExpectName()), line);
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

    // A comma-separated list ending at endsList(); an empty place is an omitted argument.
    template <typename EndsList>
    void ParseList(ExprList& out, EndsList endsList) {
        for (;;) {
            if (Is(Tok::Comma) || endsList())
                out.push_back(gen_.MissingArg(Cur().line));
            else
                out.push_back(ParseExpr());
            if (!Is(Tok::Comma)) return;
            Next();
        }
    }

    // (args): Cur is '('.
    ExprList ParseArgs() {
        Next();
        ExprList args;
        if (Is(Tok::RParen)) {
            Next();
            return args;
        }
        ParseList(args, [&] { return Is(Tok::RParen); });
        Expect(Tok::RParen, kExpectedRParen);
        return args;
    }

    // expr, expr ... up to the closing parenthesis (dimensions of Dim and ReDim).
    ExprList ParseDims() {
        ExprList dims;
        for (;;) {
            dims.push_back(ParseExpr());
            if (!Is(Tok::Comma)) return dims;
            Next();
        }
    }

    // A name, Me or .member followed by member accesses and argument lists.
    // With noParens the chain stops before an argument list (statement calls).
    ExprPtr ParseChain(bool noParens) {
        const Token& t = Cur();
        int line = t.line;
        ExprPtr node;
        if (t.kind == Tok::Dot) {
            Next();
            node = gen_.WithMember(ExpectMemberName(), line);
        } else if (t.kind == Tok::Keyword && t.kw == Kw::Me) {
            Next();
            node = gen_.Me(line);
        } else {
            node = gen_.Name(ExpectName(), line);
        }
        return ParsePostfix(std::move(node), noParens);
    }

    ExprPtr ParsePostfix(ExprPtr node, bool noParens) {
        for (;;) {
            if (Is(Tok::LParen) && !noParens) {
                int line = Cur().line;
                node = gen_.WithArgs(std::move(node), ParseArgs(), line);
                continue;
            }
            if (Is(Tok::Dot) && !(Cur().spaceBefore && (noParens || gen_.InWith()))) {
                int line = Cur().line;
                Next();
                node = gen_.Member(std::move(node), ExpectMemberName(), line);
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

    // The end of a block statement: End <what>.
    void ExpectEnd(Kw what, int error) {
        Expect(Kw::End, kExpectedEnd);
        Expect(what, error);
    }

    // The body of a loop or a block up to its closing keyword.
    void ParseLoopBody(Block& body) {
        ++loopDepth_;
        ParseBlock(body);
        --loopDepth_;
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
                        ParseConst();
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
                    ParseConst();
                    return;
                case Kw::ReDim:
                    ParseReDim(b);
                    return;
                case Kw::Erase:
                    Next();
                    gen_.Add<EraseStmt>(b, line).target = gen_.Name(ExpectName(), line);
                    EndOfStatement();
                    return;
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
                    Next();
                    gen_.Exit(b, Cur().kind == Tok::Keyword ? Cur().kw : Kw::None, line, Here());
                    Next();
                    EndOfStatement();
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
                    gen_.Assign(b, std::move(target), ParseExpr(), isSet, line);
                    EndOfStatement();
                    return;
                }
                case Kw::Call:
                    Next();
                    gen_.Call(b, ParseCallTarget(), line);
                    EndOfStatement();
                    return;
                case Kw::Randomize: {
                    Next();
                    auto& s = gen_.Add<RandomizeStmt>(b, line);
                    if (!AtEos()) s.seed = ParseExpr();
                    EndOfStatement();
                    return;
                }
                case Kw::Stop:
                    Next();
                    EndOfStatement();
                    return;
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
                    if (gen_.AtTopLevel() && !gen_.InClass()) {
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

    // What follows Call: Call (((name))) (args) drops the parentheses around a bare name.
    ExprPtr ParseCallTarget() {
        if (!Is(Tok::LParen)) return ParseChain(false);
        size_t save = pos_;
        int opens = 0;
        while (Is(Tok::LParen)) ++opens, Next();
        if (IsNameToken(Cur()) && Peek().kind == Tok::RParen) {
            int nameLine = Cur().line;
            std::u16string name(Cur().text);
            Next();
            int closes = 0;
            while (closes < opens && Is(Tok::RParen)) ++closes, Next();
            if (closes == opens) return ParsePostfix(gen_.Name(name, nameLine), false);
        }
        pos_ = save;
        return ParsePrimary();
    }

    void ParseAssignOrCall(Block& b) {
        int line = Cur().line;
        size_t start = pos_;
        ExprPtr head = ParseChain(false);
        if (Is(Tok::Eq)) {
            Next();
            gen_.Assign(b, std::move(head), ParseExpr(), false, line);
            EndOfStatement();
            return;
        }
        if (AtEos()) {
            gen_.CallWithParens(b, std::move(head), line, Here());
            EndOfStatement();
            return;
        }
        // Arguments without parentheses. When the head ends in a name without an argument list
        // (obj.Items(1).Add x) the arguments follow it; otherwise the last parenthesised part
        // starts the first argument (Foo (1) + 2, 3): parse the head again stopping before '('.
        bool bare = false;
        if (auto* n = As<NameExpr>(head.get())) bare = !n->hasParens;
        if (auto* m = As<MemberExpr>(head.get())) bare = !m->hasParens;
        if (!bare) {
            pos_ = start;
            head = ParseChain(true);
        }
        ExprList args;
        ParseList(args, [&] { return AtEos(); });
        // "f 1," ends with an omitted argument at the statement's own line.
        if (args.size() > 1 && t_[pos_ - 1].kind == Tok::Comma) args.back() = gen_.MissingArg(line);
        if (!gen_.CallWithList(b, std::move(head), std::move(args), line)) Fail(kExpectedEos);
        EndOfStatement();
    }

    // Dim / Public / Private variable lists.
    void ParseDim(Block& b) {
        for (;;) {
            int line = Cur().line;
            std::u16string name(ExpectName());
            ExprList dims;
            bool isArray = false;
            if (Is(Tok::LParen)) {
                isArray = true;
                Next();
                if (!Is(Tok::RParen)) dims = ParseDims();
                Expect(Tok::RParen, kExpectedRParen);
            }
            gen_.DeclareVariable(b, name, std::move(dims), isArray, line);
            if (!Is(Tok::Comma)) break;
            Next();
        }
        EndOfStatement();
    }

    void ParseConst() {
        Next();  // Const
        for (;;) {
            std::u16string name(ExpectName());
            Expect(Tok::Eq, kExpectedEq);
            gen_.DeclareConst(name, ParseExpr());
            if (!Is(Tok::Comma)) break;
            Next();
        }
        EndOfStatement();
    }

    void ParseReDim(Block& b) {
        int line = Cur().line;
        Next();
        auto& s = gen_.Add<ReDimStmt>(b, line);
        if (Is(Kw::Preserve)) {
            s.preserve = true;
            Next();
        }
        for (;;) {
            ReDimStmt::Item item;
            item.target = gen_.ReDimTarget(std::u16string(ExpectName()), line);
            Expect(Tok::LParen, kExpectedLParen);
            item.dims = ParseDims();
            Expect(Tok::RParen, kExpectedRParen);
            s.items.push_back(std::move(item));
            if (!Is(Tok::Comma)) break;
            Next();
        }
        EndOfStatement();
    }

    void ParseIf(Block& b) {
        int line = Cur().line;
        Next();
        auto& s = gen_.Add<IfStmt>(b, line);
        s.conds.push_back(ParseExpr());
        Expect(Kw::Then, kExpectedThen);
        if (!Is(Tok::Newline) || Cur().text == u":") {
            if (Is(Tok::Newline)) Next();
            // Single-line form: statements up to the end of the line, optional Else part.
            ParseLineStatements(s.blocks.emplace_back());
            if (Is(Kw::Else)) {
                Next();
                ParseLineStatements(s.blocks.emplace_back());
            }
            if (Is(Kw::End) && Peek().kind == Tok::Keyword && Peek().kw == Kw::If) {
                Next();
                Next();
            }
            if (!Is(Tok::End)) {
                if (!Is(Tok::Newline)) Fail(kExpectedEos);
                Next();
            }
            return;
        }
        ParseBlock(s.blocks.emplace_back());
        for (;;) {
            if (Is(Kw::ElseIf)) {
                Next();
                s.conds.push_back(ParseExpr());
                Expect(Kw::Then, kExpectedThen);
                ParseBlock(s.blocks.emplace_back());
                continue;
            }
            if (Is(Kw::Else)) {
                Next();
                ParseBlock(s.blocks.emplace_back());
            }
            break;
        }
        ExpectEnd(Kw::If, kExpectedIf);
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
            // Statements end with EndOfStatement, which consumes a newline: step back when a
            // real line end was eaten, so that it ends the If.
            ParseStatement(b);
            if (pos_ > 0 && t_[pos_ - 1].kind == Tok::Newline && t_[pos_ - 1].text != u":") --pos_;
        }
        --singleLineIf_;
    }

    void ParseSelect(Block& b) {
        int line = Cur().line;
        Next();
        Expect(Kw::Case, kExpectedCase);
        auto& s = gen_.Add<SelectStmt>(b, line);
        s.subject = ParseExpr();
        EndOfStatement();
        SkipNewlines();
        while (Is(Kw::Case)) {
            Next();
            SelectStmt::Case& c = s.cases.emplace_back();
            if (Is(Kw::Else)) {
                Next();
            } else {
                for (;;) {
                    if (Is(Kw::Is) || Is(Kw::To)) Fail(kExpectedEos);
                    c.values.push_back(ParseExpr());
                    if (Is(Kw::To) || Is(Kw::Is)) Fail(kExpectedEos);
                    if (!Is(Tok::Comma)) break;
                    Next();
                }
            }
            if (Is(Tok::Newline)) Next();  // a statement may follow on the same line
            bool isElse = c.values.empty();
            ParseBlock(c.body);
            if (isElse && Is(Kw::Case)) Fail(kExpectedEnd);
        }
        ExpectEnd(Kw::Select, kExpectedSelect);
        EndOfStatement();
    }

    ExprPtr ParseLoopVariable() {
        int line = Cur().line;
        if (!IsNameToken(Cur())) Fail(kExpectedIdent);
        std::u16string name(Cur().text);
        Next();
        return gen_.LoopVariable(name, line, Here());
    }

    // Next [name]
    void ExpectNext() {
        Expect(Kw::Next, kExpectedNext);
        if (IsNameToken(Cur())) Next();
        EndOfStatement();
    }

    void ParseFor(Block& b) {
        int line = Cur().line;
        Next();
        if (Is(Kw::Each)) {
            Next();
            auto& s = gen_.Add<ForEachStmt>(b, line);
            s.var = ParseLoopVariable();
            Expect(Kw::In, kExpectedIn);
            s.collection = ParseExpr();
            EndOfStatement();
            ParseLoopBody(s.body);
            ExpectNext();
            return;
        }
        auto& s = gen_.Add<ForStmt>(b, line);
        s.var = ParseLoopVariable();
        Expect(Tok::Eq, kExpectedEq);
        s.from = ParseExpr();
        Expect(Kw::To, kExpectedTo);
        s.to = ParseExpr();
        if (Is(Kw::Step)) {
            Next();
            s.step = ParseExpr();
        }
        EndOfStatement();
        ParseLoopBody(s.body);
        ExpectNext();
    }

    // Do [While|Until cond] ... Loop [While|Until cond]
    void ParseDo(Block& b) {
        int line = Cur().line;
        Next();
        auto& s = gen_.Add<DoStmt>(b, line);
        if (Is(Kw::While) || Is(Kw::Until)) {
            s.isUntil = Is(Kw::Until);
            Next();
            s.cond = ParseExpr();
        }
        EndOfStatement();
        ParseBlock(s.body);
        Expect(Kw::Loop, kExpectedLoop);
        if (Is(Kw::While) || Is(Kw::Until)) {
            if (s.cond) Fail(kExpectedEos);
            s.isUntil = Is(Kw::Until);
            s.condAtEnd = true;
            Next();
            s.cond = ParseExpr();
        }
        EndOfStatement();
    }

    void ParseWhile(Block& b) {
        int line = Cur().line;
        Next();
        auto& s = gen_.Add<DoStmt>(b, line);
        s.cond = ParseExpr();
        EndOfStatement();
        ParseBlock(s.body);
        Expect(Kw::Wend, kExpectedWend);
        EndOfStatement();
    }

    void ParseWith(Block& b) {
        int line = Cur().line;
        Next();
        auto& s = gen_.Add<WithStmt>(b, line);
        s.object = ParseExpr();
        EndOfStatement();
        s.slot = gen_.BeginWith();
        ParseBlock(s.body);
        gen_.EndWith();
        ExpectEnd(Kw::With, kExpectedWith);
        EndOfStatement();
    }

    void ParseOnError(Block& b) {
        int line = Cur().line;
        Next();
        Expect(Kw::Error, kSyntax);
        auto& s = gen_.Add<OnErrorStmt>(b, line);
        if (Is(Kw::Resume)) {
            Next();
            Expect(Kw::Next, kSyntax);
            s.resumeNext = true;
        } else if (Is(Kw::GoTo)) {
            Next();
            if (!(Is(Tok::Number) && Cur().value.Type() == vtInteger &&
                  Cur().value.AsInteger() == 0))
                Fail(kSyntax);
            Next();
        } else {
            Fail(kSyntax);
        }
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
        ProcKind kind;
        Kw endKw;
        if (Is(Kw::Sub)) {
            kind = ProcKind::Sub;
            endKw = Kw::Sub;
        } else if (Is(Kw::Function)) {
            kind = ProcKind::Function;
            endKw = Kw::Function;
        } else if (Is(Kw::Property)) {
            if (!inClass) Fail(kMustBeInClass);
            Next();
            if (Is(Kw::Get))
                kind = ProcKind::PropGet;
            else if (Is(Kw::Let))
                kind = ProcKind::PropLet;
            else if (Is(Kw::Set))
                kind = ProcKind::PropSet;
            else
                Fail(kExpectedLetSetGet);
            endKw = Kw::Property;
        } else {
            Fail(kSyntax);
        }
        if (isDefault && kind != ProcKind::Function && kind != ProcKind::PropGet &&
            kind != ProcKind::Sub)
            Fail(kDefaultOnlyGet);
        Next();
        ProcScope scope;
        ProcDef& def =
            gen_.BeginProc(scope, kind, std::u16string(ExpectName()), !isPrivate, isDefault, line);
        if (Is(Tok::LParen)) {
            Next();
            while (!Is(Tok::RParen)) {
                bool byRef = true;
                if (Is(Kw::ByVal)) {
                    byRef = false;
                    Next();
                } else if (Is(Kw::ByRef)) {
                    Next();
                }
                std::u16string name(ExpectName());
                if (Is(Tok::LParen)) {
                    Next();
                    Expect(Tok::RParen, kExpectedRParen);
                }
                gen_.AddParam(scope, std::move(name), byRef);
                if (Is(Tok::Comma)) {
                    Next();
                    if (Is(Tok::RParen)) Fail(kExpectedIdent);
                    continue;
                }
                if (!Is(Tok::RParen)) Fail(kExpectedRParen);
            }
            Next();
        }
        if ((kind == ProcKind::PropLet || kind == ProcKind::PropSet) && def.params.empty())
            Fail(kPropNeedsArg);
        std::u16string lowerName = Lower(def.name);
        if (inClass && (lowerName == u"class_initialize" || lowerName == u"class_terminate") &&
            !def.params.empty())
            Fail(kInitNoArgs);
        if (Is(Tok::Newline)) Next();
        PrescanLocals(scope);
        gen_.EnterBody(scope);
        ParseBlock(def.body);
        gen_.LeaveBody(scope);
        Expect(Kw::End, kExpectedEnd);
        if (!Is(endKw)) {
            Fail(endKw == Kw::Sub        ? kExpectedSub
                 : endKw == Kw::Function ? kExpectedFunction
                                         : kExpectedProperty);
        }
        Next();
        EndOfStatement();
        gen_.EndProc(inClass, Here());
    }

    // How a name list treats other tokens: after any of them (Dim, ReDim), after one outside
    // parentheses (Const) or never (class fields) no name is expected until the next comma.
    enum class Others { Anywhere, OutsideParens, Never };

    // The names a Dim, ReDim, Const or field list declares: calls declare(token) for each,
    // from token j to the end of the line; returns where it stopped.
    template <typename Declare>
    size_t ScanNameList(size_t j, Others others, Declare declare) const {
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
                declare(u);
                expectName = false;
            } else if (others == Others::Anywhere ||
                       (others == Others::OutsideParens && depth == 0)) {
                expectName = false;
            }
        }
        return j;
    }

    // Dim, ReDim and Const anywhere in a procedure declare locals for the whole procedure.
    void PrescanLocals(ProcScope& scope) {
        bool atStart = true;
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
            size_t j = i + 1;
            if (j < t_.size() && t_[j].kind == Tok::Keyword && t_[j].kw == Kw::Preserve) ++j;
            Kw statement = t.kw;
            Others others = statement == Kw::Const ? Others::OutsideParens : Others::Anywhere;
            i = ScanNameList(
                    j, others,
                    [&](const Token& name) { gen_.PredeclareLocal(scope, name, statement); }) -
                1;
        }
    }

    // Registers every member name of a class before its bodies are compiled.
    void PrescanClass() {
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
            bool isMethod;
            if (kwAt(j, Kw::Sub) || kwAt(j, Kw::Function)) {
                isMethod = true;
                ++j;
            } else if (kwAt(j, Kw::Property)) {
                isMethod = false;
                j += 2;
            } else if (t.kw == Kw::Dim || t.kw == Kw::Public || t.kw == Kw::Private) {
                if (t.kw == Kw::Dim) j = i + 1;
                i = ScanNameList(j, Others::Never,
                                 [&](const Token& name) {
                                     gen_.PredeclareField(std::u16string(name.text), isPublic);
                                 }) -
                    1;
                continue;
            } else {
                continue;
            }
            if (j >= t_.size() || !IsNameToken(t_[j])) continue;
            inProc = true;
            gen_.PredeclareMember(std::u16string(t_[j].text), isMethod, isPublic);
        }
    }

    void ParseClass() {
        int line = Cur().line;
        Next();
        std::u16string name(ExpectName());
        EndOfStatement();
        gen_.BeginClass(std::move(name), line);
        PrescanClass();
        for (;;) {
            SkipNewlines();
            if (Is(Tok::End)) Fail(kExpectedEnd);
            if (Is(Kw::End)) {
                Next();
                Expect(Kw::Class, kExpectedClass);
                EndOfStatement();
                break;
            }
            if (!Recovering([&] { ParseClassMember(); })) Fail(kExpectedEnd);
        }
        gen_.EndClass();
    }

    void ParseClassMember() {
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
            ParseFields();
            return;
        }
        if (Is(Kw::Dim)) {
            Next();
            ParseFields();
            return;
        }
        if (Is(Kw::Sub) || Is(Kw::Function) || Is(Kw::Property) || Is(Kw::Default)) {
            ParseProc(false, true);
            return;
        }
        Fail(kSyntax);
    }

    void ParseFields() {
        for (;;) {
            std::u16string name(ExpectName());
            bool isArray = false;
            ExprList dims;
            if (Is(Tok::LParen)) {
                isArray = true;
                Next();
                if (!Is(Tok::RParen)) dims = ParseDims();
                Expect(Tok::RParen, kExpectedRParen);
            }
            gen_.DefineField(name, isArray, std::move(dims));
            if (!Is(Tok::Comma)) break;
            Next();
        }
        EndOfStatement();
    }

    const std::vector<Token>& t_;
    size_t pos_ = 0;
    CodeGen gen_;
    int singleLineIf_ = 0;
    int loopDepth_ = 0;
    int nesting_ = 0;
    std::vector<CompileFailure>* errors_ = nullptr;
    int openFailures_ = 0;  // checking: blocks whose head failed, their ends not yet seen
};

// This thread's token list, lent to one compile at a time: a long text is compiled piece by
// piece, and each piece's tokens land in memory already in use. A compile inside a compile
// gets a list of its own; a list grown past kKeptTokens by an unusually long piece is not
// kept at that size.
class BorrowedTokens {
  public:
    BorrowedTokens() : list_(busy_ ? own_ : kept_), wasBusy_(busy_) { busy_ = true; }
    ~BorrowedTokens() {
        if (list_.tokens.capacity() > kKeptTokens) list_ = TokenList();
        busy_ = wasBusy_;
    }
    BorrowedTokens(const BorrowedTokens&) = delete;
    BorrowedTokens& operator=(const BorrowedTokens&) = delete;
    TokenList& list() { return list_; }

  private:
    static thread_local TokenList kept_;
    static thread_local bool busy_;
    TokenList own_;
    TokenList& list_;
    bool wasBusy_;
};
thread_local TokenList BorrowedTokens::kept_;
thread_local bool BorrowedTokens::busy_ = false;

}  // namespace

std::shared_ptr<Program> CompileProgram(EngineImpl& e, std::u16string_view text, int firstLine,
                                        bool asExpression, bool optionExplicit, bool dynamicScope) {
    auto prog = std::make_shared<Program>();
    prog->optionExplicit = optionExplicit;
    prog->dynamicScope = dynamicScope;
    const NodeArenaScope nodesInProgram(prog->arena);
    BorrowedTokens tokens;
    Tokenize(text, firstLine, tokens.list());
    Parser p(e, tokens.list(), *prog);
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
    TokenList tokens;
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
    Parser p(e, tokens, prog);
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
