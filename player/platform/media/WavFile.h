#pragma once
// Reading the RIFF WAVE files of the games before GStreamer sees them. Most play as they are;
// two kinds need help: ADPCM files (IMA and Microsoft), which the decoders of the installed
// GStreamer get wrong in mono, are decoded here into 16-bit PCM; and PCM files whose data
// length is odd or runs past the end of the file need wavparse told to ignore the length.
#include <QByteArray>
#include <QVector>
#include <cstdint>
#include <optional>

namespace storyloom {

struct WavInfo {
    static constexpr std::uint16_t kPcm = 0x0001;
    static constexpr std::uint16_t kMsAdpcm = 0x0002;
    static constexpr std::uint16_t kImaAdpcm = 0x0011;

    std::uint16_t format = 0;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
    int samplesPerBlock = 0;  // ADPCM only
    // Microsoft ADPCM predictor coefficient pairs (the standard seven when the file has none).
    QVector<std::int16_t> coefficients;
    // Sample frames from the "fact" chunk; -1 when there is none.
    std::int64_t factFrames = -1;

    std::int64_t dataOffset = 0;
    std::int64_t declaredDataSize = 0;  // what the data chunk's header says
    std::int64_t dataSize = 0;          // what the file really holds of it

    bool IsAdpcm() const { return format == kMsAdpcm || format == kImaAdpcm; }
    // The data length cannot be trusted: odd with 8-bit samples, or past the end of the file.
    bool LengthLies() const;
};

// Parses the header of a WAVE file: `head` is the start of the file (the first 64 KB are
// plenty), `fileSize` its full size. Nothing when it is not a WAVE file this player can use.
std::optional<WavInfo> InspectWav(const QByteArray& head, std::int64_t fileSize);

// Decodes the ADPCM data of a whole WAVE file into a canonical 16-bit PCM WAVE file (44-byte
// header). A last block cut short is decoded as far as it goes. Nothing when `info` is not
// ADPCM or its parameters are impossible.
std::optional<QByteArray> DecodeAdpcmWav(const QByteArray& file, const WavInfo& info);

}  // namespace storyloom
