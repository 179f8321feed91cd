#include "project/Procedures.h"

#include <QList>
#include <array>
#include <cctype>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/text/Codepage1252.h"
#include "project/ProjectInformation.h"

namespace storyloom {

namespace {

constexpr char kKeyString[] = "qmvaxhpzlukwrsbyignte";
constexpr int kKeyLength = 21;

constexpr int Key(qsizetype i) {
    return kKeyString[i % kKeyLength] - 32;
}

qint64 Modulo(qint64 value, qint64 m) {
    const qint64 r = value % m;
    return r < 0 ? r + m : r;
}

// Basic's Line Input over raw bytes: a line ends at CR LF, a lone CR or a lone LF. Lines are
// handed out as views into the bytes, which the reader keeps.
class LineReader {
  public:
    explicit LineReader(QByteArray bytes) : bytes_(std::move(bytes)) {}
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    QByteArrayView ReadLine() {
        if (AtEnd()) throw RunError(62, QStringLiteral("Input past end of file"));
        const char* data = bytes_.constData();
        const qsizetype size = bytes_.size();
        qsizetype end = pos_;
        // Lines mostly end with CR LF: find the next LF quickly, then look for an earlier CR.
        const void* lf = std::memchr(data + pos_, '\n', size_t(size - pos_));
        const qsizetype limit = lf ? static_cast<const char*>(lf) - data : size;
        const void* cr = std::memchr(data + pos_, '\r', size_t(limit - pos_));
        end = cr ? static_cast<const char*>(cr) - data : limit;
        const QByteArrayView line(data + pos_, end - pos_);
        pos_ = end;
        if (pos_ < size && data[pos_] == '\r') ++pos_;
        if (pos_ < size && data[pos_] == '\n') ++pos_;
        return line;
    }

  private:
    QByteArray bytes_;
    qsizetype pos_ = 0;
};

bool IsWordStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool IsKeyword(std::string_view word) {
    static constexpr std::string_view kKeywords[] = {
        "sub",   "end",    "function", "dim",    "if",    "then",  "else",   "elseif", "for",
        "each",  "next",   "to",       "do",     "loop",  "while", "wend",   "call",   "set",
        "exit",  "select", "case",     "and",    "or",    "not",   "true",   "false",  "nothing",
        "byval", "byref",  "private",  "public", "const", "on",    "error",  "resume", "redim",
        "with",  "is",     "mod",      "step",   "until", "new",   "msgbox", "in",     "preserve"};
    for (std::string_view k : kKeywords)
        if (k == word) return true;
    return false;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// How much a decoded text looks like script code. A wrong offset shifts every printable
// character by the same amount, which turns keywords and blanks into noise.
qint64 ScriptLikeness(const QList<QByteArray>& lines, qint64 offset) {
    qint64 score = 0;
    int subs = 0, endSubs = 0, functions = 0, endFunctions = 0;
    std::string simple;
    for (const QByteArray& scrambled : lines) {
        const QByteArray plain = UnscrambleLine(scrambled, offset);
        // The line lower-cased with its runs of blanks and tabs made single blanks.
        simple.clear();
        for (char c : plain) {
            if (c == ' ')
                score += 2;
            else if (std::isalnum(static_cast<unsigned char>(c)))
                score += 1;
            else if (c == '{' || c == '}' || c == '~' || c == '`' || c == '\\' || c == '^' ||
                     c == '@')
                score -= 2;
            const bool blank = c == ' ' || c == '\t';
            if (blank && (simple.empty() || simple.back() == ' ')) continue;
            simple.push_back(
                blank ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
        if (!simple.empty() && simple.back() == ' ') simple.pop_back();
        for (size_t i = 0; i < simple.size();) {
            if (!IsWordStart(simple[i])) {
                ++i;
                continue;
            }
            size_t end = i + 1;
            while (end < simple.size() && IsWordChar(simple[end])) ++end;
            if (IsKeyword(std::string_view(simple).substr(i, end - i))) score += 20;
            i = end;
        }
        const std::string_view line(simple);
        if (StartsWith(line, "sub ") || StartsWith(line, "private sub ") ||
            StartsWith(line, "public sub "))
            ++subs;
        else if (StartsWith(line, "function ") || StartsWith(line, "private function ") ||
                 StartsWith(line, "public function "))
            ++functions;
        else if (line == "end sub")
            ++endSubs;
        else if (line == "end function")
            ++endFunctions;
    }
    if (subs + functions > 0 && subs == endSubs && functions == endFunctions) score += 200;
    return score;
}

}  // namespace

QByteArray UnscrambleLine(const QByteArray& text, qint64 offset) {
    if (text.isEmpty()) return {};
    const qint64 base = static_cast<unsigned char>(text.at(0)) - 32;
    const qsizetype length = text.size();
    QByteArray out;
    out.reserve(length - 1);
    for (qsizetype i = 0; i <= length - 2; ++i) {
        const int c = static_cast<unsigned char>(text.at(length - 1 - i));
        if (c >= 32 && c <= 126) {
            const qint64 shifted = c - (offset + (i + base) * Key(i)) - 32;
            out.append(static_cast<char>(Modulo(shifted, 94) + 32));
        } else {
            out.append(static_cast<char>(c));
        }
    }
    return out;
}

QByteArray UnscrambleLine2(const QByteArray& text, qint64 offset) {
    auto exchange = [](int c) { return c == 32 ? 34 : c == 34 ? 32 : c; };
    if (text.isEmpty()) return {};
    const qint64 base = static_cast<unsigned char>(text.at(0)) - 35;
    const qsizetype length = text.size();
    QByteArray out;
    out.reserve(length - 1);
    for (qsizetype i = 0; i <= length - 2; ++i) {
        // Blank and double quote trade places on the way in and on the way out, so codes
        // outside the transformed range (a double quote among them) come out as they were.
        int c = exchange(static_cast<unsigned char>(text.at(length - 1 - i)));
        if (c >= 33 && c <= 126)
            c = static_cast<int>(Modulo(c - (offset + (i + base) * Key(i)) - 33, 93) + 33);
        out.append(static_cast<char>(exchange(c)));
    }
    return out;
}

qint32 ProjectNumber(const QString& projectTitle) {
    // A plain weighted sum of the title's 1252 codes.
    const QByteArray bytes = ToCp1252(projectTitle);
    qint64 sum = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        sum = (sum + static_cast<unsigned char>(bytes.at(i)) * (i + 1)) % 2147483647;
    return static_cast<qint32>(sum);
}

int FindProcedureOffset(const QList<QByteArray>& scrambledLines, qint64 preferred) {
    // Scoring a few hundred lines is plenty to tell script code from shifted noise.
    const QList<QByteArray> sample = scrambledLines.mid(0, 400);
    const int preferredOffset = static_cast<int>(Modulo(preferred, 94));
    int best = preferredOffset;
    qint64 bestScore = ScriptLikeness(sample, preferredOffset);
    for (int candidate = 0; candidate < 94; ++candidate) {
        if (candidate == preferredOffset) continue;
        const qint64 score = ScriptLikeness(sample, candidate);
        if (score > bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}

QString LoadProcedures(Program& program) {
    const qint32 projectNumber = ProjectNumber(program.info.ProjectTitle);
    const bool scrambled = ProceduresScrambled(program);
    const QString path = program.paths.ConfigPath + QStringLiteral("Procedures");
    if (program.platform.files.FileExists(path).isEmpty()) return {};
    try {
        LineReader in(ReadDataFile(program.platform.files, path));
        for (int i = 0; i < 3 && !in.AtEnd(); ++i) in.ReadLine();
        // One text, the lines' own ends made CR LF. The lines are read twice (the reader
        // shares the bytes): once for the length of the text, once into it.
        qsizetype total = 0;
        qsizetype count = 0;
        for (LineReader measure = in; count == 0 || !measure.AtEnd(); ++count)
            total += measure.ReadLine().size() + 2;
        QString result;
        result.reserve(total);
        if (!scrambled) {
            for (qsizetype i = 0; i < count; ++i) {
                if (i > 0) result += kCrLf;
                const QByteArrayView line = in.ReadLine();
                AppendFromCp1252(result, line.data(), line.size());
            }
            return result;
        }
        QList<QByteArray> scrambledLines;
        scrambledLines.reserve(count);
        for (qsizetype i = 0; i < count; ++i) scrambledLines.append(in.ReadLine().toByteArray());
        const qint64 offset = FindProcedureOffset(scrambledLines, projectNumber);
        for (qsizetype i = 0; i < count; ++i) {
            if (i > 0) result += kCrLf;
            const QByteArray plain = UnscrambleLine(scrambledLines.at(i), offset);
            AppendFromCp1252(result, plain.constData(), plain.size());
        }
        return result;
    } catch (const std::exception&) {
        program.platform.dialogs.Show(BoxIcon::Critical, QStringLiteral("Error"),
                                      QStringLiteral("Error loading projet procedures."));
        return {};
    }
}

}  // namespace storyloom
