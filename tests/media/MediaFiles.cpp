#include "MediaFiles.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>

namespace storyloom::testmedia {

namespace {

void Put16(QByteArray& b, std::uint16_t v) {
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void Put32(QByteArray& b, std::uint32_t v) {
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}
void Set32(QByteArray& b, qsizetype at, std::uint32_t v) {
    qToLittleEndian(v, b.data() + at);
}
QByteArray Chunk(const char* id, const QByteArray& body) {
    QByteArray b(id, 4);
    Put32(b, static_cast<std::uint32_t>(body.size()));
    b += body;
    if (body.size() % 2) b.append('\0');
    return b;
}
QByteArray List(const char* type, const QByteArray& body) {
    return Chunk("LIST", QByteArray(type, 4) + body);
}

bool RunToEnd(GstElement* pipeline) {
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* m = gst_bus_timed_pop_filtered(
        bus, 120 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = m && GST_MESSAGE_TYPE(m) == GST_MESSAGE_EOS;
    if (m) {
        if (!ok) {
            GError* e = nullptr;
            gst_message_parse_error(m, &e, nullptr);
            qWarning("test media: %s", e ? e->message : "error");
            if (e) g_error_free(e);
        }
        gst_message_unref(m);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    return ok;
}

GstElement* Parse(const QString& description) {
    gst_init(nullptr, nullptr);
    GError* error = nullptr;
    GstElement* p = gst_parse_launch(description.toUtf8().constData(), &error);
    if (error) {
        qWarning("test media: %s: %s", qPrintable(description), error->message);
        g_error_free(error);
        if (p) gst_object_unref(p);
        return nullptr;
    }
    return p;
}

}  // namespace

QString Folder() {
    const QString dir =
        QDir::tempPath() +
        QStringLiteral("/storyloom-media-tests-%1").arg(QString::fromLocal8Bit(qgetenv("USER")));
    QDir().mkpath(dir);
    return dir;
}

QString MakeWithGst(const QString& name, const QString& pipeline) {
    const QString path = Folder() + QLatin1Char('/') + name;
    if (QFileInfo(path).size() > 0) return path;
    const QString temp = path + QStringLiteral(".%1.tmp").arg(QCoreApplication::applicationPid());
    QString description = pipeline;
    description.replace(QStringLiteral("%o"), temp);
    GstElement* p = Parse(description);
    if (!p) return {};
    const bool ok = RunToEnd(p);
    gst_object_unref(p);
    if (!ok || QFileInfo(temp).size() == 0 || !QFile::rename(temp, path)) {
        QFile::remove(temp);
        return QFileInfo(path).size() > 0 ? path : QString();
    }
    return path;
}

Encoded Collect(const QString& pipeline) {
    Encoded out;
    GstElement* p = Parse(pipeline);
    if (!p) return out;
    GstElement* sink = gst_bin_get_by_name(GST_BIN(p), "out");
    g_object_set(sink, "sync", FALSE, nullptr);
    gst_element_set_state(p, GST_STATE_PLAYING);
    while (GstSample* s = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 30 * GST_SECOND)) {
        if (out.caps.isEmpty()) {
            gchar* c = gst_caps_to_string(gst_sample_get_caps(s));
            out.caps = QString::fromUtf8(c);
            g_free(c);
        }
        GstBuffer* b = gst_sample_get_buffer(s);
        GstMapInfo map;
        if (gst_buffer_map(b, &map, GST_MAP_READ)) {
            out.buffers.append(QByteArray(reinterpret_cast<const char*>(map.data),
                                          static_cast<qsizetype>(map.size)));
            out.keyframes.append(!GST_BUFFER_FLAG_IS_SET(b, GST_BUFFER_FLAG_DELTA_UNIT));
            gst_buffer_unmap(b, &map);
        }
        gst_sample_unref(s);
    }
    gst_element_set_state(p, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(p);
    return out;
}

QString WriteFile(const QString& name, const QByteArray& bytes) {
    // Tests run in parallel processes and several write a file of the same name with other
    // bytes: each content has a folder of its own, and a file appears only when complete, so
    // no test ever plays a file that another one is rewriting.
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16));
    const QString dir = Folder() + QLatin1Char('/') + hash;
    const QString path = dir + QLatin1Char('/') + name;
    if (QFileInfo(path).size() == bytes.size()) return path;
    QDir().mkpath(dir);
    const QString temp = path + QStringLiteral(".%1.tmp").arg(QCoreApplication::applicationPid());
    QFile f(temp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return {};
    f.close();
    QFile::remove(path);
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        return QFileInfo(path).size() == bytes.size() ? path : QString();
    }
    return path;
}

QByteArray PcmWav(int bits, int channels, int rate, int frames, double amplitude) {
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * M_PI * 440.0 * i / rate);
        for (int c = 0; c < channels; ++c) {
            if (bits == 8)
                data.append(static_cast<char>(std::lround(128 + 127 * v)));
            else
                Put16(data, static_cast<std::uint16_t>(
                                static_cast<std::int16_t>(std::lround(32767 * v))));
        }
    }
    QByteArray fmt;
    Put16(fmt, 1);
    Put16(fmt, static_cast<std::uint16_t>(channels));
    Put32(fmt, static_cast<std::uint32_t>(rate));
    Put32(fmt, static_cast<std::uint32_t>(rate * channels * bits / 8));
    Put16(fmt, static_cast<std::uint16_t>(channels * bits / 8));
    Put16(fmt, static_cast<std::uint16_t>(bits));
    const QByteArray body = QByteArray("WAVE") + Chunk("fmt ", fmt) + Chunk("data", data);
    return Chunk("RIFF", body);
}

QVector<std::int16_t> AdpcmSource(int channels, int rate, double seconds) {
    const Encoded e = Collect(
        QStringLiteral(
            "audiotestsrc wave=sine freq=440 volume=0.5 samplesperbuffer=%1 num-buffers=%2"
            " ! audio/x-raw,format=S16LE,layout=interleaved,rate=%3,channels=%4 ! appsink name=out")
            .arg(rate / 10)
            .arg(std::lround(seconds * 10))
            .arg(rate)
            .arg(channels));
    QVector<std::int16_t> samples;
    for (const QByteArray& b : e.buffers)
        for (qsizetype i = 0; i + 1 < b.size(); i += 2)
            samples.append(qFromLittleEndian<std::int16_t>(b.constData() + i));
    return samples;
}

QByteArray AdpcmWav(bool ima, int channels, int rate, double seconds) {
    const Encoded e = Collect(
        QStringLiteral(
            "audiotestsrc wave=sine freq=440 volume=0.5 samplesperbuffer=%1 num-buffers=%2"
            " ! audio/x-raw,format=S16LE,layout=interleaved,rate=%3,channels=%4 ! %5 ! appsink "
            "name=out")
            .arg(rate / 10)
            .arg(std::lround(seconds * 10))
            .arg(rate)
            .arg(channels)
            .arg(ima ? QStringLiteral("avenc_adpcm_ima_wav") : QStringLiteral("avenc_adpcm_ms")));
    const qsizetype at = e.caps.indexOf(QStringLiteral("block_align=(int)"));
    if (at < 0 || e.buffers.isEmpty()) return {};
    const int blockAlign = e.caps.mid(at + 17).section(QLatin1Char(','), 0, 0).toInt();
    QByteArray data;
    for (const QByteArray& b : e.buffers) data += b;
    const int header = (ima ? 4 : 7) * channels;
    const int perBlock =
        ima ? (blockAlign - header) * 2 / channels + 1 : (blockAlign - header) * 2 / channels + 2;
    QByteArray fmt;
    Put16(fmt, ima ? 0x11 : 0x02);
    Put16(fmt, static_cast<std::uint16_t>(channels));
    Put32(fmt, static_cast<std::uint32_t>(rate));
    Put32(fmt, static_cast<std::uint32_t>(static_cast<qint64>(rate) * blockAlign / perBlock));
    Put16(fmt, static_cast<std::uint16_t>(blockAlign));
    Put16(fmt, 4);
    if (ima) {
        Put16(fmt, 2);
        Put16(fmt, static_cast<std::uint16_t>(perBlock));
    } else {
        static const std::int16_t kCoefs[14] = {256, 0,   512, -256, 0,    0,   192,
                                                64,  240, 0,   460,  -208, 392, -232};
        Put16(fmt, 32);
        Put16(fmt, static_cast<std::uint16_t>(perBlock));
        Put16(fmt, 7);
        for (std::int16_t c : kCoefs) Put16(fmt, static_cast<std::uint16_t>(c));
    }
    QByteArray fact;
    Put32(fact, static_cast<std::uint32_t>(std::lround(seconds * rate)));
    const QByteArray body =
        QByteArray("WAVE") + Chunk("fmt ", fmt) + Chunk("fact", fact) + Chunk("data", data);
    return Chunk("RIFF", body);
}

QVector<std::int16_t> PcmSamples(const QByteArray& wav, int* channels, int* rate) {
    QVector<std::int16_t> out;
    const qsizetype fmt = wav.indexOf("fmt ");
    const qsizetype data = wav.indexOf("data");
    if (fmt < 0 || data < 0) return out;
    if (channels) *channels = qFromLittleEndian<std::uint16_t>(wav.constData() + fmt + 10);
    if (rate)
        *rate = static_cast<int>(qFromLittleEndian<std::uint32_t>(wav.constData() + fmt + 12));
    // A recording whose writer was stopped before it could finish its header says 0: the data
    // then runs to the end of the file.
    const std::uint32_t told = qFromLittleEndian<std::uint32_t>(wav.constData() + data + 4);
    const qsizetype size =
        told == 0 ? wav.size() - data - 8 : std::min<qsizetype>(told, wav.size() - data - 8);
    for (qsizetype i = 0; i + 1 < size; i += 2)
        out.append(qFromLittleEndian<std::int16_t>(wav.constData() + data + 8 + i));
    return out;
}

namespace {
void PutVarLen(QByteArray& b, std::uint32_t v) {
    QByteArray bytes;
    bytes.prepend(static_cast<char>(v & 0x7f));
    while (v >>= 7) bytes.prepend(static_cast<char>((v & 0x7f) | 0x80));
    b += bytes;
}
void PutBe32(QByteArray& b, std::uint32_t v) {
    char c[4];
    qToBigEndian(v, c);
    b.append(c, 4);
}
}  // namespace

QByteArray Midi(double seconds, bool garbage) {
    // 480 ticks per quarter note at the default 120 bpm: 960 ticks per second.
    QByteArray track;
    PutVarLen(track, 0);
    track += QByteArray("\xc0\x00", 2);  // piano
    PutVarLen(track, 0);
    track += QByteArray("\x90\x3c\x64", 3);
    PutVarLen(track, static_cast<std::uint32_t>(std::lround(seconds * 960)));
    track += QByteArray("\x80\x3c\x40", 3);
    if (garbage) {
        std::uint32_t x = 12345;
        for (int i = 0; i < 300; ++i) {
            x = x * 1103515245u + 12345u;
            track.append(static_cast<char>(x >> 16));
        }
    }
    PutVarLen(track, 0);
    track += QByteArray("\xff\x2f\x00", 3);
    QByteArray file("MThd", 4);
    PutBe32(file, 6);
    file += QByteArray("\x00\x00\x00\x01\x01\xe0", 6);  // format 0, one track, 480 ticks
    file += QByteArray("MTrk", 4);
    PutBe32(file, static_cast<std::uint32_t>(track.size()));
    return file + track;
}

QByteArray Rmi(const QByteArray& midi) {
    return Chunk("RIFF", QByteArray("RMID") + Chunk("data", midi));
}

QString MakeAvi(const QString& name, const QString& encoder, const char* fourcc, int frames,
                int fps, const QString& pattern) {
    const QString path = Folder() + QLatin1Char('/') + name;
    if (QFileInfo(path).size() > 0) return path;
    const int w = 160, h = 120;
    const Encoded e = Collect(
        QStringLiteral("videotestsrc pattern=%1 num-buffers=%2 ! video/x-raw,width=%3,height=%4,"
                       "framerate=%5/1 ! videoconvert ! %6 ! appsink name=out")
            .arg(pattern)
            .arg(frames)
            .arg(w)
            .arg(h)
            .arg(fps)
            .arg(encoder));
    if (e.buffers.isEmpty()) return {};
    const int bitCount = encoder.contains(QStringLiteral("msvideo1")) ? 16 : 24;
    QByteArray avih;
    Put32(avih, static_cast<std::uint32_t>(1000000 / fps));
    Put32(avih, 0);
    Put32(avih, 0);
    Put32(avih, 0x10);  // has an index
    Put32(avih, static_cast<std::uint32_t>(e.buffers.size()));
    Put32(avih, 0);
    Put32(avih, 1);
    Put32(avih, 0);
    Put32(avih, w);
    Put32(avih, h);
    for (int i = 0; i < 4; ++i) Put32(avih, 0);
    QByteArray strh("vids", 4);
    strh.append(fourcc, 4);
    Put32(strh, 0);
    Put32(strh, 0);
    Put32(strh, 0);
    Put32(strh, 1);
    Put32(strh, static_cast<std::uint32_t>(fps));
    Put32(strh, 0);
    Put32(strh, static_cast<std::uint32_t>(e.buffers.size()));
    Put32(strh, 0);
    Put32(strh, 0xffffffffu);
    Put32(strh, 0);
    Put16(strh, 0);
    Put16(strh, 0);
    Put16(strh, w);
    Put16(strh, h);
    QByteArray strf;
    Put32(strf, 40);
    Put32(strf, w);
    Put32(strf, h);
    Put16(strf, 1);
    Put16(strf, static_cast<std::uint16_t>(bitCount));
    strf.append(fourcc, 4);
    Put32(strf, static_cast<std::uint32_t>(w * h * bitCount / 8));
    for (int i = 0; i < 4; ++i) Put32(strf, 0);
    QByteArray movi("movi", 4), idx;
    for (qsizetype i = 0; i < e.buffers.size(); ++i) {
        idx += QByteArray("00dc", 4);
        Put32(idx, e.keyframes[i] ? 0x10 : 0);
        Put32(idx, static_cast<std::uint32_t>(movi.size()));
        Put32(idx, static_cast<std::uint32_t>(e.buffers[i].size()));
        movi += Chunk("00dc", e.buffers[i]);
    }
    const QByteArray hdrl =
        List("hdrl", Chunk("avih", avih) + List("strl", Chunk("strh", strh) + Chunk("strf", strf)));
    QByteArray body = QByteArray("AVI ") + hdrl + Chunk("LIST", movi) + Chunk("idx1", idx);
    QByteArray file = Chunk("RIFF", body);
    Set32(file, 4, static_cast<std::uint32_t>(file.size() - 8));
    return WriteFile(name, file);
}

}  // namespace storyloom::testmedia
