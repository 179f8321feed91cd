#include "platform/components/ControlLoader.h"

#include <mutex>
#include <utility>

namespace storyloom {

namespace {

// What the loading thread hands back. Shared with the thread, which may outlive the wait.
struct LoadState {
    std::mutex mutex;
    bool abandoned = false;
    std::unique_ptr<DynamicLibrary> code;
    ControlLoad result;
};

}  // namespace

ControlLoader::ControlLoader(DynamicLibraries& libraries, std::chrono::milliseconds limit)
    : libraries_(libraries), limit_(limit) {}

ControlLoad ControlLoader::Load(const std::string& path) {
    using Status = ControlLoad::Status;
    if (GivenUp(path)) {
        return {Status::GivenUp, "given up earlier in this run (it hung or faulted)", nullptr};
    }
    auto state = std::make_shared<LoadState>();
    DynamicLibraries* libraries = &libraries_;
    const ThreadRun run = libraries_.RunWithTimeLimit(
        [state, libraries, path] {
            std::string error;
            std::unique_ptr<DynamicLibrary> code = libraries->Open(path, error);
            DynamicLibrary* raw = code.get();
            {
                std::lock_guard lock(state->mutex);
                if (!code) {
                    state->result = {Status::NotALibrary, error, nullptr};
                    return;
                }
                if (state->abandoned) code->Keep();
                state->code = std::move(code);
            }
            void* symbol = raw->Symbol(SL_ENTRY_POINT_NAME);
            if (!symbol) {
                std::lock_guard lock(state->mutex);
                state->result = {Status::NoEntryPoint, "it has no entry point " SL_ENTRY_POINT_NAME,
                                 nullptr};
                return;
            }
            const auto entry = reinterpret_cast<sl_entry_point>(symbol);
            const sl_library* table = entry(SL_CONTROL_ABI_VERSION);
            std::string why;
            std::shared_ptr<ControlLibrary> library = ControlLibrary::FromTable(table, why);
            std::lock_guard lock(state->mutex);
            if (library) {
                state->result = {Status::Loaded, {}, std::move(library)};
            } else {
                state->result = {Status::BadTable, why, nullptr};
            }
        },
        limit_);

    std::lock_guard lock(state->mutex);
    switch (run.outcome) {
        case ThreadRun::Outcome::Finished: {
            ControlLoad result = std::move(state->result);
            // On failure the library is released with `state`, as the system loader allows.
            if (result.library) result.library->HoldCode(std::move(state->code));
            return result;
        }
        case ThreadRun::Outcome::TimedOut:
        case ThreadRun::Outcome::Crashed: {
            state->abandoned = true;
            if (state->code) state->code->Keep();
            givenUp_.insert(path);
            const bool timedOut = run.outcome == ThreadRun::Outcome::TimedOut;
            return {timedOut ? Status::TimedOut : Status::Crashed,
                    (timedOut ? "it " : "it faulted: ") + run.detail, nullptr};
        }
        case ThreadRun::Outcome::NotStarted:
        default:
            return {Status::NotStarted, "no thread could be started: " + run.detail, nullptr};
    }
}

}  // namespace storyloom
