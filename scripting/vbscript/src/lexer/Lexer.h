// Tokens of VBScript source text.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "vbscript/Variant.h"

namespace vbs {

enum class Tok : uint8_t {
    End,
    Newline,  // end of line or ':'
    Ident,
    Keyword,
    Number,  // value holds the literal
    String,
    Date,
    LParen,
    RParen,
    Comma,
    Dot,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Amp,
};

enum class Kw : uint8_t {
    None,
    And,
    ByRef,
    ByVal,
    Call,
    Case,
    Class,
    Const,
    Default,
    Dim,
    Do,
    Each,
    Else,
    ElseIf,
    Empty,
    End,
    Eqv,
    Error,
    Exit,
    Explicit,
    False,
    For,
    Function,
    Get,
    GoTo,
    If,
    Imp,
    In,
    Is,
    Let,
    Loop,
    Me,
    Mod,
    New,
    Next,
    Not,
    Nothing,
    Null,
    On,
    Option,
    Or,
    Preserve,
    Private,
    Property,
    Public,
    ReDim,
    Resume,
    Select,
    Set,
    Step,
    Stop,
    Sub,
    Then,
    To,
    True,
    Until,
    Wend,
    While,
    With,
    Xor,
    Erase,
    Randomize
};

struct Token {
    Tok kind = Tok::End;
    Kw kw = Kw::None;
    bool spaceBefore = false;
    int line = 1;
    int column = 1;
    // Identifier spelling / string contents: a view into the source text, or into the token
    // list's own texts for strings with doubled quotes.
    std::u16string_view text;
    Variant value;  // number and date literals
};

// The tokens of a text, valid while the text lives.
struct TokenList {
    std::vector<Token> tokens;
    std::deque<std::u16string> texts;  // string literals with "" made one quote
};

struct CompileFailure {
    int number;
    int line;
    int column;
};

// Splits text into tokens; throws CompileFailure on a lexical error.
TokenList Tokenize(std::u16string_view text, int firstLine);
// The same into a list of the caller's, whose storage is used again.
void Tokenize(std::u16string_view text, int firstLine, TokenList& into);
// Whether an identifier (lower case) is a reserved word.
Kw KeywordOf(std::u16string_view lower);
// The reserved word `word` is, written in any letter case (Kw::None for other words).
Kw KeywordIn(std::u16string_view word);

}  // namespace vbs
