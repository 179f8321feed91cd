#include "project/ProjectFolder.h"

#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"

namespace storyloom {

QStringList ListFiles(Program& program, const QString& folder, const QString& pattern) {
    QString dir = folder;
    if (!dir.isEmpty() && !dir.endsWith(u'\\')) dir += u'\\';
    QStringList names;
    const FileSystem& fs = program.platform.files;
    if (!fs.IsDirectory(dir)) return names;
    const std::optional<QStringList> files = fs.FileNames(dir);
    if (!files) {
        program.platform.dialogs.Show(BoxIcon::Exclamation, QStringLiteral("Error"),
                                      QStringLiteral("Permission deniedError in ListFiles. "));
        return names;
    }
    if (pattern.isEmpty()) return *files;
    const WildcardPattern match(pattern, true);
    for (const QString& name : *files)
        if (match.Matches(name)) names.append(name);
    return names;
}

QString ProjectPathOf(const QString& nativeFolder) {
    return FileSystem::WithTrailingBackslash(FileSystem::FromNative(nativeFolder));
}

}  // namespace storyloom
