#include "project/DialogueFile.h"

#include "platform/seqfile/SeqFile.h"

namespace storyloom {

namespace {

QString Script(SeqReader& r) {
    return r.ReadString().replace(QLatin1Char('|'), QLatin1Char('"'));
}

std::vector<qint16> IdList(SeqReader& r) {
    std::vector<qint16> ids;
    for (int i = 0, n = r.ReadInteger(); i < n; ++i) ids.push_back(r.ReadInteger());
    return ids;
}

}  // namespace

std::vector<DialogueQuestion> ReadDialogue(const QByteArray& bytes) {
    SeqReader r(bytes);
    for (int i = 0; i < 3; ++i) r.ReadVariant();
    r.ReadString();
    r.ReadString();
    for (int i = 0; i < 6; ++i) r.ReadVariant();
    const int count = r.ReadInteger();
    std::vector<DialogueQuestion> out;
    for (int i = 0; i < count; ++i) {
        DialogueQuestion q;
        q.QuestionText = r.ReadString();
        q.AnswerText = r.ReadString();
        q.ScriptBefore = Script(r);
        q.ScriptMiddle = Script(r);
        q.ScriptAfter = Script(r);
        q.QuestionId = r.ReadInteger();
        q.InitiallyShown = r.ReadBoolean();
        q.EndsDialogue = r.ReadBoolean();
        q.Hotspot1 = r.ReadInteger();
        q.Hotspot2 = r.ReadInteger();
        q.Hotspot3 = r.ReadInteger();
        q.RevealIds = IdList(r);
        q.HideIds = IdList(r);
        q.AnswerSeconds = r.ReadDouble();
        for (int k = 0; k < 3; ++k) r.ReadVariant();
        q.TimedAnswer = r.ReadBoolean();
        r.ReadVariant();
        out.push_back(std::move(q));
    }
    return out;
}

QByteArray WriteDialogue(const std::vector<DialogueQuestion>& questions) {
    SeqWriter w;
    auto script = [](QString s) { return s.replace(QLatin1Char('"'), QLatin1Char('|')); };
    w.WriteInteger(1);
    w.WriteInteger(0);
    w.WriteInteger(0);
    w.EndRecord();
    w.WriteString(QString());
    w.WriteString(QString());
    w.EndRecord();
    for (int i = 0; i < 6; ++i) w.WriteInteger(0);
    w.EndRecord();
    w.WriteInteger(static_cast<qint64>(questions.size()));
    w.EndRecord();
    for (const DialogueQuestion& q : questions) {
        w.WriteString(q.QuestionText);
        w.WriteString(q.AnswerText);
        w.EndRecord();
        w.WriteString(script(q.ScriptBefore));
        w.WriteString(script(q.ScriptMiddle));
        w.WriteString(script(q.ScriptAfter));
        w.EndRecord();
        w.WriteInteger(q.QuestionId);
        w.WriteBoolean(q.InitiallyShown);
        w.WriteBoolean(q.EndsDialogue);
        w.WriteInteger(q.Hotspot1);
        w.WriteInteger(q.Hotspot2);
        w.WriteInteger(q.Hotspot3);
        w.EndRecord();
        w.WriteInteger(static_cast<qint64>(q.RevealIds.size()));
        for (qint16 id : q.RevealIds) w.WriteInteger(id);
        w.EndRecord();
        w.WriteInteger(static_cast<qint64>(q.HideIds.size()));
        for (qint16 id : q.HideIds) w.WriteInteger(id);
        w.EndRecord();
        w.WriteNumber(q.AnswerSeconds);
        w.WriteInteger(0);
        w.WriteInteger(0);
        w.WriteInteger(0);
        w.WriteBoolean(q.TimedAnswer);
        w.WriteInteger(0);
        w.EndRecord();
    }
    return w.Bytes();
}

}  // namespace storyloom
