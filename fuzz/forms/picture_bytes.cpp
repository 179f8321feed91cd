// Damaged picture files of every kind (the first byte chooses which kind's header the rest
// follows, so the fuzzer reaches each decoder): a picture or a clean failure, never a crash.
#include <QByteArray>
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

#include "platform/forms/Metafile.h"
#include "platform/forms/Picture.h"

namespace {

QByteArray WithHeader(const std::uint8_t* data, std::size_t size) {
    static const QByteArray kHeaders[] = {
        QByteArray("BM"),
        QByteArray("\xFF\xD8\xFF\xE0", 4),
        QByteArray("GIF89a"),
        QByteArray("\x00\x00\x01\x00", 4),
        QByteArray("\x00\x00\x02\x00", 4),
        QByteArray("\xD7\xCD\xC6\x9A", 4),
        QByteArray("\x01\x00\x09\x00", 4),
        QByteArray("\x01\x00\x00\x00", 4),
        QByteArray(),
    };
    if (size == 0) return QByteArray();
    const QByteArray& header = kHeaders[data[0] % (sizeof(kHeaders) / sizeof(kHeaders[0]))];
    return header +
           QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(*argc, *argv);  // for the SVG renderer's fonts; lives as long as the run
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = WithHeader(data, size);
    const storyloom::forms::PictureResult result = storyloom::forms::DecodePicture(bytes);
    if (result.Ok() == result.picture.IsEmpty()) __builtin_trap();
    if (!result.Ok() && result.errorNumber != storyloom::forms::kErrInvalidPicture)
        __builtin_trap();
    storyloom::forms::ReadGifTiming(bytes);
    return 0;
}
