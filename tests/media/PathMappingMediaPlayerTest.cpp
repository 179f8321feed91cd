// Players over the game's path strings: the file the path names is opened, the path itself
// reads back, and the inner player's events reach the game.
#include <gtest/gtest.h>

#include "platform/loop/EventLoop.h"
#include "platform/media/NullMediaPlayer.h"
#include "platform/media/PathMappingMediaPlayer.h"

using namespace storyloom;

TEST(PathMappingPlayer, OpensTheMappedFileAndReadsBackTheGamePath) {
    VirtualEventLoop loop;
    NullMediaLibrary library(loop);
    library.SetDuration(QStringLiteral("surf.wav"), 2.0);
    PathMappingMediaFactory factory(library, [](const QString& path) {
        return QString(path)
            .replace(u'\\', u'/')
            .replace(QStringLiteral("C:"), QStringLiteral("/games"));
    });
    auto player = factory.Create();
    int ended = 0;
    player->onEnded = [&] { ++ended; };
    ASSERT_TRUE(player->SetFileName(QStringLiteral("C:\\Game\\Areas\\surf.wav")));
    EXPECT_EQ(player->FileName(), "C:\\Game\\Areas\\surf.wav");
    EXPECT_EQ(library.Players().front()->FileName(), "/games/Game/Areas/surf.wav");
    player->SetVolume(-800);
    player->SetPlayCount(1);
    player->Play();
    EXPECT_EQ(player->PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(player->Volume(), -800);
    EXPECT_DOUBLE_EQ(player->Duration(), 2.0);
    loop.Advance(2100);
    EXPECT_EQ(ended, 1);
    EXPECT_NE(player->PlayState(), MediaPlayer::Playing);
    // An empty name unloads without asking for a path.
    EXPECT_TRUE(player->SetFileName(QString()));
    EXPECT_EQ(library.Players().front()->FileName(), "");
}
