#include "platform/dynlib/DynamicLibraries.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace storyloom {

namespace {

// ---- What one guarded thread shares with the thread that waits for it --------------------

struct RunState {
    std::function<void()> work;
    std::atomic<bool> insideLoader{false};  // between entering and leaving dlopen
    std::atomic<bool> over{false};          // the thread is done with the work
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int fault = 0;  // 0: ran to its end; a signal number; -1: an exception left the work
    std::string detail;
};

// The run the current thread belongs to (nullptr on threads this service did not start).
thread_local RunState* t_run = nullptr;

// Abandoned runs, which may be inside dlopen now or later, and runs that faulted there.
// While one of them is inside, the loader's lock is held and every further dlopen would block.
std::mutex g_stuckMutex;
std::vector<std::shared_ptr<RunState>> g_mayHoldLoader;

void WatchForLoader(std::shared_ptr<RunState> run) {
    std::lock_guard lock(g_stuckMutex);
    g_mayHoldLoader.push_back(std::move(run));
}

bool LoaderHeld() {
    std::lock_guard lock(g_stuckMutex);
    std::erase_if(g_mayHoldLoader, [](const std::shared_ptr<RunState>& run) {
        return run->over.load() && !run->insideLoader.load();
    });
    return std::any_of(
        g_mayHoldLoader.begin(), g_mayHoldLoader.end(),
        [](const std::shared_ptr<RunState>& run) { return run->insideLoader.load(); });
}

// ---- Fault guard ----------------------------------------------------------------------

struct GuardFrame {
    sigjmp_buf env;
};

// Read in the signal handler: initial-exec keeps the access free of any allocation.
__attribute__((tls_model("initial-exec"))) thread_local GuardFrame* t_guard = nullptr;

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};
struct sigaction g_previous[NSIG];
std::once_flag g_handlersInstalled;

void OnFault(int sig, siginfo_t* info, void* context) {
    // A signal another process sent (kill) is no fault of the work.
    const bool sentFromOutside = info && info->si_code == SI_USER && info->si_pid != getpid();
    if (GuardFrame* frame = t_guard; frame && !sentFromOutside) {
        t_guard = nullptr;
        siglongjmp(frame->env, sig);
    }
    // Not ours: do what was there before.
    const struct sigaction& previous = g_previous[sig];
    if (previous.sa_flags & SA_SIGINFO) {
        if (previous.sa_sigaction) {
            previous.sa_sigaction(sig, info, context);
            return;
        }
    } else if (previous.sa_handler == SIG_IGN) {
        return;
    } else if (previous.sa_handler != SIG_DFL) {
        previous.sa_handler(sig);
        return;
    }
    // The default action: put it back and let the signal take effect once this returns.
    sigaction(sig, &previous, nullptr);
    raise(sig);
}

void InstallFaultHandlers() {
    std::call_once(g_handlersInstalled, [] {
        struct sigaction action {};
        action.sa_sigaction = OnFault;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        for (const int sig : kFaultSignals) sigaction(sig, &action, &g_previous[sig]);
    });
}

const char* SignalName(int sig) {
    switch (sig) {
        case SIGSEGV:
            return "segmentation fault";
        case SIGBUS:
            return "bus error";
        case SIGFPE:
            return "arithmetic fault";
        case SIGILL:
            return "illegal instruction";
        case SIGABRT:
            return "abort";
        case SIGTRAP:
            return "trap";
        case SIGSYS:
            return "bad system call";
        default:
            return "fault";
    }
}

// 0 when the work ran to its end, the signal number of a fault, or -1 when it threw.
int CallGuarded(const std::function<void()>& work, std::string& detail) {
    GuardFrame frame;
    const int sig = sigsetjmp(frame.env, 1);
    if (sig != 0) return sig;
    t_guard = &frame;
    int result = 0;
    try {
        work();
    } catch (const std::exception& e) {
        detail = e.what();
        result = -1;
    } catch (...) {
        detail = "an exception of unknown type";
        result = -1;
    }
    t_guard = nullptr;
    return result;
}

// The same on a stack of its own for the signal handler, so that a stack overflow in the
// work can be caught too.
int RunGuarded(const std::function<void()>& work, std::string& detail) {
    const long minimum = sysconf(_SC_SIGSTKSZ);
    const size_t size = std::max<size_t>(64 * 1024, minimum > 0 ? size_t(minimum) * 4 : 0);
    const std::unique_ptr<char[]> altStack(new char[size]);  // untouched unless a fault comes
    stack_t stack{};
    stack.ss_sp = altStack.get();
    stack.ss_size = size;
    const bool haveAltStack = sigaltstack(&stack, nullptr) == 0;
    const int fault = CallGuarded(work, detail);
    if (haveAltStack) {
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
    }
    return fault;
}

// ---- Libraries --------------------------------------------------------------------------

class PosixLibrary : public DynamicLibrary {
  public:
    explicit PosixLibrary(void* handle) : handle_(handle) {}
    ~PosixLibrary() override {
        if (!kept_) dlclose(handle_);
    }
    void* Symbol(const std::string& name) const override { return dlsym(handle_, name.c_str()); }
    void Keep() override { kept_ = true; }

  private:
    void* handle_;
    bool kept_ = false;
};

}  // namespace

std::unique_ptr<DynamicLibrary> SystemDynamicLibraries::Open(const std::string& path,
                                                             std::string& error) {
    // Only ELF files go to the system's loader: its message for anything else is obscure.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    static constexpr char kElfMagic[4] = {0x7f, 'E', 'L', 'F'};
    char magic[4] = {};
    const ssize_t got = read(fd, magic, sizeof magic);
    close(fd);
    if (got != ssize_t(sizeof magic) || std::memcmp(magic, kElfMagic, sizeof magic) != 0) {
        error = path + ": not a shared library";
        return nullptr;
    }
    if (LoaderHeld()) {
        error = "the system's library loader is held by a library that never finished loading";
        return nullptr;
    }
    if (t_run) t_run->insideLoader.store(true);
    dlerror();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (t_run) t_run->insideLoader.store(false);
    if (!handle) {
        const char* why = dlerror();
        error = why ? why : "the library cannot be loaded";
        return nullptr;
    }
    return std::make_unique<PosixLibrary>(handle);
}

ThreadRun SystemDynamicLibraries::RunWithTimeLimit(std::function<void()> work,
                                                   std::chrono::milliseconds limit) {
    InstallFaultHandlers();
    auto state = std::make_shared<RunState>();
    state->work = std::move(work);
    std::thread thread;
    try {
        thread = std::thread([state] {
            t_run = state.get();
            std::string detail;
            const int fault = RunGuarded(state->work, detail);
            t_run = nullptr;
            state->over.store(true);
            {
                std::lock_guard lock(state->mutex);
                state->done = true;
                state->fault = fault;
                state->detail = std::move(detail);
            }
            state->finished.notify_all();
        });
    } catch (const std::system_error& e) {
        return {ThreadRun::Outcome::NotStarted, e.what()};
    }

    std::unique_lock lock(state->mutex);
    if (!state->finished.wait_for(lock, limit, [&] { return state->done; })) {
        lock.unlock();
        WatchForLoader(state);
        thread.detach();
        return {ThreadRun::Outcome::TimedOut,
                "did not finish within " + std::to_string(limit.count()) + " ms"};
    }
    const int fault = state->fault;
    std::string detail = state->detail;
    lock.unlock();
    thread.join();
    // A fault inside dlopen (in a static constructor) leaves the loader's lock held.
    if (fault != 0 && state->insideLoader.load()) WatchForLoader(state);
    if (fault == 0) return {ThreadRun::Outcome::Finished, {}};
    if (fault > 0) return {ThreadRun::Outcome::Crashed, SignalName(fault)};
    return {ThreadRun::Outcome::Crashed, "exception: " + detail};
}

SystemDynamicLibraries& SystemLibraries() {
    static SystemDynamicLibraries libraries;
    return libraries;
}

}  // namespace storyloom
