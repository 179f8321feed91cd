#include "project/SavedGameFile.h"

#include "platform/files/FileSystem.h"
#include "platform/seqfile/SeqFile.h"

namespace storyloom {

namespace {

// A count written by the player; a negative one counts as none.
qint32 ReadCount(SeqReader& r) {
    const qint32 n = r.ReadLong();
    return n < 0 ? 0 : n;
}

}  // namespace

SavedGameData ReadSavedGame(const QByteArray& bytes) {
    SeqReader r(bytes);
    SavedGameData d;
    d.frameName = r.ReadString();
    for (qint32 i = 0, n = ReadCount(r); i < n; ++i) {
        QString name = r.ReadString();
        const qint16 value = r.ReadInteger();
        d.variables.emplace_back(std::move(name), value);
    }
    for (qint32 i = 0, n = ReadCount(r); i < n; ++i) {
        QString frame = r.ReadString();
        const qint16 hotspot = r.ReadInteger();
        d.hiddenHotspots.emplace_back(std::move(frame), hotspot);
    }
    for (qint32 i = 0, n = r.ReadInteger(); i < n; ++i) d.items << r.ReadString();
    if (r.AtEnd()) return d;

    d.hasHistory = true;
    for (qint32 i = 0, n = r.ReadInteger(); i < n; ++i) d.history << r.ReadString();
    if (r.AtEnd()) return d;

    d.hasTrailer = true;
    for (int i = 0; i < 3; ++i) r.ReadVariant();
    d.projectTitle = r.ReadString();
    d.gameName = r.ReadString();
    d.date = r.ReadString();
    d.version = r.ReadString();
    if (r.AtEnd()) return d;

    d.hasVariants = true;
    // An empty value is written as an empty line; as the file's last line it looks like the
    // blank end of the file, so the last value reads as empty when the file ends with that line
    // (a file cut right after the name still counts as cut).
    const bool endsWithEmptyLine = bytes.endsWith("\n\r\n") || bytes.endsWith("\n\n");
    for (qint32 i = 0, n = ReadCount(r); i < n; ++i) {
        QString name = r.ReadString();
        QVariant value =
            i == n - 1 && endsWithEmptyLine && r.AtEnd() ? QVariant() : r.ReadVariant();
        d.variants.emplace_back(std::move(name), std::move(value));
    }
    return d;
}

QByteArray WriteSavedGame(const SavedGameData& d) {
    SeqWriter w;
    auto str = [&w](const QString& s) {
        w.WriteString(s);
        w.EndRecord();
    };
    auto num = [&w](qint64 v) {
        w.WriteInteger(v);
        w.EndRecord();
    };
    str(d.frameName);
    num(static_cast<qint64>(d.variables.size()));
    for (const auto& [name, value] : d.variables) {
        str(name);
        num(value);
    }
    num(static_cast<qint64>(d.hiddenHotspots.size()));
    for (const auto& [frame, hotspot] : d.hiddenHotspots) {
        str(frame);
        num(hotspot);
    }
    num(d.items.size());
    for (const QString& item : d.items) str(item);
    num(d.history.size());
    for (const QString& entry : d.history) str(entry);
    for (int i = 0; i < 3; ++i) str(QString());
    str(d.projectTitle);
    str(d.gameName);
    str(d.date);
    str(d.version);
    num(static_cast<qint64>(d.variants.size()));
    for (const auto& [name, value] : d.variants) {
        str(name);
        w.WriteVariant(value);
        w.EndRecord();
    }
    return w.Bytes();
}

QString ResumeLocation(const FileSystem& fs, const QString& resumeFilePath,
                       const QString& frameName) {
    if (frameName.isEmpty() || !fs.IsFile(resumeFilePath)) return frameName;
    const std::optional<QByteArray> bytes = fs.ReadAll(resumeFilePath);
    if (!bytes) return frameName;
    QString result = frameName;
    try {
        SeqReader r(*bytes);
        for (int i = 0; i < 6; ++i) r.ReadVariant();
        while (!r.AtEnd()) {
            const QString from = r.ReadString();
            const QString to = r.ReadString();
            if (from.compare(frameName, Qt::CaseInsensitive) == 0 && !to.isEmpty()) result = to;
        }
    } catch (const SeqError&) {
        return frameName;
    }
    return result;
}

}  // namespace storyloom
