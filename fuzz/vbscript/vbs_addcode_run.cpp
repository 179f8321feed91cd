// Fuzz target: random text through AddCode and then Run of every procedure it defined.
// A script may fail, but never crash or hang: the time limit ends runaway loops.
#include <cstddef>
#include <cstdint>
#include <string>

#include "vbscript/Engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    std::u16string text(data, data + size);
    vbs::Engine engine;
    engine.SetTimeout(100);
    auto host = vbs::MakeRef<vbs::HostObject>(u"Host");
    host->AddProperty(
        u"Value", [](std::span<vbs::Variant>) { return vbs::Variant::Long(7); },
        [](std::span<vbs::Variant>, const vbs::Variant&) {});
    host->SetDefault(u"Value");
    engine.AddObject(u"Host", host.get(), true);
    engine.AddCode(text);
    for (const auto& p : engine.Procedures()) {
        if (p.argumentCount == 0) engine.Run(p.name);
    }
    return 0;
}
