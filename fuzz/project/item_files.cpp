// Damaged item files: the first byte chooses which file the rest becomes (an item's file, a
// frame's pick-up file or a combination file), read by the player's readers. A value or a
// clean failure, never a crash or a hang.
#include "FuzzProject.h"
#include "core/DataFile.h"
#include "project/ItemFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    if (size == 0) return 0;
    auto& project = fuzz::FuzzProject::Instance();
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);
    auto program = project.NewProgram();
    const FileSystem& fs = program->platform.files;
    try {
        switch (data[0] % 3) {
            case 0:
                project.Write(QStringLiteral("Config/key.obj"), bytes);
                ReadItemIconName(fs, program->paths.ConfigPath, QStringLiteral("key"));
                break;
            case 1:
                project.Write(QStringLiteral("FramesData/Room.fm4"), bytes);
                for (int hotspot : {1, 2, 7})
                    FindPickUp(fs, program->paths.FramesDataPath, QStringLiteral("Room"), hotspot,
                               [] { return false; });
                break;
            default: {
                project.Write(QStringLiteral("Config/a_on_b.drg"), bytes);
                SeqReader r =
                    OpenSeqFile(fs, CombinationFileName(program->paths.ConfigPath,
                                                        QStringLiteral("a"), QStringLiteral("b")));
                ItemCombination c;
                ReadItemCombination(r, c);
                ReadCombinationScript(r, c);
                break;
            }
        }
    } catch (const std::exception&) {
        // A damaged file fails with the reader's error: what the game reports in its box.
    }
    return 0;
}
