#pragma once
// The registry of control libraries kept in the per-user settings store: application
// "Controls", section "ProgIDs", one key per program identifier (matched without regard to
// case), the library's path as value. With FileSettingsStore that is controls.ini in the
// user's settings folder, written safely (a crash during a write keeps the old entries).
#include "platform/components/ComponentRegistry.h"

namespace storyloom {

class SettingsStore;

class SettingsProgIdStore : public ProgIdStore {
  public:
    explicit SettingsProgIdStore(SettingsStore& settings) : settings_(settings) {}
    std::string Get(const std::string& progId) const override;
    bool Set(const std::string& progId, const std::string& path) override;

  private:
    SettingsStore& settings_;
};

}  // namespace storyloom
