#include "project/FrameFiles.h"

#include <exception>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/FrameGlobals.h"
#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"

namespace storyloom {

bool FrameExists(const Program& program, const QString& frameName) {
    return !program.platform.files
                .FileExists(program.paths.FramesPath + frameName + QStringLiteral(".fme"))
                .isEmpty();
}

void ReadFrameHeader(Program& program, FrameGlobals& frame, const QString& frameName) {
    frame.CurrentFrameName = frameName;
    try {
        SeqReader in = OpenSeqFile(program.platform.files,
                                   program.paths.FramesPath + frameName + QStringLiteral(".fme"));
        frame.BackgroundType = in.ReadInteger();
        frame.BackgroundValue = in.ReadString();
        frame.BackgroundTiled = in.ReadBoolean();
    } catch (const std::exception& e) {
        program.ShowErrorBox(QStringLiteral(" Unable to load the frame called '") + frameName +
                                 QStringLiteral("'. "),
                             ErrorDescription(e));
        return;
    }
    frame.HotspotCount = ReadHotspotCount(program, frameName);
}

qint16 ReadHotspotCount(Program& program, const QString& frameName) {
    const QString path = program.paths.FramesPath + frameName + QStringLiteral(".lks");
    if (program.platform.files.FileExists(path).isEmpty()) return 0;
    try {
        SeqReader in = OpenSeqFile(program.platform.files, path);
        return CInt(in.ReadVariant());
    } catch (const std::exception& e) {
        program.platform.dialogs.Show(
            BoxIcon::Exclamation, QStringLiteral("Error"),
            QStringLiteral("Error reading the hotspots count from the file \"") + path +
                QStringLiteral("\".") + kCrLf + kCrLf + ErrorDescription(e));
        return 0;
    }
}

}  // namespace storyloom
