#include "project/ActionRecords.h"

#include <QVariant>
#include <array>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "platform/files/FileSystem.h"
#include "project/RecordFields.h"

namespace storyloom {

namespace {

QString AnyText(const QVariant& v) {
    return CStr(v);
}

}  // namespace

std::optional<SeqReader> OpenActionRecord(const FileSystem& fs, const QString& framesDataPath,
                                          const QString& frameName, int areaIndex,
                                          const QString& dropItemName,
                                          const std::function<bool()>& stopRequested) {
    const QString base = framesDataPath + frameName;
    std::optional<SeqReader> reader;
    if (!dropItemName.isEmpty()) {
        // An item dropped on a hotspot: the record whose key names the pair.
        const QString dropKey = QString::number(areaIndex) + QStringLiteral("_") + dropItemName +
                                QStringLiteral(".drg");
        const QString file = base + QStringLiteral(".fm0");
        if (fs.FileExists(file).isEmpty()) return std::nullopt;
        reader.emplace(OpenSeqFile(fs, file));
        bool found = false;
        while (!reader->AtEnd()) {
            if (stopRequested()) return std::nullopt;
            reader->ReadVariant();
            if (reader->ReadString().compare(dropKey, Qt::CaseInsensitive) == 0) {
                found = true;
                break;
            }
            SkipToSeparator(*reader);
        }
        if (!found) return std::nullopt;
        for (int f = 3; f <= 10; ++f) reader->ReadVariant();
    } else {
        const QString merged = base + QStringLiteral(".mr3");
        const QString file =
            fs.FileExists(merged).isEmpty() ? base + QStringLiteral(".fm3") : merged;
        if (fs.FileExists(file).isEmpty()) return std::nullopt;
        reader.emplace(OpenSeqFile(fs, file));
        for (int n = 1; n < areaIndex && !reader->AtEnd(); ++n) SkipToSeparator(*reader);
        // A missing or empty record: no action.
        if (NextIsSeparator(*reader)) return std::nullopt;
        for (int f = 1; f <= 10; ++f) reader->ReadVariant();
    }
    return reader;
}

bool ReadActionRecord(SeqReader& r, ActionRecord& a, ActionRecordSink& sink) {
    a.ChangeVariableOn = r.ReadInteger();
    a.ChangeVariableName = r.ReadString();
    a.SetFalse = CBool(r.ReadVariant());
    a.SetTrue = CBool(r.ReadVariant());
    a.Invert = CBool(r.ReadVariant());
    if (!a.ChangeVariableName.isEmpty() && a.ChangeVariableOn != 0) {
        if (a.SetFalse) sink.ChangeVariable(a.ChangeVariableName, 0);
        if (a.SetTrue) sink.ChangeVariable(a.ChangeVariableName, 1);
        if (a.Invert) sink.ChangeVariable(a.ChangeVariableName, -1);
    }
    a.ShowMessage = CBool(r.ReadVariant());
    a.MessageText = AnyText(r.ReadVariant());
    r.ReadInteger();
    r.ReadString();
    a.DisappearOn = CBool(r.ReadVariant());
    if (a.DisappearOn) sink.Disappear();
    a.QuitGame = CBool(r.ReadVariant());
    if (a.QuitGame) return true;
    a.GoToFrameOn = r.ReadInteger();
    a.TargetFrame = r.ReadString();

    // Files of older authoring tools end after any of the groups that follow.
    bool ended = NextIsSeparator(r);
    if (!ended) {
        a.StopHotspotSound = r.ReadInteger();
        if (a.StopHotspotSound != 0) sink.StopMusic();
        a.StopAllSounds = r.ReadInteger();
        if (a.StopAllSounds != 0) sink.StopDigitalSounds();
        a.PlayVideoOn = r.ReadInteger();
        a.VideoFile = r.ReadString();
        a.VideoPlain = r.ReadBoolean();
        a.VideoAtPosition = r.ReadBoolean();
        a.VideoLeft = r.ReadInteger();
        a.VideoTop = r.ReadInteger();
        a.VideoWidth = r.ReadInteger();
        a.VideoHeight = r.ReadInteger();
        ended = NextIsSeparator(r);
    }
    if (!ended) {
        a.StopFrameSound = CBool(r.ReadVariant());
        a.PlayHotspotSound = CBool(r.ReadVariant());
        a.HotspotSoundFile = AnyText(r.ReadVariant());
        a.PlayFrameSound = CBool(r.ReadVariant());
        a.FrameSoundFile = AnyText(r.ReadVariant());
        ended = NextIsSeparator(r);
    }
    if (!ended) {
        for (int f = 29; f <= 31; ++f) r.ReadVariant();
        a.GoToLastVisited = CBool(r.ReadVariant());
        ended = NextIsSeparator(r);
    }
    if (!ended) {
        for (int f = 33; f <= 35; ++f) r.ReadVariant();
        a.MessageMode = CBool(r.ReadVariant());
        ended = NextIsSeparator(r);
    }
    if (!ended) {
        for (int f = 37; f <= 39; ++f) r.ReadVariant();
        a.VariableListsOn = r.ReadInteger();
        // Three lists: names set to 0, set to 1, inverted.
        for (const int value : {0, 1, -1}) {
            const qint32 count = CLng(r.ReadVariant());
            for (qint32 n = 0; n < count; ++n) {
                const QString name = r.ReadString();
                if (!name.isEmpty() && a.VariableListsOn != 0) sink.ChangeVariable(name, value);
            }
        }
        ended = NextIsSeparator(r);
    }
    if (!ended) {
        a.RepeatHotspotSound = r.ReadBoolean();
        ended = NextIsSeparator(r);
    }
    if (!ended) {
        a.TransitionOn = CDbl(r.ReadVariant()) == 1;
        a.TransitionDurationMs = r.ReadDouble();
        ended = NextIsSeparator(r);
    }
    if (!ended) {
        a.ScriptOn = r.ReadBoolean();
        a.ScriptCode = QuoteFromBar(AnyText(r.ReadVariant()));
        ended = NextIsSeparator(r);
    }
    if (!ended) {
        a.TransitionNumber = r.ReadInteger();
        ended = NextIsSeparator(r);
    }
    if (!ended) {
        for (int f = 48; f <= 53; ++f) r.ReadVariant();
        sink.SetFadeDuration(Val(AnyText(r.ReadVariant())) / 1000.0);
        r.ReadInteger();
        const qint16 fieldCount = r.ReadInteger();
        const qint16 channelCount = r.ReadInteger();
        if (fieldCount <= 5) {
            // Values an entry leaves out keep the previous entry's.
            std::array<QVariant, 6> entry;
            for (int k = 1; k <= channelCount; ++k) {
                for (int f = 1; f <= fieldCount; ++f)
                    entry[static_cast<size_t>(f)] = r.ReadVariant();
                if (k > 7) continue;
                SoundChannel ch;
                ch.Mode = CInt(entry[1]);
                ch.CrossFade = CBool(entry[2]);
                ch.Repeat = CBool(entry[3]);
                ch.Volume = CDbl(entry[4]);
                ch.FileName = CStr(entry[5]);
                sink.SetChannel(k, ch);
            }
            if (!NextIsSeparator(r)) {
                a.GiveItemOn = r.ReadBoolean();
                a.GiveItemName = r.ReadString();
                if (!NextIsSeparator(r)) {
                    QString text = QuoteFromMarker(AnyText(r.ReadVariant()));
                    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
                    a.PluginActions = text;
                }
            }
        }
    }
    return false;
}

}  // namespace storyloom
