#pragma once
// The text-box file of a frame (<frame>.fm1, or the merged <frame>.mr1): one record per text
// box with its caption, place, font and colour. A field that cannot be read or converted is
// left out and reading goes on with the next one, so one bad value costs only that property.
#include <QString>
#include <optional>

namespace storyloom {

class FileSystem;
class SeqReader;

struct TextBoxRecord {
    std::optional<qint16> MergedFlag;
    std::optional<QString> Caption;   // "[empty]" already turned into ""
    std::optional<double> Left, Top;  // twips
    std::optional<bool> Bold, Italic;
    std::optional<QString> FontName;  // "" already turned into "Arial"
    std::optional<double> FontSize;   // only sizes above 0 and up to 2048
    std::optional<bool> Strikethrough, Underline;
    std::optional<quint32> ForeColor;  // RGB
};

// The text-box file of `frameName` in `framesDataPath`: the merged form when it exists; empty
// when the frame has neither.
QString TextBoxFile(const FileSystem& fs, const QString& framesDataPath, const QString& frameName);

// One record (22 fields; the separator is the last). Never throws.
TextBoxRecord ReadTextBoxRecord(SeqReader& r);

}  // namespace storyloom
