#pragma once
// Checking Standard MIDI files (and RIFF RMID files that wrap one) before GStreamer's MIDI
// parser sees them: it hangs on some damaged event data. Every track is cut at its first
// event that is not well formed, and ends with an end-of-track event.
#include <QByteArray>
#include <optional>

namespace storyloom {

struct MidiCheck {
    QByteArray file;       // a Standard MIDI file that is safe to parse
    bool changed = false;  // some track was cut or mended
};

// Nothing when `bytes` is not a MIDI file at all (no header, or no track).
std::optional<MidiCheck> CheckMidi(const QByteArray& bytes);

}  // namespace storyloom
