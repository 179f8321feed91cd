#include "project/FrameSettings.h"

#include <QVariant>
#include <array>

#include "core/BasicConvert.h"
#include "platform/seqfile/SeqFile.h"

namespace storyloom {

bool AnyAsFlag(const QVariant& value) {
    return CBool(value);
}

namespace {

void ApplyChannelRow(const std::array<QVariant, 6>& col, int row, SoundChannelTable& channels,
                     FrameSettings& out) {
    if (row > 7) return;
    SoundChannel& ch = channels[static_cast<std::size_t>(row)];
    const bool startsMode = CDbl(col[1]) > 1 && ch.Mode < 2;
    const bool startsFile = !CStr(col[5]).isEmpty() && ch.FileName.isEmpty();
    if (!startsMode && !startsFile) return;
    ch.Mode = CInt(col[1]);
    ch.CrossFade = CBool(col[2]);
    if (ch.CrossFade) out.ChannelRowCrossFades = true;
    ch.Repeat = CBool(col[3]);
    ch.PreviousVolume = ch.Volume;
    ch.Volume = CDbl(col[4]);
    ch.FileName = CStr(col[5]);
    ch.KeepIfPlaying = true;
}

}  // namespace

void ReadFrameSettings(SeqReader& r, SoundChannelTable& channels, FrameSettings& s) {
    // Fields 1 to 3 (background type, value and tiling).
    r.ReadVariant();
    r.ReadVariant();
    r.ReadVariant();
    s.RestartMusic = r.ReadBoolean();
    s.MusicFile = r.ReadString();
    s.FrameTimerEnabled = r.ReadBoolean();
    s.FrameTimerDuration = Val(CStr(r.ReadVariant()));
    s.FrameTimerTarget = r.ReadString();
    s.VideoFile = r.ReadString();
    r.ReadVariant();
    if (!r.AtEnd()) {
        s.StopAllSounds = r.ReadBoolean();
        s.StopFrameSoundIfNone = r.ReadBoolean();
        s.FrameSoundFile = r.ReadString();
    }
    if (!r.AtEnd()) {
        for (int i = 14; i <= 16; ++i) r.ReadVariant();
        s.VideoNaturalSize = r.ReadBoolean();
        s.VideoAtPosition = r.ReadBoolean();
        s.VideoLeft = r.ReadLong();
        s.VideoTop = r.ReadLong();
        s.VideoWidth = r.ReadLong();
        s.VideoHeight = r.ReadLong();
    }
    if (!r.AtEnd()) s.MusicLoop = r.ReadBoolean();
    if (!r.AtEnd()) {
        s.HasTimerTransition = true;
        s.FrameTimerTransition = r.ReadBoolean();
        s.FrameTimerTransitionDuration = r.ReadLong();
    }
    if (!r.AtEnd()) {
        s.HasTimerTransitionNumber = true;
        s.FrameTimerTransitionNumber = r.ReadInteger();
    }
    if (!r.AtEnd()) {
        s.RunLocalScript = r.ReadBoolean();
        s.LocalScript = QuoteFromBar(CStr(r.ReadVariant()));
    }
    if (!r.AtEnd()) {
        for (int i = 29; i <= 34; ++i) r.ReadVariant();
        s.ChannelFadeDuration = CStr(r.ReadVariant());
        r.ReadInteger();
        s.ChannelColumns = r.ReadInteger();
        s.ChannelRows = r.ReadInteger();
    }
    if (s.ChannelColumns > 5) return;
    // Columns a row does not give keep the previous row's value.
    std::array<QVariant, 6> buffer;
    for (int row = 1; row <= s.ChannelRows; ++row) {
        for (int c = 1; c <= s.ChannelColumns; ++c)
            buffer[static_cast<std::size_t>(c)] = r.ReadVariant();
        ApplyChannelRow(buffer, row, channels, s);
    }
    if (!r.AtEnd()) s.VideoBeforeFrame = r.ReadBoolean();
    if (!r.AtEnd()) {
        QString text = QuoteFromMarker(CStr(r.ReadVariant()));
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        s.PluginSettings = text;
    }
}

}  // namespace storyloom
