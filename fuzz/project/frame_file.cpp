// A frame's settings header "<frame>.fme" and hotspot count "<frame>.lks". The input holds the
// .fme bytes, then optionally a 0xFF byte and the .lks bytes.
#include "FuzzProject.h"
#include "core/FrameGlobals.h"
#include "project/FrameFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    auto& project = fuzz::FuzzProject::Instance();
    const QByteArray bytes = fuzz::Bytes(data, size);
    const qsizetype split = bytes.indexOf('\xff');
    project.Write(QStringLiteral("Frames/Room.fme"), split < 0 ? bytes : bytes.left(split));
    if (split < 0)
        project.Remove(QStringLiteral("Frames/Room.lks"));
    else
        project.Write(QStringLiteral("Frames/Room.lks"), bytes.mid(split + 1));
    auto program = project.NewProgram();
    FrameGlobals frame;
    ReadFrameHeader(*program, frame, QStringLiteral("Room"));
    ReadHotspotCount(*program, QStringLiteral("room"));
    return 0;
}
