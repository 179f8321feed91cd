// Damaged animated GIFs (bad LZW data, frames outside the screen, no frames, thousands of
// frames): the frames of the animation under the byte budget, or no animation; never a crash.
#include <QByteArray>
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

#include "platform/forms/Picture.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray("GIF89a") + QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    constexpr std::size_t kBudget = 4u * 1024u * 1024u;
    const auto animation = storyloom::forms::DecodeGifAnimation(bytes, kBudget);
    if (!animation) return 0;
    if (animation->frames.empty() || animation->frames.size() != animation->delaysMs.size())
        __builtin_trap();
    std::size_t total = 0;
    for (const QImage& frame : animation->frames) total += std::size_t(frame.sizeInBytes());
    // Only the first frame may go over the budget on its own.
    if (animation->frames.size() > 1 && total > kBudget) __builtin_trap();
    return 0;
}
