#pragma once
// The per-user registry of control libraries: which library file provides the control with a
// given program identifier ("Library.Control"). Registration writes it, creating a component
// reads it. Program identifiers are matched without regard to ASCII case. Entries stay from
// one run to the next, like the registrations of the platform the games were written for.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace storyloom {

// Where the entries are kept: program identifier -> library path; empty means none.
class ProgIdStore {
  public:
    virtual ~ProgIdStore() = default;
    virtual std::string Get(const std::string& progId) const = 0;
    // False when the entry could not be written.
    virtual bool Set(const std::string& progId, const std::string& path) = 0;
};

// In memory, for tests and for a player that must not remember anything.
class MemoryProgIdStore : public ProgIdStore {
  public:
    std::string Get(const std::string& progId) const override;
    bool Set(const std::string& progId, const std::string& path) override;
    std::map<std::string, std::string> entries;  // lower-case identifier -> path
    int writes = 0;
};

class ComponentRegistry {
  public:
    explicit ComponentRegistry(ProgIdStore& store) : store_(store) {}

    // Two plain names joined by a dot, each a letter followed by letters, digits or "_".
    static bool IsProgId(std::string_view progId);
    // The form in which identifiers are compared: letters in lower case (ASCII).
    static std::string Key(std::string_view progId);

    // The library registered for `progId`, if any.
    std::optional<std::string> Find(std::string_view progId) const;
    // Records `path` for `progId`; writes only when that changes the entry.
    bool Register(std::string_view progId, const std::string& path);
    // Forgets `progId` when it is registered to `path`.
    bool Unregister(std::string_view progId, const std::string& path);

  private:
    ProgIdStore& store_;
};

}  // namespace storyloom
