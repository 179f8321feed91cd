#pragma once
// A test double for DynamicLibraries: libraries that exist only in memory (a path and the
// symbols it exports, usually functions of the test itself), work run on the calling thread,
// outcomes that can be set in advance (a time-out, a crash) and a record of what was asked.
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dynlib/DynamicLibraries.h"

namespace storyloom {

class FakeDynamicLibraries : public DynamicLibraries {
  public:
    void AddLibrary(const std::string& path, std::map<std::string, void*> symbols);

    std::unique_ptr<DynamicLibrary> Open(const std::string& path, std::string& error) override;
    // Runs the work on the calling thread and reports the next outcome of `nextRuns`
    // (Finished when it is empty). TimedOut and Crashed stand for a thread that had started
    // the work, so it runs for them too; NotStarted does not run it.
    ThreadRun RunWithTimeLimit(std::function<void()> work,
                               std::chrono::milliseconds limit) override;

    std::deque<ThreadRun> nextRuns;

    // What happened.
    struct Record {
        int opens = 0;                                  // successful Open calls
        int releases = 0;                               // libraries released
        int kept = 0;                                   // libraries that were told to stay
        std::vector<std::chrono::milliseconds> limits;  // of every run
    };
    std::shared_ptr<Record> record = std::make_shared<Record>();

  private:
    std::map<std::string, std::map<std::string, void*>> libraries_;
};

}  // namespace storyloom
