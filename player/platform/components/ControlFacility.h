#pragma once
// The run's dynamic-control facility: registering control library files, creating controls by
// program identifier, and the run-time licence list. One per run, owned by the platform
// bundle; the registry behind it is the per-user one on the desktop and an in-memory one on
// the test platform (a walkthrough never depends on an earlier run's registrations).
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/components/ComponentRegistry.h"
#include "platform/components/ControlLibrary.h"
#include "platform/components/ControlLoader.h"
#include "platform/components/ControlRegistrar.h"

namespace storyloom {

class ControlFacility {
  public:
    // `ownLibraries`: the player's own control libraries (paths that need not exist), which
    // RegisterOwnLibraries registers and which stand in for the games' Windows control files.
    // `store` must outlive the facility.
    ControlFacility(ProgIdStore& store, std::vector<std::string> ownLibraries,
                    DynamicLibraries& libraries = SystemLibraries());
    ControlFacility(const ControlFacility&) = delete;
    ControlFacility& operator=(const ControlFacility&) = delete;

    // Registers every existing library of `ownLibraries`; the number that registered.
    int RegisterOwnLibraries();
    // Registers a control library file (see ControlRegistrar); true on success, no messages.
    bool RegisterComponentFile(const std::string& path);
    // A new control; nullptr and `error` when it cannot be made (not registered, the library
    // failed, the control refused). `sink` must stay alive until the instance is closed.
    std::shared_ptr<ControlInstance> Create(std::string_view progId, ControlSink& sink,
                                            ControlError& error);
    // True when `progId` names a registered control.
    bool IsRegistered(std::string_view progId) const;

    // The run-time licence list. Controls here need no licence, so the list only records the
    // identifiers asked for (each once, at most kMaxLicenses).
    void AddLicense(const std::string& progId);
    void ClearLicenses() { licenses_.clear(); }
    const std::vector<std::string>& Licenses() const { return licenses_; }
    static constexpr size_t kMaxLicenses = 1000;

    const std::vector<std::string>& OwnLibraries() const { return own_; }
    ComponentRegistry& Registry() { return registry_; }

  private:
    std::vector<std::string> own_;
    ControlLoader loader_;
    ComponentRegistry registry_;
    ControlRegistrar registrar_;
    ComponentFactory factory_;
    std::vector<std::string> licenses_;
};

}  // namespace storyloom
