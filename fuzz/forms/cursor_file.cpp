// Damaged pointer and icon files: the parser returns an image or nothing, never a crash.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "platform/forms/Cursor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (int preferred : {16, 32, 48}) {
        auto cursor = storyloom::forms::ParseCursorFile(bytes, preferred);
        if (cursor && (cursor->image.isNull() || cursor->invertMask.size() != cursor->image.size()))
            __builtin_trap();
    }
    return 0;
}
