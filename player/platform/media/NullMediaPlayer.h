#pragma once
// A media player that plays nothing but keeps time: a loaded file "plays" for its scripted
// duration on the event loop's clock (virtual in tests), so code that waits for a sound or a
// video to end behaves as with real media. Every operation is recorded for tests and for the
// walkthrough's state dump.
#include <QStringList>
#include <map>

#include "platform/loop/EventLoop.h"
#include "platform/media/MediaPlayer.h"

namespace storyloom {

class NullMediaPlayer;

// Shared by every null player of one game: the durations and the log.
class NullMediaLibrary : public MediaPlayerFactory {
  public:
    explicit NullMediaLibrary(EventLoop& loop) : loop_(loop) {}
    std::unique_ptr<MediaPlayer> Create() override;

    // Seconds that a file plays (the file name part, compared without regard to case);
    // unlisted files play for defaultDuration.
    void SetDuration(const QString& fileName, double seconds);
    double DurationOf(const QString& path) const;
    double defaultDuration = 1.0;
    // Files that fail to open (the file name part, without regard to case).
    QStringList unreadable;

    // "player#: operation argument" for every operation, in order.
    QStringList log;
    EventLoop& Loop() const { return loop_; }
    // The players that exist now, for state dumps.
    std::vector<const NullMediaPlayer*> Players() const { return players_; }

  private:
    friend class NullMediaPlayer;
    EventLoop& loop_;
    std::map<QString, double> durations_;
    std::vector<const NullMediaPlayer*> players_;
    int nextId_ = 1;
};

class NullMediaPlayer : public MediaPlayer {
  public:
    NullMediaPlayer(NullMediaLibrary& library, int id);
    ~NullMediaPlayer() override;

    bool SetFileName(const QString& path) override;
    QString FileName() const override { return fileName_; }
    void SetPlayCount(int count) override;
    int PlayCount() const override { return playCount_; }
    void SetVolume(int hundredthsOfDecibel) override;
    int Volume() const override { return volume_; }
    void SetRate(double rate) override;
    double Rate() const override { return rate_; }
    int PlayState() const override;
    void Play() override;
    void Stop() override;
    void Pause() override;
    double CurrentPosition() const override;
    void SetCurrentPosition(double seconds) override;
    double Duration() const override { return duration_; }
    QSize NaturalSize() const override { return {}; }
    QImage CurrentFrame() const override { return {}; }

    int Id() const { return id_; }

  private:
    void Log(const QString& what);
    // Seconds played since the file was loaded or rewound, all plays together.
    double Elapsed() const;
    void ScheduleEnd();
    void Finish();

    NullMediaLibrary& library_;
    int id_;
    QString fileName_;
    bool loaded_ = false;
    int playCount_ = 1;
    int volume_ = 0;
    double rate_ = 1.0;
    double duration_ = 0;
    State state_ = Stopped;
    double elapsedBefore_ = 0;  // seconds played before the current run
    qint64 runStartMs_ = 0;     // loop time when the current run started
    int generation_ = 0;        // invalidates scheduled ends
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace storyloom
