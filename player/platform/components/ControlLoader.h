#pragma once
// Loads a control library: opens the shared library, looks up its entry point, runs it and
// checks the table it returns. The whole of it (the system's loader runs the library's
// static constructors too) happens on a short-lived thread under a time limit, so that a
// library that hangs or faults there costs at most the limit and never the player.
//
// A library that ran out of time or faulted is given up for the rest of the run: it stays
// loaded (its code may still be running on the abandoned thread), nothing in it is called
// again, and loading the same path again fails at once.
#include <chrono>
#include <memory>
#include <set>
#include <string>

#include "platform/components/ControlLibrary.h"
#include "platform/dynlib/DynamicLibraries.h"

namespace storyloom {

// How long registration waits for a library.
inline constexpr std::chrono::milliseconds kRegistrationTimeLimit{10000};

struct ControlLoad {
    enum class Status {
        Loaded,
        NotALibrary,   // the system's loader refused it
        NoEntryPoint,  // no storyloom_control_library
        BadTable,      // wrong interface version, or a table that breaks the rules
        TimedOut,      // given up: did not finish within the limit
        Crashed,       // given up: faulted while loading or in its entry point
        GivenUp,       // given up earlier in this run
        NotStarted,    // no thread could be started
    };
    Status status = Status::NotStarted;
    std::string message;                      // for people, when not Loaded
    std::shared_ptr<ControlLibrary> library;  // when Loaded; releasing it unloads the code
};

class ControlLoader {
  public:
    explicit ControlLoader(DynamicLibraries& libraries,
                           std::chrono::milliseconds limit = kRegistrationTimeLimit);
    ControlLoad Load(const std::string& path);
    bool GivenUp(const std::string& path) const { return givenUp_.count(path) != 0; }
    std::chrono::milliseconds Limit() const { return limit_; }

  private:
    DynamicLibraries& libraries_;
    std::chrono::milliseconds limit_;
    std::set<std::string> givenUp_;
};

}  // namespace storyloom
