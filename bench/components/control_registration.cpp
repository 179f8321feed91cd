// Registering 50 control libraries of which none hangs: 50 copies of a small control library
// (each a file of its own, so each is really loaded, with its library name changed in the copy
// so that each registers identifiers of its own), and 50 Windows .ocx files that stand for
// Menulet. Each is registered as at start-up: load on a time-limited thread, run the entry
// point, check the table, record the program identifiers, unload. Also the parts: a thread
// started and joined, a library loaded and unloaded. Median, min and max over the rounds, in
// wall time and in the process's CPU time (the machine may be shared).
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "PeBuilder.h"
#include "platform/components/ControlRegistrar.h"
#include "platform/components/SettingsProgIdStore.h"
#include "platform/settings/SettingsStore.h"

using namespace storyloom;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFiles = 50;
constexpr int kRounds = 25;

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

std::string Figures(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    char text[80];
    std::snprintf(text, sizeof text, "%7.2f (%.2f-%.2f)", ms[ms.size() / 2], ms.front(), ms.back());
    return text;
}

// Runs `round` kRounds times; each returns how many of the kFiles registered.
void Measure(const char* what, const std::function<int(int)>& round) {
    std::vector<double> wall, cpu;
    for (int r = 0; r < kRounds; ++r) {
        const auto start = Clock::now();
        const double cpuStart = CpuMs();
        const int ok = round(r);
        cpu.push_back(CpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (ok != kFiles) std::printf("  round %d: only %d of %d registered\n", r, ok, kFiles);
    }
    std::printf("%-52s wall %s ms, cpu %s ms\n", what, Figures(wall).c_str(), Figures(cpu).c_str());
}

// A copy of the library at `from` whose library name "ProbeLib" reads `name` (as long).
void CopyRenamed(const std::string& from, const std::filesystem::path& to,
                 const std::string& name) {
    std::ifstream in(from, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string old("ProbeLib", 9);  // with its terminating zero
    for (size_t at = bytes.find(old); at != std::string::npos; at = bytes.find(old, at + 1)) {
        bytes.replace(at, name.size(), name);
    }
    std::ofstream(to, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "bench-control-registration";
    fs::remove_all(folder);
    fs::create_directories(folder / "CPData");
    std::vector<std::string> libraries, ocx;
    const testing::Bytes menulet =
        testing::ProgramFile(testing::VersionInfo(testing::MenuletVersion()));
    for (int i = 0; i < kFiles; ++i) {
        const fs::path lib = folder / "CPData" / ("Probe" + std::to_string(i) + ".ocx");
        char name[9];
        std::snprintf(name, sizeof name, "Probe%03d", i);
        CopyRenamed(PROBE_LIBRARY, lib, name);
        libraries.push_back(lib.string());
        const fs::path win = folder / "CPData" / ("Menulet" + std::to_string(i) + ".ocx");
        std::ofstream(win, std::ios::binary)
            .write(reinterpret_cast<const char*>(menulet.data()), std::streamsize(menulet.size()));
        ocx.push_back(win.string());
    }

    std::printf("%d files per round, %d rounds\n", kFiles, kRounds);
    Measure("50 libraries, registry in memory", [&](int) {
        MemoryProgIdStore store;
        ComponentRegistry registry(store);
        ControlLoader loader(SystemLibraries());
        ControlRegistrar registrar(loader, registry);
        int ok = 0;
        for (const std::string& f : libraries) ok += registrar.RegisterComponentFile(f);
        return ok;
    });
    Measure("50 .ocx standing for Menulet, registry in memory", [&](int) {
        MemoryProgIdStore store;
        ComponentRegistry registry(store);
        ControlLoader loader(SystemLibraries());
        ControlRegistrar registrar(loader, registry, {MENULET_LIBRARY});
        int ok = 0;
        for (const std::string& f : ocx) ok += registrar.RegisterComponentFile(f);
        return ok;
    });
    Measure("50 libraries, settings file, first time (writes)", [&](int r) {
        FileSettingsStore settings(
            QString::fromStdString((folder / ("settings" + std::to_string(r))).string()));
        SettingsProgIdStore store(settings);
        ComponentRegistry registry(store);
        ControlLoader loader(SystemLibraries());
        ControlRegistrar registrar(loader, registry);
        int ok = 0;
        for (const std::string& f : libraries) ok += registrar.RegisterComponentFile(f);
        return ok;
    });
    Measure("50 libraries, settings file, again (entries there)", [&](int) {
        FileSettingsStore settings(QString::fromStdString((folder / "settings0").string()));
        SettingsProgIdStore store(settings);
        ComponentRegistry registry(store);
        ControlLoader loader(SystemLibraries());
        ControlRegistrar registrar(loader, registry);
        int ok = 0;
        for (const std::string& f : libraries) ok += registrar.RegisterComponentFile(f);
        return ok;
    });

    std::printf("parts:\n");
    Measure("50 threads started and joined (empty work)", [&](int) {
        int ok = 0;
        for (int i = 0; i < kFiles; ++i) {
            ok += SystemLibraries().RunWithTimeLimit([] {}, kRegistrationTimeLimit).outcome ==
                  ThreadRun::Outcome::Finished;
        }
        return ok;
    });
    Measure("50 libraries loaded and unloaded on this thread", [&](int) {
        int ok = 0;
        for (const std::string& f : libraries) {
            std::string error;
            ok += SystemLibraries().Open(f, error) != nullptr;
        }
        return ok;
    });
    fs::remove_all(folder);
    return 0;
}
