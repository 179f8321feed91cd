#include "platform/components/ControlRegistrar.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "platform/components/VersionRecord.h"

namespace storyloom {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The canonical path of an existing regular file.
std::optional<std::string> RegularFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::canonical(path, ec);
    if (ec || !std::filesystem::is_regular_file(canonical, ec) || ec) return std::nullopt;
    return canonical.string();
}

bool StartsLikeProgramFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    uint8_t head[2] = {};
    const ssize_t got = read(fd, head, sizeof head);
    close(fd);
    return got == 2 && LooksLikeProgramFile(head);
}

}  // namespace

ControlRegistrar::ControlRegistrar(ControlLoader& loader, ComponentRegistry& registry,
                                   std::vector<std::string> nativeLibraries)
    : loader_(loader), registry_(registry), nativeLibraries_(std::move(nativeLibraries)) {}

Registration ControlRegistrar::Register(const std::string& path, bool unregister) {
    const std::optional<std::string> file = RegularFile(path);
    if (!file) return {false, path + ": no such file", {}};
    if (StartsLikeProgramFile(*file)) return RegisterProgramFile(*file, unregister);
    return RegisterLibrary(*file, unregister);
}

Registration ControlRegistrar::RegisterLibrary(const std::string& path, bool unregister) {
    const ControlLoad load = loader_.Load(path);
    if (load.status != ControlLoad::Status::Loaded) return {false, path + ": " + load.message, {}};
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& id : load.library->ProgIds()) entries.emplace_back(id, path);
    return Record(std::move(entries), unregister,
                  path + ": control library " + load.library->Name());
}

Registration ControlRegistrar::RegisterProgramFile(const std::string& path, bool unregister) {
    const VersionRecordResult read = ReadVersionRecordFile(path);
    if (!read.record) return {false, path + ": a Windows program file, " + read.error, {}};
    std::string name = read.record->Get("InternalName");
    if (name.empty()) {
        name = read.record->Get("OriginalFilename");
        if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    }
    if (name.empty()) {
        return {false, path + ": a Windows program file whose version record names no control", {}};
    }
    std::vector<std::pair<std::string, std::string>> entries;
    for (const NativeControl& control : NativeControls()) {
        if (SameName(control.controlName, name)) entries.emplace_back(control.progId, control.path);
    }
    if (entries.empty()) {
        return {false, path + ": the Windows control library " + name + " cannot run here", {}};
    }
    return Record(std::move(entries), unregister, path + ": stands for " + name);
}

Registration ControlRegistrar::Record(std::vector<std::pair<std::string, std::string>> entries,
                                      bool unregister, std::string message) {
    Registration result{true, std::move(message), {}};
    for (const auto& [progId, library] : entries) {
        const bool written = unregister ? registry_.Unregister(progId, library)
                                        : registry_.Register(progId, library);
        if (written) {
            result.progIds.push_back(progId);
        } else if (!unregister) {
            result.ok = false;
            result.message += "; " + progId + " could not be recorded";
        }
    }
    return result;
}

const std::vector<ControlRegistrar::NativeControl>& ControlRegistrar::NativeControls() {
    if (nativeControls_) return *nativeControls_;
    nativeControls_.emplace();
    for (const std::string& candidate : nativeLibraries_) {
        const std::optional<std::string> path = RegularFile(candidate);
        if (!path) continue;
        const ControlLoad load = loader_.Load(*path);
        if (load.status != ControlLoad::Status::Loaded) continue;
        for (const ControlLibrary::Class& cls : load.library->Classes()) {
            nativeControls_->push_back({load.library->Name() + "." + cls.name, cls.name, *path});
        }
    }
    return *nativeControls_;
}

std::shared_ptr<ControlInstance> ComponentFactory::Create(std::string_view progId,
                                                          ControlSink& sink, ControlError& error) {
    const std::string id(progId);
    const std::optional<std::string> path = registry_.Find(progId);
    if (!path) {
        error = {kErrCannotCreate, "The control " + id + " is not registered"};
        return nullptr;
    }
    std::shared_ptr<ControlLibrary>& library = loaded_[*path];
    if (!library) {
        ControlLoad load = loader_.Load(*path);
        if (load.status != ControlLoad::Status::Loaded) {
            loaded_.erase(*path);
            error = {kErrCannotCreate,
                     "The control library " + *path + " of " + id + " failed: " + load.message};
            return nullptr;
        }
        library = std::move(load.library);
    }
    const size_t dot = id.find('.');
    if (!SameName(library->Name(), id.substr(0, dot)) || !library->Find(id.substr(dot + 1))) {
        error = {kErrCannotCreate, "The control library " + *path + " does not provide " + id};
        return nullptr;
    }
    return library->Create(id.substr(dot + 1), sink, error);
}

}  // namespace storyloom
