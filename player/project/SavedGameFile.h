#pragma once
// The saved-game file (one value per line, the project's record format, code page 1252, CR LF)
// and the resume file the authoring tool may leave in the Config folder.
//
// A saved game holds, in order: the frame to resume at; the integer variables (count, then
// name and value each); the hidden hotspots (count, then frame and hotspot number each); the
// items (count, then names); the frames history (count, then names, oldest first); three empty
// strings, the project title, the game name, the date (mm/dd/yyyy) and the version text; the
// variant variables (count, then name and value each). Older files end after the items, after
// the history or after the version text.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <vector>

namespace storyloom {

class FileSystem;

struct SavedGameData {
    QString frameName;
    std::vector<std::pair<QString, qint16>> variables;
    std::vector<std::pair<QString, qint16>> hiddenHotspots;  // frame name, hotspot number
    QStringList items;
    // Absent in the oldest files (the history is then left empty).
    bool hasHistory = false;
    QStringList history;
    // Fields read and ignored; written by every save.
    bool hasTrailer = false;
    QString projectTitle;
    QString gameName;
    QString date;
    QString version;
    // Absent in files older than the variant variables.
    bool hasVariants = false;
    std::vector<std::pair<QString, QVariant>> variants;

    bool operator==(const SavedGameData&) const = default;
};

inline const QString kSavedGameVersion = QStringLiteral("Version 3.5.2");

// Reads a whole saved game; throws SeqError (past the end, wrong type, overflow) when the file
// ends inside a part or holds a value of the wrong kind, and nothing is half-applied by it.
SavedGameData ReadSavedGame(const QByteArray& bytes);
// The bytes of a saved game, every part present.
QByteArray WriteSavedGame(const SavedGameData& data);

// The frame a game saved on `frameName` resumes at: the last pair of the resume file whose first
// name equals `frameName` (case ignored) and whose second name is not empty; `frameName` itself
// when there is none, when the file is missing or damaged, or when the name is empty.
QString ResumeLocation(const FileSystem& fs, const QString& resumeFilePath,
                       const QString& frameName);

}  // namespace storyloom
