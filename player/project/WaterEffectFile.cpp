#include "project/WaterEffectFile.h"

#include "platform/seqfile/SeqFile.h"

namespace storyloom {

WaterEffectSettings ReadWaterEffectSettings(SeqReader& reader) {
    WaterEffectSettings s;
    for (int i = 0; i < 6; ++i) reader.ReadVariant();
    s.Left = reader.ReadInteger();
    s.Top = reader.ReadInteger();
    s.Width = reader.ReadInteger();
    s.Height = reader.ReadInteger();
    s.WaveParameter = reader.ReadInteger();
    s.Speed = reader.ReadInteger();
    if (!reader.AtEnd()) s.Reverse = reader.ReadBoolean();
    return s;
}

}  // namespace storyloom
