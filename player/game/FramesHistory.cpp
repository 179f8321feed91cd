#include "game/FramesHistory.h"

namespace storyloom {

void FramesHistory::FramesHistoryAdd(const QString& frameName) {
    if (!entries_.isEmpty() && entries_.constLast() == frameName) return;
    entries_.append(frameName);
    while (entries_.size() > kMaxEntries) entries_.removeFirst();
}

}  // namespace storyloom
