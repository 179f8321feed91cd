#include "platform/media/MidiFile.h"

#include <QtEndian>
#include <cstdint>

namespace storyloom {

namespace {

constexpr int kMaxTracks = 256;

// Reads a variable-length quantity (at most four bytes); false when it runs past `end`.
bool ReadVarLen(const QByteArray& b, qsizetype& pos, qsizetype end, std::uint32_t* value) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= end) return false;
        const auto byte = static_cast<unsigned char>(b[pos++]);
        v = (v << 7) | (byte & 0x7f);
        if (!(byte & 0x80)) {
            *value = v;
            return true;
        }
    }
    return false;
}

int DataBytes(unsigned char status) {
    switch (status & 0xf0) {
        case 0xc0:
        case 0xd0:
            return 1;
        default:
            return 2;
    }
}

// The well-formed events of one track, up to (not including) its end-of-track event.
// `complete` tells whether the track was well formed to its end-of-track event.
QByteArray CleanTrack(const QByteArray& b, qsizetype pos, qsizetype end, bool* complete) {
    *complete = false;
    unsigned char running = 0;
    qsizetype goodEnd = pos;
    const qsizetype start = pos;
    while (pos < end) {
        std::uint32_t delta = 0;
        if (!ReadVarLen(b, pos, end, &delta) || pos >= end) break;
        auto status = static_cast<unsigned char>(b[pos]);
        if (status == 0xff) {  // meta event: type, length, data
            if (pos + 2 > end) break;
            const auto type = static_cast<unsigned char>(b[pos + 1]);
            qsizetype p = pos + 2;
            std::uint32_t length = 0;
            if (type >= 0x80 || !ReadVarLen(b, p, end, &length) ||
                length > static_cast<std::uint32_t>(end - p))
                break;
            if (type == 0x2f) {
                *complete = true;
                return b.mid(start, goodEnd - start);
            }
            pos = p + length;
            running = 0;
        } else if (status == 0xf0 || status == 0xf7) {  // system exclusive: length, data
            qsizetype p = pos + 1;
            std::uint32_t length = 0;
            if (!ReadVarLen(b, p, end, &length) || length > static_cast<std::uint32_t>(end - p))
                break;
            pos = p + length;
            running = 0;
        } else if (status >= 0x80 && status < 0xf0) {  // channel message
            const int n = DataBytes(status);
            if (pos + 1 + n > end) break;
            bool ok = true;
            for (int i = 1; i <= n; ++i) ok = ok && static_cast<unsigned char>(b[pos + i]) < 0x80;
            if (!ok) break;
            running = status;
            pos += 1 + n;
        } else if (status < 0x80 && running) {  // running status
            const int n = DataBytes(running);
            if (pos + n > end) break;
            bool ok = true;
            for (int i = 0; i < n; ++i) ok = ok && static_cast<unsigned char>(b[pos + i]) < 0x80;
            if (!ok) break;
            pos += n;
        } else {
            break;  // system common or real-time bytes do not belong in a file
        }
        goodEnd = pos;
    }
    return b.mid(start, goodEnd - start);
}

void PutBe32(QByteArray& b, std::uint32_t v) {
    char c[4];
    qToBigEndian(v, c);
    b.append(c, 4);
}

}  // namespace

std::optional<MidiCheck> CheckMidi(const QByteArray& bytes) {
    QByteArray smf = bytes;
    if (bytes.startsWith("RIFF") && bytes.size() >= 12 && bytes.mid(8, 4) == "RMID") {
        // The Standard MIDI file is the "data" chunk.
        qsizetype pos = 12;
        smf.clear();
        while (pos + 8 <= bytes.size()) {
            const qint64 size = qFromLittleEndian<std::uint32_t>(bytes.constData() + pos + 4);
            if (bytes.mid(pos, 4) == "data") {
                smf = bytes.mid(pos + 8, static_cast<qsizetype>(
                                             std::min<qint64>(size, bytes.size() - pos - 8)));
                break;
            }
            pos += 8 + size + (size & 1);
        }
    }
    if (smf.size() < 14 || !smf.startsWith("MThd")) return std::nullopt;
    const qint64 headerSize = qFromBigEndian<std::uint32_t>(smf.constData() + 4);
    if (headerSize < 6 || headerSize > smf.size() - 8) return std::nullopt;
    const int format = qFromBigEndian<std::uint16_t>(smf.constData() + 8);
    const int division = qFromBigEndian<std::uint16_t>(smf.constData() + 12);
    if (format > 2 || division == 0) return std::nullopt;

    MidiCheck result;
    QByteArray tracks;
    int count = 0;
    qint64 pos = 8 + headerSize;
    while (pos + 8 <= smf.size() && count < kMaxTracks) {
        const qint64 size = qFromBigEndian<std::uint32_t>(smf.constData() + pos + 4);
        const qint64 body = pos + 8;
        const qint64 end = std::min<qint64>(body + size, smf.size());
        if (end < body + size) result.changed = true;  // the track runs past the end of the file
        if (smf.mid(static_cast<qsizetype>(pos), 4) == "MTrk") {
            bool complete = false;
            QByteArray events = CleanTrack(smf, static_cast<qsizetype>(body),
                                           static_cast<qsizetype>(end), &complete);
            if (!complete) result.changed = true;
            events += QByteArray("\x00\xff\x2f\x00", 4);
            tracks += QByteArray("MTrk", 4);
            PutBe32(tracks, static_cast<std::uint32_t>(events.size()));
            tracks += events;
            ++count;
        }
        pos = body + size;
    }
    if (count == 0) return std::nullopt;
    const int declared = qFromBigEndian<std::uint16_t>(smf.constData() + 10);
    if (declared != count || headerSize != 6 || smf.size() != bytes.size()) result.changed = true;
    QByteArray header("MThd", 4);
    PutBe32(header, 6);
    char fields[6];
    qToBigEndian<std::uint16_t>(static_cast<std::uint16_t>(format == 0 && count > 1 ? 1 : format),
                                fields);
    qToBigEndian<std::uint16_t>(static_cast<std::uint16_t>(count), fields + 2);
    qToBigEndian<std::uint16_t>(static_cast<std::uint16_t>(division), fields + 4);
    header.append(fields, 6);
    result.file = header + tracks;
    if (!result.changed && result.file != smf) result.changed = true;
    return result;
}

}  // namespace storyloom
