#pragma once
// A frame's rippling-water settings (<frame>.rwe): the region of the background picture that
// ripples and the wave settings. The mask picture (<frame>.rwm) is an ordinary picture file.
#include <QString>

namespace storyloom {

class SeqReader;

struct WaterEffectSettings {
    qint16 Left = 0;  // the region in pixels of the frame picture
    qint16 Top = 0;
    qint16 Width = 0;
    qint16 Height = 0;
    qint16 WaveParameter = 0;  // handed to the wave step unchanged
    qint16 Speed = 0;
    bool Reverse = false;  // absent in older files: False
};

// Fields 1 to 6 are skipped, 7 to 12 read as 16-bit integers, 13 (a Boolean) only when the file
// has not ended. A damaged or truncated file throws SeqError.
WaterEffectSettings ReadWaterEffectSettings(SeqReader& reader);

}  // namespace storyloom
