#pragma once
// The frame's settings header (<frame>.fme, fields 1 to 3) and hotspot count (<frame>.lks).
#include <QString>

namespace storyloom {

class Program;
struct FrameGlobals;

// True when FramesPath & frameName & ".fme" exists: that is what makes a frame exist.
bool FrameExists(const Program& program, const QString& frameName);

// Sets the frame's CurrentFrameName, reads BackgroundType, BackgroundValue and BackgroundTiled,
// then HotspotCount. A failure shows the error box naming the frame; what was read before it stays
// and HotspotCount is left as it was.
void ReadFrameHeader(Program& program, FrameGlobals& frame, const QString& frameName);

// The number of hotspots of the frame: 0 when it has no ".lks" file; a damaged file is reported
// in a box and counts 0.
qint16 ReadHotspotCount(Program& program, const QString& frameName);

}  // namespace storyloom
