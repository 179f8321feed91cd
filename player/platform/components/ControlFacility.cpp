#include "platform/components/ControlFacility.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace storyloom {

ControlFacility::ControlFacility(ProgIdStore& store, std::vector<std::string> ownLibraries,
                                 DynamicLibraries& libraries)
    : own_(std::move(ownLibraries)),
      loader_(libraries),
      registry_(store),
      registrar_(loader_, registry_, own_),
      factory_(loader_, registry_) {}

int ControlFacility::RegisterOwnLibraries() {
    int registered = 0;
    for (const std::string& path : own_) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) continue;
        registered += registrar_.RegisterComponentFile(path) ? 1 : 0;
    }
    return registered;
}

bool ControlFacility::RegisterComponentFile(const std::string& path) {
    return registrar_.RegisterComponentFile(path);
}

std::shared_ptr<ControlInstance> ControlFacility::Create(std::string_view progId, ControlSink& sink,
                                                         ControlError& error) {
    if (!ComponentRegistry::IsProgId(progId)) {
        error = {kErrCannotCreate, "ActiveX component can't create object: " + std::string(progId)};
        return nullptr;
    }
    return factory_.Create(progId, sink, error);
}

bool ControlFacility::IsRegistered(std::string_view progId) const {
    return ComponentRegistry::IsProgId(progId) && registry_.Find(progId).has_value();
}

void ControlFacility::AddLicense(const std::string& progId) {
    const std::string id = ComponentRegistry::Key(progId);
    if (licenses_.size() >= kMaxLicenses) return;
    if (std::find(licenses_.begin(), licenses_.end(), id) != licenses_.end()) return;
    licenses_.push_back(id);
}

}  // namespace storyloom
