// The front of the engine: program text to compiled code. The lexer (lexer/) makes tokens,
// the parser (parser/Parser.cpp) reads the grammar and asks the code generator (codegen/) for
// the nodes the interpreter (interp/) runs.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "engine/EngineImpl.h"
#include "lexer/Lexer.h"

namespace vbs {

// Compiles text into a Program (throws CompileFailure).
std::shared_ptr<Program> CompileProgram(EngineImpl& e, std::u16string_view text, int firstLine,
                                        bool asExpression, bool optionExplicit = false,
                                        bool dynamicScope = false);
// Compiles text without running it and returns every compile error found, by line (a failed
// statement is skipped to the end of its line and compiling goes on).
std::vector<CompileFailure> CheckProgram(EngineImpl& e, std::u16string_view text, int firstLine);
// Splits program text into pieces that compile independently (runs of whole top-level
// procedures and classes, at least minLines long), so that an unchanged piece is compiled once.
struct Chunk {
    size_t offset;
    size_t length;
    int firstLine;
};
// `nextLine`: where given, the line a text continuing this one starts on.
std::vector<Chunk> SplitChunks(std::u16string_view text, int firstLine, int minLines,
                               int* nextLine = nullptr);

}  // namespace vbs
