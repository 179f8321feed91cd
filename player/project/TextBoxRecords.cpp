#include "project/TextBoxRecords.h"

#include <QVariant>
#include <functional>

#include "core/BasicConvert.h"
#include "platform/files/FileSystem.h"
#include "platform/seqfile/SeqFile.h"

namespace storyloom {

QString TextBoxFile(const FileSystem& fs, const QString& framesDataPath, const QString& frameName) {
    const QString base = framesDataPath + frameName;
    const QString merged = base + QStringLiteral(".mr1");
    if (!fs.FileExists(merged).isEmpty()) return merged;
    const QString plain = base + QStringLiteral(".fm1");
    if (!fs.FileExists(plain).isEmpty()) return plain;
    return {};
}

TextBoxRecord ReadTextBoxRecord(SeqReader& r) {
    TextBoxRecord t;
    auto field = [&r](const std::function<void(const QVariant&)>& take) {
        if (r.AtEnd()) return;
        try {
            take(r.ReadVariant());
        } catch (const std::exception&) {
        }
    };
    auto skip = [](const QVariant&) {};
    field(skip);
    field([&](const QVariant& v) { t.MergedFlag = CInt(v); });
    for (int f = 3; f <= 10; ++f) field(skip);
    field([&](const QVariant& v) {
        const QString caption = CStr(v);
        t.Caption = caption.compare(QStringLiteral("[empty]"), Qt::CaseInsensitive) == 0 ? QString()
                                                                                         : caption;
    });
    field([&](const QVariant& v) { t.Left = CDbl(v); });
    field([&](const QVariant& v) { t.Top = CDbl(v); });
    field([&](const QVariant& v) { t.Bold = CBool(v); });
    field([&](const QVariant& v) { t.Italic = CBool(v); });
    field([&](const QVariant& v) {
        const QString name = CStr(v);
        t.FontName = name.isEmpty() ? QStringLiteral("Arial") : name;
    });
    field([&](const QVariant& v) {
        const double size = CDbl(v);
        if (size > 0 && size <= 2048) t.FontSize = size;
    });
    field([&](const QVariant& v) { t.Strikethrough = CBool(v); });
    field([&](const QVariant& v) { t.Underline = CBool(v); });
    field([&](const QVariant& v) { t.ForeColor = static_cast<quint32>(CLng(v)) & 0xFFFFFFu; });
    field(skip);
    return t;
}

}  // namespace storyloom
