#pragma once
// Test media made at test time: GStreamer's test sources and encoders write most files;
// WAV, MIDI and AVI containers that GStreamer cannot write (ADPCM, odd lengths, lying headers,
// Cinepak and the other old AVI codecs) are written here byte by byte around encoded data.
// Files go to one folder per user and are reused by later test processes.
#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>

namespace storyloom::testmedia {

// The folder the files are made in.
QString Folder();

// Runs `pipeline` (a gst-launch description ending in a sink, where "%o" is the output path)
// once and returns the path of `name`; empty when it could not be made.
QString MakeWithGst(const QString& name, const QString& pipeline);

// Encoded buffers of `pipeline` (ending in "appsink name=out") and the caps of the first.
struct Encoded {
    QVector<QByteArray> buffers;
    QVector<bool> keyframes;
    QString caps;
};
Encoded Collect(const QString& pipeline);

// A file written with `bytes` (cached like the others).
QString WriteFile(const QString& name, const QByteArray& bytes);

// PCM WAV: `frames` sample frames of a 440 Hz sine at `amplitude` (0..1).
QByteArray PcmWav(int bits, int channels, int rate, int frames, double amplitude = 0.5);
// A WAV header around ADPCM blocks encoded by GStreamer's libav encoders.
QByteArray AdpcmWav(bool ima, int channels, int rate, double seconds);
// The sine the ADPCM files encode, as GStreamer produced it (16-bit, interleaved).
QVector<std::int16_t> AdpcmSource(int channels, int rate, double seconds);
// Little-endian 16-bit samples of a PCM WAV's data chunk.
QVector<std::int16_t> PcmSamples(const QByteArray& wav, int* channels = nullptr,
                                 int* rate = nullptr);

// Standard MIDI file: one track, one note of `seconds` at 120 bpm; `garbage` adds random
// bytes as events after the note.
QByteArray Midi(double seconds, bool garbage = false);
// The same wrapped as RIFF RMID.
QByteArray Rmi(const QByteArray& midi);

// AVI with one video stream of the frames encoded by `encoder` (a GStreamer element).
QString MakeAvi(const QString& name, const QString& encoder, const char* fourcc, int frames,
                int fps, const QString& pattern = QStringLiteral("red"));

}  // namespace storyloom::testmedia
