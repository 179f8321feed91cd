// Runs the VBScript micro-benchmarks (integer loop, strings, calls, arrays) kept with the
// conformance corpus next to the repository and prints the median wall time of each.
//   bench_vbs_micro [DIR]   (default: <repo>/../shared/vbscript-tests/bench)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "vbscript/Engine.h"

namespace {

std::u16string ReadAscii(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string s = ss.str();
    return std::u16string(s.begin(), s.end());
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir =
        argc > 1 ? argv[1] : std::string(STORYLOOM_SOURCE_DIR) + "/../shared/vbscript-tests/bench";
    const char* names[] = {"int_loop", "strings", "calls", "arrays"};
    for (const char* name : names) {
        std::string path = dir + "/" + name + ".vbs";
        if (!std::ifstream(path)) {
            std::printf("%-10s missing (%s)\n", name, path.c_str());
            continue;
        }
        std::u16string text = ReadAscii(path);
        std::vector<double> times;
        std::string output;
        for (int run = 0; run < 3; ++run) {
            vbs::Engine engine;
            engine.SetTimeout(-1);
            auto wscript = vbs::MakeRef<vbs::HostObject>(u"IHost");
            std::string out;
            wscript->AddMethod(u"Echo", [&out](std::span<vbs::Variant> args) {
                for (auto& a : args) {
                    vbs::Variant v;
                    out += vbs::ToUtf8(a.Deref().IsString() ? a.Deref().Str() : u"?") + " ";
                    (void)v;
                }
                out += "\n";
                return vbs::Variant();
            });
            engine.AddObject(u"WScript", wscript.get(), false);
            auto t0 = std::chrono::steady_clock::now();
            bool ok = engine.AddCode(text);
            auto t1 = std::chrono::steady_clock::now();
            if (!ok) {
                std::printf("%-10s error %d: %s (line %d)\n", name, engine.LastError().number,
                            vbs::ToUtf8(engine.LastError().description).c_str(),
                            engine.LastError().line);
                break;
            }
            times.push_back(std::chrono::duration<double>(t1 - t0).count());
            output = out;
        }
        if (times.empty()) continue;
        std::sort(times.begin(), times.end());
        std::string first = output.substr(0, output.find('\n'));
        std::printf("%-10s median %.3f s   (%s)\n", name, times[times.size() / 2], first.c_str());
    }
    return 0;
}
