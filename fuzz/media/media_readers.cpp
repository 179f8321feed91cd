// Arbitrary bytes as a media file for the readers that run before GStreamer: the WAV header
// reader with the ADPCM decoder, and the MIDI checker. The first byte picks which; the rest
// is the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/media/MidiFile.h"
#include "platform/media/WavFile.h"

using namespace storyloom;

namespace {

void FuzzWav(const QByteArray& file) {
    const std::optional<WavInfo> info = InspectWav(file.left(65536), file.size());
    if (!info) return;
    if (info->dataSize > info->declaredDataSize || info->dataOffset + info->dataSize > file.size())
        std::abort();
    if (!info->IsAdpcm()) return;
    const std::optional<QByteArray> pcm = DecodeAdpcmWav(file, *info);
    if (!pcm) return;
    // A canonical 16-bit PCM file that reads back as such, holding whole sample frames.
    const std::optional<WavInfo> out = InspectWav(*pcm, pcm->size());
    if (!out || out->format != WavInfo::kPcm || out->bitsPerSample != 16 ||
        out->channels != info->channels || out->dataSize % (2 * out->channels) != 0 ||
        out->LengthLies() || out->dataOffset + out->dataSize != pcm->size())
        std::abort();
    if (info->factFrames >= 0 && out->dataSize / (2 * out->channels) > info->factFrames)
        std::abort();
}

void FuzzMidi(const QByteArray& file) {
    const std::optional<MidiCheck> checked = CheckMidi(file);
    if (!checked) return;
    // What comes out is accepted again unchanged.
    const std::optional<MidiCheck> again = CheckMidi(checked->file);
    if (!again || again->changed || again->file != checked->file) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const QByteArray file(reinterpret_cast<const char*>(data) + 1,
                          static_cast<qsizetype>(size - 1));
    if (data[0] & 1)
        FuzzMidi(file);
    else
        FuzzWav(file);
    return 0;
}
