// The procedures file "Config\Procedures": the first input byte chooses plain (even) or
// scrambled (odd); the rest is the file. Each line also goes through the plug-in routine.
#include "FuzzProject.h"
#include "project/Procedures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    if (size == 0) return 0;
    auto& project = fuzz::FuzzProject::Instance();
    const bool scrambled = (data[0] & 1) != 0;
    project.Write(QStringLiteral("Config/More"), scrambled
                                                     ? QByteArray("[General]\r\nProcEncr=1\r\n")
                                                     : QByteArray("[General]\r\n"));
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);
    project.Write(QStringLiteral("Config/Procedures"), bytes);
    auto program = project.NewProgram();
    LoadProcedures(*program);
    for (const QByteArray& line : bytes.split('\n')) UnscrambleLine2(line, data[0]);
    return 0;
}
