#pragma once
// The version record of a Windows program file (an .ocx, .dll or .exe in the PE format): the
// resource a file's "Properties - Details" page shows, with the product name, the versions,
// the internal and original file names. Games ship Windows control libraries that cannot run
// here; their version record tells which control a file is, so that a control provided here
// can stand in for it.
//
// The reader only parses bytes: nothing of the file is loaded or run. Every offset and length
// taken from the file is checked against the bytes at hand, so damaged or hostile files give
// an error, never a read outside the buffer. Inside the record it is lenient the way Windows
// is: padding and trailing garbage after the last entry end a list instead of failing it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace storyloom {

struct VersionRecord {
    // The fixed part (VS_FIXEDFILEINFO), when present: versions as four numbers, major first.
    std::optional<std::array<uint16_t, 4>> fileVersion;
    std::optional<std::array<uint16_t, 4>> productVersion;
    // The text entries ("ProductName", "InternalName", "OriginalFilename" ...) of every
    // string table in file order, converted to UTF-8.
    std::vector<std::pair<std::string, std::string>> strings;

    // The first entry named `key` (without regard to ASCII case); empty when there is none.
    std::string Get(std::string_view key) const;
    bool Has(std::string_view key) const;
    // Marked as a self-registering control library ("OLESelfRegister").
    bool SelfRegistering() const { return Has("OLESelfRegister"); }
};

struct VersionRecordResult {
    std::optional<VersionRecord> record;
    std::string error;  // why there is none
};

// Largest file ReadVersionRecordFile reads.
inline constexpr std::size_t kMaxProgramFileBytes = 64u << 20;

VersionRecordResult ReadVersionRecord(std::span<const uint8_t> file);
VersionRecordResult ReadVersionRecordFile(const std::string& path);

// True when the bytes start like a PE program file ("MZ").
bool LooksLikeProgramFile(std::span<const uint8_t> head);

}  // namespace storyloom
