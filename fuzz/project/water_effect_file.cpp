// A frame's rippling-water settings "<frame>.rwe": read as the game reads them; a damaged file
// may only throw the reader's SeqError.
#include "FuzzProject.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "platform/seqfile/SeqFile.h"
#include "project/WaterEffectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    auto& project = fuzz::FuzzProject::Instance();
    project.Write(QStringLiteral("Frames/Sea.rwe"), fuzz::Bytes(data, size));
    auto program = project.NewProgram();
    try {
        SeqReader reader = OpenSeqFile(program->platform.files,
                                       program->paths.FramesPath + QStringLiteral("Sea.rwe"));
        const WaterEffectSettings s = ReadWaterEffectSettings(reader);
        (void)s;
    } catch (const SeqError&) {
    } catch (const RunError&) {
    }
    return 0;
}
