#include "game/video/OneTimeVideo.h"

#include "core/Program.h"
#include "core/SoundChannelTable.h"
#include "game/Game.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/controls/VideoView.h"
#include "platform/loop/EventLoop.h"
#include "platform/media/MediaPlayer.h"
#include "project/MediaFiles.h"

namespace storyloom {

namespace {

// The pause before a video starts, during which clicks on hotspots are ignored.
constexpr int kStartPauseMs = 300;

}  // namespace

OneTimeVideo::OneTimeVideo(Game& game) : game_(game) {}

OneTimeVideo::~OneTimeVideo() {
    Remove();
}

void OneTimeVideo::Remove() {
    if (view_) {
        view_->SetPlayer(nullptr);
        if (forms::Control* parent = view_->Parent()) parent->Remove(view_);
        view_ = nullptr;
    }
    if (player_) {
        player_->Stop();
        player_.reset();
    }
}

void OneTimeVideo::PlayMovieWithStop(const QString& fileName, bool stretched, int left, int top,
                                     int width, int height) {
    Program& p = game_.program;
    EventLoop& loop = p.platform.loop;
    // Every step is tried; the first failure is reported once at the end.
    QString failure;
    auto fail = [&failure](const QString& why) {
        if (failure.isEmpty()) failure = why;
    };

    game_.window.SetVisible(true);
    Remove();
    player_ = game_.MediaPlayers().Create();
    view_ = game_.PictureBox->Add<forms::VideoView>(QStringLiteral("OneTimeVideoPlayer"));
    view_->SetPlayer(player_.get());

    if (stretched) {
        player_->SetAutoSize(false);
        view_->SetPixelRect(QRect(left, top, width < 0 ? 0 : width, height < 0 ? 0 : height));
    } else {
        view_->SetPixelRect(QRect(QPoint(left, top), view_->PixelRect().size()));
        player_->SetAutoSize(true);
    }
    player_->SetShowControls(false);

    const QString path = ResolveMediaPath(p, p.paths.FramesPath + fileName);
    const bool exists = !p.platform.files.FileExists(path).isEmpty();
    const bool loaded = player_->SetFileName(path);
    if (!exists)
        fail(QStringLiteral("File not found"));
    else if (!loaded)
        fail(QStringLiteral("The file cannot be played"));
    if (player_->AutoSize()) {
        const QSize natural = player_->NaturalSize();
        if (!natural.isEmpty()) view_->SetPixelRect(QRect(QPoint(left, top), natural));
    }
    player_->SetVolume(VolumeForLevel(7));
    // The view comes in front of the frame's controls.
    view_->ZOrder(0);
    game_.PictureBox->Refresh();
    // Loading the same file again only rewinds it: the file stays loaded.
    player_->SetCurrentPosition(0);

    p.MoviePlaying = true;
    const qint64 start = loop.NowMs();
    while (loop.NowMs() - start < kStartPauseMs && !p.StopRequested) {
        loop.Wait(10);
        loop.ProcessEvents();
    }
    p.MoviePlaying = false;

    // A handler that ran during the pause may have removed the video.
    if (player_) {
        if (failure.isEmpty()) player_->Play();
    }
    loop.ProcessEvents();
    game_.state.StopMovie = false;

    if (!failure.isEmpty())
        p.ShowErrorBox(
            QStringLiteral(" Error while attempting to play the following video file: ") +
                QChar('"') + fileName + QChar('"') + QStringLiteral(". "),
            failure);
}

void OneTimeVideo::StopOneTimeVideoPlayer() {
    if (!player_) return;
    game_.PictureBox->Refresh();
    Remove();
}

bool OneTimeVideo::IsOneTimeVideoPlaying() const {
    return player_ && player_->PlayState() == MediaPlayer::Playing;
}

}  // namespace storyloom
