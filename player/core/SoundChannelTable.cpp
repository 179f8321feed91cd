#include "core/SoundChannelTable.h"

#include <cmath>

namespace storyloom {

int VolumeForLevel(double level) {
    double v = (level - 10.0) * 400.0;
    // Damaged data must not overflow the conversion below.
    if (!(v > -1e6)) v = -1e6;
    if (v > 1e6) v = 1e6;
    // nearbyint rounds half to even in the default rounding mode.
    return static_cast<int>(std::nearbyint(v));
}

}  // namespace storyloom
