// The project information file "Config\General".
#include "FuzzProject.h"
#include "project/ProjectInformation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    auto& project = fuzz::FuzzProject::Instance();
    project.Write(QStringLiteral("Config/General"), fuzz::Bytes(data, size));
    auto program = project.NewProgram();
    LoadProjectInformation(*program);
    return 0;
}
