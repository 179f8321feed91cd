#pragma once
// What the component tests share: paths of the test libraries, a sink that records what a
// control tells the player, and a temporary folder.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/components/ControlLibrary.h"

namespace storyloom::testing {

inline std::string TestLibrary(const std::string& name) {
    return std::string(COMPONENTS_TEST_LIBS) + "/" + name + ".so";
}

struct RecordedEvent {
    std::string name;
    std::vector<EventParameter> parameters;
};

class RecordingSink : public ControlSink {
  public:
    void OnEvent(const std::string& name, const std::vector<EventParameter>& parameters) override {
        events.push_back({name, parameters});
        if (onEvent) onEvent(events.back());
    }
    void OnRepaint() override { ++repaints; }
    void OnResize(ControlSize size) override { resizes.push_back(size); }
    void OnTimerRequest(std::uint32_t interval) override { timerRequests.push_back(interval); }
    void OnFault(const std::string& what) override { faults.push_back(what); }

    std::vector<RecordedEvent> events;
    int repaints = 0;
    std::vector<ControlSize> resizes;
    std::vector<std::uint32_t> timerRequests;
    std::vector<std::string> faults;
    std::function<void(const RecordedEvent&)> onEvent;
};

class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("components-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream out(File(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return File(name);
    }
    std::string Write(const std::string& name, const std::string& text) const {
        return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::string Copy(const std::string& from, const std::string& name) const {
        std::filesystem::copy_file(from, File(name),
                                   std::filesystem::copy_options::overwrite_existing);
        return File(name);
    }

  private:
    std::filesystem::path path_;
};

}  // namespace storyloom::testing
