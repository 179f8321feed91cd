#pragma once
// A frame's dialogue file (FramesData\<frame>.dlg): a header, then one record per question.
#include <QByteArray>
#include <QString>
#include <vector>

namespace storyloom {

struct DialogueQuestion {
    QString QuestionText;
    QString AnswerText;
    // Scripts, with each "|" of the file already turned into a double quote.
    QString ScriptBefore;
    QString ScriptMiddle;
    QString ScriptAfter;
    qint16 QuestionId = 0;
    bool InitiallyShown = false;
    bool EndsDialogue = false;
    qint16 Hotspot1 = 0;
    qint16 Hotspot2 = 0;
    qint16 Hotspot3 = 0;
    std::vector<qint16> RevealIds;
    std::vector<qint16> HideIds;
    double AnswerSeconds = 0;
    bool TimedAnswer = false;

    bool operator==(const DialogueQuestion&) const = default;
};

// Reads the questions of a dialogue file; throws SeqError when the file ends inside the header
// or a question, or holds a value of the wrong kind.
std::vector<DialogueQuestion> ReadDialogue(const QByteArray& bytes);
// The bytes the authoring tool writes for these questions (scripts with "|" for quotes).
QByteArray WriteDialogue(const std::vector<DialogueQuestion>& questions);

}  // namespace storyloom
