// The message override file "Config\Texts".
#include "FuzzProject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    auto& project = fuzz::FuzzProject::Instance();
    project.Write(QStringLiteral("Config/Texts"), fuzz::Bytes(data, size));
    auto program = project.NewProgram();
    LoadMessages(*program);
    return 0;
}
