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
    // "*.fme" and the like, the usual patterns: an ending compared, not the general matcher.
    const QStringView ending = QStringView(pattern).mid(1);
    const bool endingOnly = pattern.startsWith(u'*') && !ending.contains(u'*') &&
                            !ending.contains(u'?') && !ending.contains(u'#') &&
                            !ending.contains(u'[');
    for (const QString& name : *files)
        if (endingOnly ? name.endsWith(ending) : WildcardMatch(name, pattern, true))
            names.append(name);
    return names;
}

QString ProjectPathOf(const QString& nativeFolder) {
    return FileSystem::WithTrailingBackslash(FileSystem::FromNative(nativeFolder));
}

}  // namespace storyloom
