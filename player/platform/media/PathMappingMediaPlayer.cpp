#include "platform/media/PathMappingMediaPlayer.h"

namespace storyloom {

PathMappingMediaFactory::PathMappingMediaFactory(MediaPlayerFactory& inner,
                                                 std::function<QString(const QString&)> toNative)
    : inner_(inner), toNative_(std::move(toNative)) {}

std::unique_ptr<MediaPlayer> PathMappingMediaFactory::Create() {
    return std::make_unique<PathMappingMediaPlayer>(inner_.Create(), toNative_);
}

PathMappingMediaPlayer::PathMappingMediaPlayer(std::unique_ptr<MediaPlayer> inner,
                                               std::function<QString(const QString&)> toNative)
    : inner_(std::move(inner)), toNative_(std::move(toNative)) {
    // The callbacks are ours: the game sets them on this player.
    inner_->onEnded = [this] {
        if (!onEnded) return;
        const std::function<void()> ended = onEnded;  // the handler may destroy us
        ended();
    };
    inner_->onFrame = [this] {
        if (!onFrame) return;
        const std::function<void()> frame = onFrame;
        frame();
    };
}

PathMappingMediaPlayer::~PathMappingMediaPlayer() {
    inner_->onEnded = nullptr;
    inner_->onFrame = nullptr;
}

bool PathMappingMediaPlayer::SetFileName(const QString& path) {
    fileName_ = path;
    return inner_->SetFileName(path.isEmpty() || !toNative_ ? path : toNative_(path));
}

}  // namespace storyloom
