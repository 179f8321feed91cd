// The disc index "Config\CDContents", then a lookup of every entry it kept (nobody to ask for a
// disc: the file is simply missing).
#include "FuzzProject.h"
#include "project/DiscIndex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    auto& project = fuzz::FuzzProject::Instance();
    project.Write(QStringLiteral("Config/CDContents"), fuzz::Bytes(data, size));
    project.Write(QStringLiteral("RunFromCD.dat"), QByteArray());
    auto program = project.NewProgram();
    program->info.GameName = QStringLiteral("Fuzz");
    LoadDiscIndex(*program);
    for (const DiscEntry& e : program->discs.entries) {
        const QString& folder = e.kind == DiscEntry::kHotspotMedia ? program->paths.AreasPath
                                                                   : program->paths.FramesPath;
        ResolveDiscPath(*program, folder + e.name);
    }
    return 0;
}
