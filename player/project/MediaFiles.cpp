#include "project/MediaFiles.h"

#include <cstdlib>
#include <optional>

#include "core/BasicConvert.h"
#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/text/Codepage1252.h"
#include "project/DiscIndex.h"

namespace storyloom {

namespace {

int ExtensionCode(const QString& extension) {
    struct Entry {
        const char16_t* extension;
        int code;
    };
    static constexpr Entry kCodes[] = {
        {u".ico", 2},  {u".cur", 3},  {u".bmp", 4},  {u".jpg", 5},  {u".gif", 6},  {u".wmf", 7},
        {u".emf", 8},  {u".wav", 10}, {u".mid", 11}, {u".mp3", 12}, {u".avi", 14}, {u".wma", 16},
        {u".mpg", 20}, {u".mpe", 24}, {u".m1v", 26}, {u".wmv", 28}, {u".ogg", 31}, {u".snd", 34},
        {u".rmi", 36}, {u".mpa", 38}, {u".mp2", 40}, {u".asf", 44}};
    for (const Entry& e : kCodes)
        if (extension == QStringView(e.extension)) return e.code;
    return 0;
}

// The copy of a file on another disc of a game spread over several discs; nothing for a game on
// one disc, so that the lookup ends with the disguised names.
std::optional<QString> DiscCopyPath(Program& program, const QString& path) {
    if (!MultiDiscActive(program)) return std::nullopt;
    return ResolveDiscPath(program, path);
}

}  // namespace

QString DisguisedName(const QString& path, bool plain) {
    const QString name = FileSystem::FileNamePart(path);
    if (name.size() < 5) return path;
    int code = ExtensionCode(path.right(4).toLower());
    if (code == 0) return path;
    if (!plain) {
        const QString lower = name.left(3).toLower();
        const int a = ToCp1252(lower.at(0));
        const int b = ToCp1252(lower.at(1));
        const int c = ToCp1252(lower.at(2));
        code += std::abs(a * (code % 3 + 1) - b + c * ((code % 2) + 1));
    }
    return path.left(path.size() - 4) + u'.' +
           QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0'));
}

QString ResolveMediaPath(Program& program, const QString& path) {
    const FileSystem& fs = program.platform.files;
    if (!fs.FileExists(path).isEmpty()) return path;
    if (path.size() < 5) return path;
    QString tried = DisguisedName(path, false);
    if (!fs.FileExists(tried).isEmpty()) return tried;
    tried = DisguisedName(path, true);
    if (!fs.FileExists(tried).isEmpty()) return tried;
    if (auto disc = DiscCopyPath(program, path)) {
        tried = *disc;
        if (!fs.FileExists(tried).isEmpty()) return tried;
    }
    if (!program.StopRequested) {
        program.platform.dialogs.Show(
            BoxIcon::Exclamation, program.Messages(29),
            program.Messages(33) + kCrLf + tried + kCrLf + kCrLf + program.Messages(34));
    }
    return tried;
}

}  // namespace storyloom
