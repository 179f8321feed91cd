// The one-time video on the game's window: where it goes, what replaces it, the box for a file
// that cannot play, and the waits of frames and actions that end with it or with a click.
#include "GameFixture.h"
#include "core/SoundChannelTable.h"
#include "game/video/OneTimeVideo.h"
#include "platform/forms/controls/VideoView.h"

namespace storyloom::test {
namespace {

class OneTimeVideoTest : public GameTest {
  protected:
    Game& StartVideo() {
        Game& g = Start();
        movie = std::make_unique<OneTimeVideo>(g);
        g.services.video = movie.get();
        return g;
    }
    void FramesFile(const QString& name) { t.project.WriteText("Frames/" + name, "RIFF"); }
    int ViewsOnPicture() const {
        int n = 0;
        for (const auto& c : game->PictureBox->Children())
            if (c->Kind() == forms::ControlKind::VideoView) ++n;
        return n;
    }
    std::unique_ptr<OneTimeVideo> movie;
};

TEST_F(OneTimeVideoTest, VideoGoesWhereAskedAtLevelSevenAndAStopRemovesIt) {
    FramesFile("intro.avi");
    Game& g = StartVideo();
    movie->StopOneTimeVideoPlayer();  // nothing to stop: nothing happens
    movie->PlayMovieWithStop("intro.avi", true, 5, 6, 30, 20);
    ASSERT_NE(movie->Player(), nullptr);
    EXPECT_EQ(movie->Player()->FileName(), t.program.paths.FramesPath + "intro.avi");
    EXPECT_EQ(movie->Player()->Volume(), -1200);
    EXPECT_FALSE(movie->Player()->AutoSize());
    EXPECT_FALSE(movie->Player()->ShowControls());
    EXPECT_EQ(movie->View()->PixelRect(), QRect(5, 6, 30, 20));
    EXPECT_EQ(movie->View()->Parent(), g.PictureBox);
    // In front of everything of the frame.
    EXPECT_EQ(g.PictureBox->Children().back().get(), movie->View());
    EXPECT_TRUE(movie->IsOneTimeVideoPlaying());
    EXPECT_TRUE(t.Boxes().empty());

    // Not stretched: the video's own size from the given corner.
    movie->PlayMovieWithStop("intro.avi", false, 0, 0, 0, 0);
    EXPECT_TRUE(movie->Player()->AutoSize());
    EXPECT_EQ(movie->View()->PixelRect().topLeft(), QPoint(0, 0));
    EXPECT_EQ(ViewsOnPicture(), 1);  // the first video was replaced

    movie->StopOneTimeVideoPlayer();
    EXPECT_EQ(movie->Player(), nullptr);
    EXPECT_EQ(ViewsOnPicture(), 0);
    EXPECT_FALSE(movie->IsOneTimeVideoPlaying());
}

TEST_F(OneTimeVideoTest, PauseBeforeTheVideoIgnoresHotspotsAndEndsAtAStopRequest) {
    FramesFile("intro.avi");
    Game& g = StartVideo();
    bool pausing = false;
    t.loop.Post([&] { pausing = t.program.MoviePlaying; }, 100);
    const qint64 before = t.loop.NowMs();
    movie->PlayMovieWithStop("intro.avi", true, 0, 0, 10, 10);
    EXPECT_TRUE(pausing);
    EXPECT_FALSE(t.program.MoviePlaying);
    EXPECT_GE(t.loop.NowMs() - before, 300);
    EXPECT_FALSE(g.state.StopMovie);

    t.loop.Post([&] { t.program.StopRequested = true; }, 50);
    const qint64 again = t.loop.NowMs();
    movie->PlayMovieWithStop("intro.avi", true, 0, 0, 10, 10);
    EXPECT_LT(t.loop.NowMs() - again, 300);
}

TEST_F(OneTimeVideoTest, FileThatCannotPlayShowsTheBoxNamingItAndTheGameGoesOn) {
    FramesFile("broken.avi");
    Game& g = StartVideo();
    media.unreadable << "broken.avi";
    movie->PlayMovieWithStop("broken.avi", true, 0, 0, 10, 10);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].text,
              ErrorText(" Error while attempting to play the following video file: "
                        "\"broken.avi\". The file cannot be played"));
    EXPECT_FALSE(movie->IsOneTimeVideoPlaying());

    // A missing file: the lookup's box, then the video's.
    movie->PlayMovieWithStop("gone.avi", false, 0, 0, 0, 0);
    ASSERT_EQ(t.Boxes().size(), 3u);
    EXPECT_EQ(t.Boxes()[2].text,
              ErrorText(" Error while attempting to play the following video file: "
                        "\"gone.avi\". File not found"));
    EXPECT_EQ(g.state.frame.CurrentFrameName, "");
}

TEST_F(OneTimeVideoTest, FrameWaitsForTheVideoToEndOrToBeClickedAway) {
    FramesFile("intro.avi");
    FrameFile f;
    f.VideoFile = "intro.avi";
    f.VideoNaturalSize = true;
    ColourFrame("Movie", 0, f);
    media.SetDuration("intro.avi", 2.0);
    Game& g = StartVideo();
    qint64 before = t.loop.NowMs();
    g.OpenFrame("Movie", false, 0, 0);
    // The 0.3 s pause, then the whole video.
    EXPECT_GE(t.loop.NowMs() - before, 2300);
    EXPECT_LT(t.loop.NowMs() - before, 2500);
    EXPECT_EQ(movie->Player(), nullptr);  // removed after the wait
    EXPECT_EQ(ViewsOnPicture(), 0);

    // A click beside the hotspots ends the wait.
    before = t.loop.NowMs();
    t.loop.Post([&] { g.MouseDownAt(10, 10, MouseButton::Left); }, 800);
    g.OpenFrame("Movie", false, 0, 0);
    EXPECT_LT(t.loop.NowMs() - before, 1000);
    EXPECT_EQ(movie->Player(), nullptr);
    EXPECT_FALSE(g.state.StopMovie);
}

}  // namespace
}  // namespace storyloom::test
