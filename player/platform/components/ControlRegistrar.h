#pragma once
// Registration of a game's control library files, and creation of controls by program
// identifier.
//
// A file is registered by what it is, whatever its name:
//  - a shared library with the storyloom_control_library entry point registers each of its
//    controls ("Library.Control") to its own path;
//  - a Windows program file (a game's .ocx) cannot run here. Its version record is read
//    (nothing of it is loaded), and when the control it names (its internal name, or else
//    its original file name without the extension) is one that a library of the player's
//    own provides, that control is registered under the same program identifier, to the
//    player's library. Any other Windows file registers nothing;
//  - anything else registers nothing.
// Nothing is reported to the player: the result says what happened.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/components/ComponentRegistry.h"
#include "platform/components/ControlLibrary.h"
#include "platform/components/ControlLoader.h"

namespace storyloom {

struct Registration {
    bool ok = false;
    std::string message;               // what went wrong, or what the file was
    std::vector<std::string> progIds;  // registered (or unregistered)
};

class ControlRegistrar {
  public:
    // `nativeLibraries`: the player's own control libraries, which stand in for the Windows
    // control libraries games ship. They are loaded (once) when the first Windows file is met.
    ControlRegistrar(ControlLoader& loader, ComponentRegistry& registry,
                     std::vector<std::string> nativeLibraries = {});

    // The start-up's call for each control library file of a game: true when it registered.
    bool RegisterComponentFile(const std::string& path) { return Register(path, false).ok; }
    // Registers what the file provides or, with `unregister`, forgets it.
    Registration Register(const std::string& path, bool unregister);

  private:
    struct NativeControl {
        std::string progId;
        std::string controlName;
        std::string path;
    };
    Registration RegisterLibrary(const std::string& path, bool unregister);
    Registration RegisterProgramFile(const std::string& path, bool unregister);
    Registration Record(std::vector<std::pair<std::string, std::string>> entries, bool unregister,
                        std::string message);
    const std::vector<NativeControl>& NativeControls();

    ControlLoader& loader_;
    ComponentRegistry& registry_;
    std::vector<std::string> nativeLibraries_;
    std::optional<std::vector<NativeControl>> nativeControls_;
};

// Creates controls by program identifier from the libraries the registry names. Libraries
// stay loaded once used, for the rest of the run.
class ComponentFactory {
  public:
    ComponentFactory(ControlLoader& loader, const ComponentRegistry& registry)
        : loader_(loader), registry_(registry) {}

    // A new control; nullptr and `error` (429 and the reason) when it cannot be made.
    std::shared_ptr<ControlInstance> Create(std::string_view progId, ControlSink& sink,
                                            ControlError& error);

  private:
    ControlLoader& loader_;
    const ComponentRegistry& registry_;
    std::map<std::string, std::shared_ptr<ControlLibrary>> loaded_;  // by path
};

}  // namespace storyloom
