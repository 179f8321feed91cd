#pragma once
// Dynamic libraries and the short-lived threads that run their code under a time limit.
//
// Open loads a shared library by path and looks up its exported functions. RunWithTimeLimit
// runs a piece of work on a new thread and waits for it at most a given time; the control
// registration loads a library and runs its entry point that way, so that a library that
// hangs (in its entry point or in its static constructors while it is being loaded) cannot
// hang the player.
//
// What "abandoned" means. A thread cannot be stopped safely from outside inside one process:
// cancelling or killing it would leave whatever it holds (locks of the C library, of the
// dynamic loader, its half-written state) in an undefined state. So when the time runs out,
// the thread is detached and left to itself: it keeps everything it uses (the work object
// and whatever that captured) and may finish later or never. The caller must treat whatever
// the work touched as lost for the rest of the run: never release a library that such a
// thread may still be executing, never call into it again. If the thread is stuck inside the
// system's loader (a static constructor that never returns), the loader's lock stays held
// and no library can be loaded in this process any more; Open then fails at once instead of
// blocking.
//
// Faults. A work function that faults (a bad memory access, a failed assertion, an abort, a
// stack overflow, an exception that leaves it) ends its thread with the outcome Crashed
// instead of ending the process; the process-wide fault handlers that do this pass every
// fault of other threads on to the handler that was there before. Memory the faulting code
// corrupted, or locks it held, stay as they are; the caller treats the library as abandoned.
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace storyloom {

class DynamicLibrary {
  public:
    virtual ~DynamicLibrary() = default;  // releases the library unless Keep() was called
    // The address of an exported symbol, nullptr when there is none.
    virtual void* Symbol(const std::string& name) const = 0;
    // Never release the library, even when this object goes: code of it may still be running.
    virtual void Keep() = 0;
};

struct ThreadRun {
    enum class Outcome {
        Finished,    // the work returned within the limit
        TimedOut,    // the limit passed; the thread was abandoned
        Crashed,     // the work faulted or threw; its thread ended
        NotStarted,  // no thread could be started; the work did not run
    };
    Outcome outcome = Outcome::NotStarted;
    std::string detail;  // the fault ("segmentation fault", "abort", the exception's text ...)
};

class DynamicLibraries {
  public:
    virtual ~DynamicLibraries() = default;
    // Loads the library at `path`; nullptr and a reason in `error` when that fails.
    virtual std::unique_ptr<DynamicLibrary> Open(const std::string& path, std::string& error) = 0;
    // Runs `work` on a new thread and waits at most `limit` for it (see above).
    virtual ThreadRun RunWithTimeLimit(std::function<void()> work,
                                       std::chrono::milliseconds limit) = 0;
};

// The real service: the system's loader (dlopen) and threads with fault guards.
class SystemDynamicLibraries : public DynamicLibraries {
  public:
    std::unique_ptr<DynamicLibrary> Open(const std::string& path, std::string& error) override;
    ThreadRun RunWithTimeLimit(std::function<void()> work,
                               std::chrono::milliseconds limit) override;
};

// One SystemDynamicLibraries for the whole process (it holds no state of its own; the
// loader-stuck flag it keeps is process-wide anyway).
SystemDynamicLibraries& SystemLibraries();

}  // namespace storyloom
