#include "scripting/Plugins.h"

#include <QSet>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/seqfile/SeqFile.h"
#include "platform/text/Codepage1252.h"
#include "project/Procedures.h"

namespace storyloom {

namespace {

const QChar kActionSeparator(164);
const QChar kArgumentSeparator(165);

QString AnyText(SeqReader& r) {
    return QuoteFromMarker(CStr(r.ReadVariant()));
}

// Protected plug-ins store their code scrambled as one text; the offset depends on the mode.
QString Unscramble(const QString& text, int mode) {
    if (mode == 0) return text;
    return FromCp1252(UnscrambleLine2(ToCp1252(text), mode == 1 ? 100 : 200));
}

QStringList ReadNames(SeqReader& r) {
    QStringList names;
    const qint16 n = r.ReadInteger();
    for (int i = 0; i < n; ++i) names << AnyText(r);
    return names;
}

}  // namespace

void PluginTable::LoadPlugins() {
    Program& p = program_;
    const FileSystem& fs = p.platform.files;
    try {
        QStringList names;
        const QString listPath = p.paths.ConfigPath + QStringLiteral("Plugins");
        QSet<QString> seen;
        if (fs.IsFile(listPath)) {
            SeqReader list = OpenSeqFile(fs, listPath);
            for (int i = 0; i < 10; ++i) list.ReadVariant();
            while (!list.AtEnd()) {
                const QString name = list.ReadString();
                if (seen.contains(name.toLower())) continue;
                seen.insert(name.toLower());
                names << name;
            }
        }
        plugins_.clear();
        for (const QString& name : names) {
            const QString path = p.paths.CPDataPath + name + QStringLiteral(".cp");
            if (name.isEmpty() || !fs.IsFile(path)) continue;
            plugins_.push_back(Plugin{});
            Plugin& plugin = plugins_.back();
            plugin.Name = name;
            SeqReader r = OpenSeqFile(fs, path);
            plugin.FormatVersion = r.ReadInteger();
            for (int i = 2; i <= 8; ++i) r.ReadVariant();
            plugin.Compiled = r.ReadBoolean();
            plugin.Protected = r.ReadBoolean();
            r.ReadString();
            r.ReadString();
            AnyText(r);
            plugin.ActionIdentifier = AnyText(r);
            const int mode = !plugin.Compiled && plugin.Protected   ? 1
                             : plugin.Compiled && !plugin.Protected ? 2
                                                                    : 0;
            plugin.GameStartCode = Unscramble(AnyText(r), mode);
            plugin.FrameOpenCode = Unscramble(AnyText(r), mode);
            plugin.GlobalCode = Unscramble(AnyText(r), mode);
            plugin.IntegerVariables = ReadNames(r);
            plugin.VariantVariables = ReadNames(r);
            CBool(r.ReadVariant());
            CBool(r.ReadVariant());
            AnyText(r);
            AnyText(r);
            plugin.FrameProcedureName = AnyText(r);
            AnyText(r);
            plugin.ActionProcedureName = AnyText(r);
            const qint16 entries = r.ReadInteger();
            for (int i = 0; i < entries; ++i) {
                r.ReadString();
                r.ReadVariant();
                if (plugin.FormatVersion > 1) {
                    r.ReadVariant();
                    r.ReadVariant();
                }
            }
            const qint16 values = r.ReadInteger();
            for (int i = 0; i < values; ++i) r.ReadVariant();
        }
    } catch (const std::exception& e) {
        const QString description = ErrorDescription(e);
        if (p.ProgramRunning) {
            p.ShowErrorBox(QStringLiteral(" Error loading plugins. "), description);
        } else {
            p.platform.dialogs.Show(
                BoxIcon::Exclamation, QStringLiteral("Error"),
                QStringLiteral("Error loading plugins.") + kCrLf + kCrLf + description);
        }
    }
}

QString PluginTable::PerFrameCode() const {
    QString code;
    for (const Plugin& plugin : plugins_) code += plugin.FrameOpenCode + kCrLf;
    return code;
}

QString PluginTable::GlobalCode() const {
    QString code;
    for (const Plugin& plugin : plugins_) code += plugin.GlobalCode + kCrLf;
    return code;
}

QString PluginTable::GameStartCode() const {
    QString code;
    for (const Plugin& plugin : plugins_)
        if (!plugin.GameStartCode.isEmpty()) code += plugin.GameStartCode + kCrLf;
    return code;
}

QString PluginTable::CodeForFrameSettings(const QString& settings) const {
    return BuildPluginCode(settings, false);
}

QString PluginTable::CodeForAction(const QString& description) const {
    return Statement(description, true);
}

QStringList PluginTable::IntegerVariables() const {
    QStringList names;
    for (const Plugin& plugin : plugins_) names << plugin.IntegerVariables;
    return names;
}

QStringList PluginTable::VariantVariables() const {
    QStringList names;
    for (const Plugin& plugin : plugins_) names << plugin.VariantVariables;
    return names;
}

QString PluginTable::Statement(const QString& piece, bool forAction) const {
    const QStringList parts = piece.split(kArgumentSeparator);
    const Plugin* found = nullptr;
    for (const Plugin& plugin : plugins_)
        if (plugin.ActionIdentifier == parts.at(0)) found = &plugin;
    if (!found) return {};
    QString statement = forAction ? found->ActionProcedureName : found->FrameProcedureName;
    statement += u' ';
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (i > 1) statement += u',';
        statement += u'"' + parts.at(i) + u'"';
    }
    return statement;
}

QString PluginTable::BuildPluginCode(const QString& descriptions, bool forAction) const {
    const QStringList pieces = descriptions.split(kActionSeparator);
    QString result;
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        if (!result.isEmpty()) result += kCrLf;
        result += Statement(pieces.at(i), forAction);
    }
    return result;
}

}  // namespace storyloom
