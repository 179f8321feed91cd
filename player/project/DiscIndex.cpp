#include "project/DiscIndex.h"

#include <exception>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "project/MediaFiles.h"

namespace storyloom {

namespace {

QString IndexPath(const Program& program) {
    return program.paths.ConfigPath + QStringLiteral("CDContents");
}

QString MarkerPath(const Program& program) {
    return program.paths.ProjectPath + QStringLiteral("RunFromCD.dat");
}

// `path` itself when it exists, else its disguised forms (name-dependent, then plain) when one
// of them does, else `path`.
QString WithMediaExtension(const FileSystem& fs, const QString& path) {
    if (!fs.FileExists(path).isEmpty()) return path;
    for (bool plain : {false, true}) {
        const QString disguised = DisguisedName(path, plain);
        if (!fs.FileExists(disguised).isEmpty()) return disguised;
    }
    return path;
}

// A disc path counts only below a chosen folder: with none, a relative path would name a file
// of whatever folder the program runs in.
bool FoundOnDisc(const FileSystem& fs, const QString& folder, const QString& path) {
    return !folder.isEmpty() && !fs.FileExists(path).isEmpty();
}

QString Normalised(QString path) {
    return path.replace(u'/', u'\\');
}

}  // namespace

bool MultiDiscActive(Program& program) {
    const FileSystem& fs = program.platform.files;
    return !fs.FileExists(IndexPath(program)).isEmpty() &&
           !fs.FileExists(MarkerPath(program)).isEmpty();
}

void LoadDiscIndex(Program& program) {
    program.discs = DiscIndex{};
    if (!MultiDiscActive(program)) return;
    DiscIndex index;
    try {
        SeqReader in = OpenSeqFile(program.platform.files, IndexPath(program));
        for (int i = 0; i < 3; ++i) in.ReadString();
        index.discCount = in.ReadInteger();
        for (int i = 0; i < 2; ++i) in.ReadString();
        while (!in.AtEnd()) {
            DiscEntry e;
            e.name = in.ReadString();
            e.disc = in.ReadInteger();
            e.kind = in.ReadInteger();
            if (!e.name.isEmpty() && e.disc >= 1 && e.disc <= index.discCount && e.kind != 0)
                index.entries.push_back(e);
        }
    } catch (const std::exception&) {
        program.ShowErrorBox(QStringLiteral(" Error loading CD index."));
        return;
    }
    program.discs = std::move(index);
}

QString FindDiscDrive(Program& program) {
    const QStringList media = program.platform.files.RemovableMedia();
    return media.isEmpty() ? QString() : media.constLast();
}

QString DiscFilePath(const Program& program, const QString& folder, int kind, const QString& name) {
    QString base = folder;
    while (base.size() > 1 && base.endsWith(u'/')) base.chop(1);
    if (base == u"/") base.clear();
    const QString sub =
        kind == DiscEntry::kHotspotMedia ? QStringLiteral("/Areas/") : QStringLiteral("/Frames/");
    return base + QStringLiteral("/Data/") + program.info.GameName + sub +
           QString(name).replace(u'\\', u'/');
}

QString ResolveDiscPath(Program& program, const QString& path) {
    if (!MultiDiscActive(program)) return path;
    const FileSystem& fs = program.platform.files;

    QString folder = program.GetUserSetting(UserKeys::kDriveLetter);
    if (folder.isEmpty()) {
        folder = FindDiscDrive(program);
        if (!folder.isEmpty()) program.SaveUserSetting(UserKeys::kDriveLetter, folder);
    }
    // Any media file may lie among the frame files of the chosen disc.
    const QString asFrameMedia = WithMediaExtension(
        fs, DiscFilePath(program, folder, DiscEntry::kFrameMedia, FileSystem::FileNamePart(path)));
    if (FoundOnDisc(fs, folder, asFrameMedia)) return asFrameMedia;

    if (program.discs.entries.empty()) return WithMediaExtension(fs, path);
    const QString wanted = Normalised(path);
    const DiscEntry* entry = nullptr;
    for (const DiscEntry& e : program.discs.entries) {
        const QString& projectFolder =
            e.kind == DiscEntry::kFrameMedia ? program.paths.FramesPath : program.paths.AreasPath;
        if (Normalised(projectFolder + e.name).compare(wanted, Qt::CaseInsensitive) == 0) {
            entry = &e;
            break;
        }
    }
    if (!entry) return path;
    if (entry->kind != DiscEntry::kFrameMedia && entry->kind != DiscEntry::kHotspotMedia)
        return path;
    // Copies: the window's event loop may run code that reads the index again.
    const DiscEntry wantedEntry = *entry;
    auto onDisc = [&](const QString& discFolder) {
        return WithMediaExtension(
            fs, DiscFilePath(program, discFolder, wantedEntry.kind, wantedEntry.name));
    };

    QString tried = onDisc(folder);
    DiscPrompt* prompt = program.discPrompt;
    // The timers' states are taken once, before the first window: after a wrong folder they
    // are off, and the game must get back what it had.
    bool paused = false;
    PausedActivity activity;
    while (prompt && !program.StopRequested && !FoundOnDisc(fs, folder, tried)) {
        if (!paused) {
            activity = prompt->PauseGame();
            paused = true;
        }
        prompt->AskForDisc(folder, wantedEntry.disc);
        if (program.StopRequested) {
            prompt->StopGame();
            break;
        }
        const QString chosen = program.GetUserSetting(UserKeys::kDriveLetter);
        if (!chosen.isEmpty()) folder = chosen;
        tried = onDisc(folder);
        if (FoundOnDisc(fs, folder, tried)) {
            prompt->ResumeGame(activity);
            break;
        }
        program.platform.dialogs.Show(
            BoxIcon::Exclamation, program.info.GameName,
            program.Messages(45) + kCrLf + kCrLf + tried + kCrLf + kCrLf + program.Messages(46));
    }
    return tried;
}

}  // namespace storyloom
