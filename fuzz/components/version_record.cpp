// Arbitrary bytes as a Windows program file, and the same bytes as the version record inside
// a sound one (so that the record's own parser is reached from the first run on).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "PeBuilder.h"
#include "platform/components/ControlLibrary.h"
#include "platform/components/VersionRecord.h"

using namespace storyloom;

namespace {

void Check(const VersionRecordResult& result, size_t inputSize) {
    if (!result.record) {
        if (result.error.empty()) std::abort();
        return;
    }
    if (!result.error.empty()) std::abort();
    // Each entry takes at least 6 bytes of the input; its texts are valid UTF-8 and no
    // longer than the input could hold.
    if (result.record->strings.size() * 6 > inputSize + 6) std::abort();
    for (const auto& [key, value] : result.record->strings) {
        if (SanitizedUtf8(key) != key || SanitizedUtf8(value) != value) std::abort();
        if (key.size() + value.size() > 2 * inputSize) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    Check(ReadVersionRecord(bytes), size);
    const testing::Bytes record(bytes.begin(), bytes.end());
    const testing::Bytes file = testing::ProgramFile(record);
    Check(ReadVersionRecord(file), record.size() + 0x58);
    return 0;
}
