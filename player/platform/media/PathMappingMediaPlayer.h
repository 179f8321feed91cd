#pragma once
// Players for the game's own path strings: a game names its files Windows-style
// ("C:\Game\Areas\surf.wav", any case), and these players open the file that such a path
// names on the disk, while FileName reads back exactly the path the game wrote (the game
// compares it to find a sound already playing). Every other operation goes to the player
// underneath.
#include <functional>
#include <memory>

#include "platform/media/MediaPlayer.h"

namespace storyloom {

class PathMappingMediaFactory : public MediaPlayerFactory {
  public:
    // `inner` must outlive the players; `toNative` turns a game path into a disk path.
    PathMappingMediaFactory(MediaPlayerFactory& inner,
                            std::function<QString(const QString&)> toNative);
    std::unique_ptr<MediaPlayer> Create() override;

  private:
    MediaPlayerFactory& inner_;
    std::function<QString(const QString&)> toNative_;
};

class PathMappingMediaPlayer : public MediaPlayer {
  public:
    PathMappingMediaPlayer(std::unique_ptr<MediaPlayer> inner,
                           std::function<QString(const QString&)> toNative);
    ~PathMappingMediaPlayer() override;

    bool SetFileName(const QString& path) override;
    QString FileName() const override { return fileName_; }
    void SetPlayCount(int count) override { inner_->SetPlayCount(count); }
    int PlayCount() const override { return inner_->PlayCount(); }
    void SetVolume(int hundredthsOfDecibel) override { inner_->SetVolume(hundredthsOfDecibel); }
    int Volume() const override { return inner_->Volume(); }
    void SetRate(double rate) override { inner_->SetRate(rate); }
    double Rate() const override { return inner_->Rate(); }
    int PlayState() const override { return inner_->PlayState(); }
    void Play() override { inner_->Play(); }
    void Stop() override { inner_->Stop(); }
    void Pause() override { inner_->Pause(); }
    double CurrentPosition() const override { return inner_->CurrentPosition(); }
    void SetCurrentPosition(double seconds) override { inner_->SetCurrentPosition(seconds); }
    double Duration() const override { return inner_->Duration(); }
    QSize NaturalSize() const override { return inner_->NaturalSize(); }
    QImage CurrentFrame() const override { return inner_->CurrentFrame(); }

    MediaPlayer& Inner() const { return *inner_; }

  private:
    std::unique_ptr<MediaPlayer> inner_;
    std::function<QString(const QString&)> toNative_;
    QString fileName_;
};

}  // namespace storyloom
