#pragma once
// The frames most recently opened, oldest first; the last entry is the frame on screen.
#include <QString>
#include <QStringList>

namespace storyloom {

class FramesHistory {
  public:
    static constexpr int kMaxEntries = 20;

    // Records an opened frame. Opening the frame on screen again changes nothing (names compared
    // exactly); beyond 20 entries the oldest go.
    void FramesHistoryAdd(const QString& frameName);
    void Clear() { entries_.clear(); }
    // Going back to the previous frame forgets the one on screen.
    void RemoveLast() {
        if (!entries_.isEmpty()) entries_.removeLast();
    }

    const QStringList& Entries() const { return entries_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    bool operator==(const FramesHistory&) const = default;

  private:
    QStringList entries_;
};

}  // namespace storyloom
