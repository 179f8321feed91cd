#include "platform/dynlib/FakeDynamicLibraries.h"

#include <utility>

namespace storyloom {

namespace {

class FakeLibrary : public DynamicLibrary {
  public:
    FakeLibrary(const std::map<std::string, void*>& symbols,
                std::shared_ptr<FakeDynamicLibraries::Record> record)
        : symbols_(symbols), record_(std::move(record)) {}
    ~FakeLibrary() override {
        if (kept_) return;
        ++record_->releases;
    }
    void* Symbol(const std::string& name) const override {
        const auto it = symbols_.find(name);
        return it == symbols_.end() ? nullptr : it->second;
    }
    void Keep() override {
        if (!kept_) ++record_->kept;
        kept_ = true;
    }

  private:
    std::map<std::string, void*> symbols_;
    std::shared_ptr<FakeDynamicLibraries::Record> record_;
    bool kept_ = false;
};

}  // namespace

void FakeDynamicLibraries::AddLibrary(const std::string& path,
                                      std::map<std::string, void*> symbols) {
    libraries_[path] = std::move(symbols);
}

std::unique_ptr<DynamicLibrary> FakeDynamicLibraries::Open(const std::string& path,
                                                           std::string& error) {
    const auto it = libraries_.find(path);
    if (it == libraries_.end()) {
        error = path + ": not a library";
        return nullptr;
    }
    ++record->opens;
    return std::make_unique<FakeLibrary>(it->second, record);
}

ThreadRun FakeDynamicLibraries::RunWithTimeLimit(std::function<void()> work,
                                                 std::chrono::milliseconds limit) {
    record->limits.push_back(limit);
    ThreadRun run{ThreadRun::Outcome::Finished, {}};
    if (!nextRuns.empty()) {
        run = nextRuns.front();
        nextRuns.pop_front();
    }
    if (run.outcome != ThreadRun::Outcome::NotStarted) work();
    return run;
}

}  // namespace storyloom
