#include "platform/media/WavFile.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace storyloom {

namespace {

constexpr std::int64_t kMaxDecodedBytes = std::int64_t{1} << 30;  // 1 GiB of PCM at most

std::uint16_t U16(const char* p) {
    return qFromLittleEndian<std::uint16_t>(p);
}
std::uint32_t U32(const char* p) {
    return qFromLittleEndian<std::uint32_t>(p);
}

const std::array<std::int16_t, 14> kStandardCoefficients = {256, 0,   512, -256, 0,    0,   192,
                                                            64,  240, 0,   460,  -208, 392, -232};

const std::array<int, 89> kImaSteps = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const std::array<int, 16> kImaIndexChange = {-1, -1, -1, -1, 2, 4, 6, 8,
                                             -1, -1, -1, -1, 2, 4, 6, 8};
const std::array<int, 16> kMsAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                           768, 614, 512, 409, 307, 230, 230, 230};

std::int16_t Clamp16(int v) {
    return static_cast<std::int16_t>(std::clamp(v, -32768, 32767));
}

struct ImaChannel {
    int predictor = 0;
    int index = 0;
    std::int16_t Decode(int nibble) {
        const int step = kImaSteps[static_cast<size_t>(index)];
        int diff = step >> 3;
        if (nibble & 4) diff += step;
        if (nibble & 2) diff += step >> 1;
        if (nibble & 1) diff += step >> 2;
        predictor = Clamp16((nibble & 8) ? predictor - diff : predictor + diff);
        index = std::clamp(index + kImaIndexChange[static_cast<size_t>(nibble)], 0, 88);
        return static_cast<std::int16_t>(predictor);
    }
};

// One IMA block: per channel a 4-byte header (first sample, step index), then groups of
// 4 bytes per channel holding 8 samples each, low nibble first. Returns frames decoded.
int DecodeImaBlock(const char* block, int size, int channels, int maxFrames, std::int16_t* out) {
    if (size < 4 * channels) return 0;
    std::array<ImaChannel, 2> ch;
    for (int c = 0; c < channels; ++c) {
        ch[static_cast<size_t>(c)].predictor = static_cast<std::int16_t>(U16(block + 4 * c));
        ch[static_cast<size_t>(c)].index =
            std::clamp(static_cast<int>(block[4 * c + 2]) & 0xff, 0, 88);
        out[c] = static_cast<std::int16_t>(ch[static_cast<size_t>(c)].predictor);
    }
    int frames = 1;
    const char* p = block + 4 * channels;
    int left = size - 4 * channels;
    while (left >= 4 * channels && frames < maxFrames) {
        const int groupFrames = std::min(8, maxFrames - frames);
        for (int c = 0; c < channels; ++c) {
            const char* g = p + 4 * c;
            for (int i = 0; i < groupFrames; ++i) {
                const int byte = static_cast<unsigned char>(g[i / 2]);
                const int nibble = (i % 2 == 0) ? (byte & 0x0f) : (byte >> 4);
                out[(frames + i) * channels + c] = ch[static_cast<size_t>(c)].Decode(nibble);
            }
        }
        frames += groupFrames;
        p += 4 * channels;
        left -= 4 * channels;
    }
    return frames;
}

// One Microsoft ADPCM block: predictor numbers, deltas, second and first samples per channel,
// then nibbles (high first) alternating between the channels.
int DecodeMsBlock(const char* block, int size, int channels, int maxFrames,
                  const QVector<std::int16_t>& coefs, std::int16_t* out) {
    if (size < 7 * channels) return 0;
    const int predictors = static_cast<int>(coefs.size() / 2);
    std::array<int, 2> c1{}, c2{}, delta{}, s1{}, s2{};
    for (int c = 0; c < channels; ++c) {
        const int pred =
            std::min(static_cast<int>(static_cast<unsigned char>(block[c])), predictors - 1);
        const size_t k = static_cast<size_t>(c);
        c1[k] = coefs[2 * pred];
        c2[k] = coefs[2 * pred + 1];
        delta[k] = static_cast<std::int16_t>(U16(block + channels + 2 * c));
        s1[k] = static_cast<std::int16_t>(U16(block + 3 * channels + 2 * c));
        s2[k] = static_cast<std::int16_t>(U16(block + 5 * channels + 2 * c));
    }
    int frames = 0;
    for (int c = 0; c < channels && frames < maxFrames; ++c)
        out[c] = static_cast<std::int16_t>(s2[static_cast<size_t>(c)]);
    if (maxFrames >= 1) frames = 1;
    if (maxFrames >= 2) {
        for (int c = 0; c < channels; ++c)
            out[channels + c] = static_cast<std::int16_t>(s1[static_cast<size_t>(c)]);
        frames = 2;
    }
    const char* p = block + 7 * channels;
    const int nibbles = (size - 7 * channels) * 2;
    int sample = 0;  // index over interleaved samples after the header
    for (int n = 0; n < nibbles && frames < maxFrames; ++n) {
        const int byte = static_cast<unsigned char>(p[n / 2]);
        const int nibble = (n % 2 == 0) ? (byte >> 4) : (byte & 0x0f);
        const int c = sample % channels;
        const size_t k = static_cast<size_t>(c);
        const int signedNibble = nibble >= 8 ? nibble - 16 : nibble;
        const std::int64_t predicted =
            (std::int64_t{s1[k]} * c1[k] + std::int64_t{s2[k]} * c2[k]) / 256;
        const std::int16_t value = static_cast<std::int16_t>(std::clamp<std::int64_t>(
            predicted + std::int64_t{signedNibble} * delta[k], -32768, 32767));
        s2[k] = s1[k];
        s1[k] = value;
        // A damaged header can make the step grow without bound; keep it in range.
        delta[k] = std::clamp((kMsAdaptation[static_cast<size_t>(nibble)] * delta[k]) / 256, 16,
                              std::numeric_limits<int>::max() / 768);
        out[frames * channels + c] = value;
        if (++sample % channels == 0) ++frames;
    }
    return frames;
}

void PutU16(char* p, std::uint16_t v) {
    qToLittleEndian(v, p);
}
void PutU32(char* p, std::uint32_t v) {
    qToLittleEndian(v, p);
}

}  // namespace

bool WavInfo::LengthLies() const {
    if (declaredDataSize != dataSize) return true;
    return format == kPcm && bitsPerSample == 8 && (dataSize % 2) != 0;
}

std::optional<WavInfo> InspectWav(const QByteArray& head, std::int64_t fileSize) {
    const char* d = head.constData();
    const std::int64_t n = head.size();
    if (n < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0)
        return std::nullopt;
    WavInfo info;
    bool haveFormat = false;
    std::int64_t pos = 12;
    while (pos + 8 <= n) {
        const char* chunk = d + pos;
        const std::int64_t size = U32(chunk + 4);
        const std::int64_t body = pos + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || body + 16 > n) return std::nullopt;
            info.format = U16(d + body);
            info.channels = U16(d + body + 2);
            info.sampleRate =
                static_cast<int>(std::min<std::uint32_t>(U32(d + body + 4), 1u << 30));
            info.blockAlign = U16(d + body + 12);
            info.bitsPerSample = U16(d + body + 14);
            const std::int64_t extraEnd = std::min(body + size, n);
            if (info.IsAdpcm() && body + 20 <= extraEnd) info.samplesPerBlock = U16(d + body + 18);
            if (info.format == WavInfo::kMsAdpcm && body + 22 <= extraEnd) {
                const int count = U16(d + body + 20);
                for (int i = 0; i < count && body + 22 + 4 * i + 4 <= extraEnd; ++i) {
                    info.coefficients.append(static_cast<std::int16_t>(U16(d + body + 22 + 4 * i)));
                    info.coefficients.append(static_cast<std::int16_t>(U16(d + body + 24 + 4 * i)));
                }
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "fact", 4) == 0 && size >= 4 && body + 4 <= n) {
            info.factFrames = U32(d + body);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return std::nullopt;
            info.dataOffset = body;
            info.declaredDataSize = size;
            info.dataSize = std::clamp<std::int64_t>(fileSize - body, 0, size);
            break;
        }
        pos = body + size + (size & 1);
    }
    if (!haveFormat || info.dataOffset == 0) return std::nullopt;
    if (info.channels < 1 || info.sampleRate < 1 || info.blockAlign < 1) return std::nullopt;
    if (info.format == WavInfo::kMsAdpcm && info.coefficients.size() < 14) {
        info.coefficients.clear();
        for (std::int16_t c : kStandardCoefficients) info.coefficients.append(c);
    }
    return info;
}

std::optional<QByteArray> DecodeAdpcmWav(const QByteArray& file, const WavInfo& info) {
    const int ch = info.channels;
    if (!info.IsAdpcm() || ch < 1 || ch > 2 || info.bitsPerSample != 4) return std::nullopt;
    const int headerBytes = (info.format == WavInfo::kImaAdpcm ? 4 : 7) * ch;
    if (info.blockAlign <= headerBytes) return std::nullopt;
    // Frames a full block holds, as the block size says (the fmt field may be wrong).
    const int fromAlign = info.format == WavInfo::kImaAdpcm
                              ? (info.blockAlign - headerBytes) * 2 / ch + 1
                              : (info.blockAlign - headerBytes) * 2 / ch + 2;
    const int perBlock =
        info.samplesPerBlock > 0 ? std::min(info.samplesPerBlock, fromAlign) : fromAlign;
    const std::int64_t start = std::min<std::int64_t>(info.dataOffset, file.size());
    const std::int64_t bytes = std::min<std::int64_t>(info.dataSize, file.size() - start);
    const std::int64_t blocks = (bytes + info.blockAlign - 1) / info.blockAlign;
    std::int64_t frames = blocks * perBlock;
    if (info.factFrames >= 0) frames = std::min(frames, info.factFrames);
    if (frames * ch * 2 > kMaxDecodedBytes) return std::nullopt;

    QByteArray out(44 + static_cast<qsizetype>(frames * ch * 2), Qt::Uninitialized);
    auto* pcm = reinterpret_cast<std::int16_t*>(out.data() + 44);
    std::int64_t done = 0;
    for (std::int64_t b = 0; b < blocks && done < frames; ++b) {
        const std::int64_t offset = start + b * info.blockAlign;
        const int size =
            static_cast<int>(std::min<std::int64_t>(info.blockAlign, start + bytes - offset));
        const int want = static_cast<int>(std::min<std::int64_t>(perBlock, frames - done));
        std::int16_t* dst = pcm + done * ch;
        const char* src = file.constData() + offset;
        const int got = info.format == WavInfo::kImaAdpcm
                            ? DecodeImaBlock(src, size, ch, want, dst)
                            : DecodeMsBlock(src, size, ch, want, info.coefficients, dst);
        done += got;
        if (got < want) break;  // a block cut short ends the data
    }
    // Samples are stored little-endian.
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
        for (std::int64_t i = 0; i < done * ch; ++i) pcm[i] = qToLittleEndian(pcm[i]);
    }
    out.truncate(44 + static_cast<qsizetype>(done * ch * 2));
    const auto dataBytes = static_cast<std::uint32_t>(done * ch * 2);
    char* h = out.data();
    std::memcpy(h, "RIFF", 4);
    PutU32(h + 4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutU32(h + 16, 16);
    PutU16(h + 20, WavInfo::kPcm);
    PutU16(h + 22, static_cast<std::uint16_t>(ch));
    PutU32(h + 24, static_cast<std::uint32_t>(info.sampleRate));
    PutU32(h + 28, static_cast<std::uint32_t>(info.sampleRate * ch * 2));
    PutU16(h + 32, static_cast<std::uint16_t>(ch * 2));
    PutU16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    PutU32(h + 40, dataBytes);
    return out;
}

}  // namespace storyloom
