// The launcher: the recent games it remembers and the folders it accepts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>

#include "TestApp.h"
#include "app/Launcher.h"

namespace storyloom::test {
namespace {

class LauncherTest : public ::testing::Test {
  protected:
    LauncherTest() {
        EnsureApp();
        // The per-user settings of this test only.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    }
    ~LauncherTest() override {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QDir::homePath() + QStringLiteral("/.config"));
    }
    // A folder that holds a game, as far as the launcher can tell.
    QString Game(const QString& name) {
        const QString folder = games.filePath(name);
        QDir().mkpath(folder + QStringLiteral("/Config"));
        QFile general(folder + QStringLiteral("/Config/General"));
        EXPECT_TRUE(general.open(QIODevice::WriteOnly));
        return folder;
    }
    QTemporaryDir settings, games;
};

TEST_F(LauncherTest, RecentGamesAreKeptMostRecentFirstOnceEachAndStillGames) {
    const QString a = Game(QStringLiteral("a")), b = Game(QStringLiteral("b"));
    RememberRecentGame(a, QStringLiteral("Lighthouse"));
    RememberRecentGame(b + QStringLiteral("/Config/.."), QStringLiteral(" Harbour"));
    RememberRecentGame(a, QStringLiteral("Lighthouse 2"));
    EXPECT_EQ(LoadRecentGames(), (QList<RecentGame>{{a, QStringLiteral("Lighthouse 2")},
                                                    {b, QStringLiteral("Harbour")}}));

    // A game that was moved away is not offered.
    QDir(b).removeRecursively();
    EXPECT_EQ(LoadRecentGames(), (QList<RecentGame>{{a, QStringLiteral("Lighthouse 2")}}));

    // Only the most recent are kept.
    for (int i = 0; i < kRecentGamesKept + 3; ++i)
        RememberRecentGame(Game(QStringLiteral("g%1").arg(i)), QStringLiteral("G%1").arg(i));
    const QList<RecentGame> kept = LoadRecentGames();
    ASSERT_EQ(kept.size(), kRecentGamesKept);
    EXPECT_EQ(kept.front().title, QStringLiteral("G%1").arg(kRecentGamesKept + 2));
    EXPECT_EQ(kept.back().title, QStringLiteral("G3"));
}

TEST_F(LauncherTest, AFolderThatIsNotAGameIsRefusedWithWhatIsMissing) {
    const QString game = Game(QStringLiteral("lighthouse"));
    RememberRecentGame(game, QStringLiteral("Lighthouse"));
    LauncherWindow launcher;
    ASSERT_EQ(launcher.List().count(), 1);
    EXPECT_TRUE(launcher.List().item(0)->text().startsWith(QStringLiteral("Lighthouse\n")));

    QStringList refusals;
    QString offered;
    launcher.chooseFolder = [&] { return offered; };
    launcher.showRefusal = [&](const QString& text) { refusals << text; };

    // Cancelling the chooser changes nothing.
    launcher.AddFolder();
    EXPECT_TRUE(refusals.isEmpty());
    EXPECT_EQ(launcher.result(), 0);

    offered = games.filePath(QStringLiteral("empty"));
    QDir().mkpath(offered);
    launcher.AddFolder();
    ASSERT_EQ(refusals.size(), 1);
    EXPECT_EQ(refusals[0],
              offered + QStringLiteral(" is not a game folder: Config/General is missing"));
    EXPECT_TRUE(launcher.Chosen().isEmpty());

    offered = Game(QStringLiteral("harbour"));
    launcher.AddFolder();
    EXPECT_EQ(refusals.size(), 1);
    EXPECT_EQ(launcher.Chosen(), offered);
    EXPECT_EQ(launcher.result(), QDialog::Accepted);
}

TEST_F(LauncherTest, PlayTakesTheSelectedRecentGame) {
    const QString a = Game(QStringLiteral("a")), b = Game(QStringLiteral("b"));
    RememberRecentGame(a, QStringLiteral("A"));
    RememberRecentGame(b, QStringLiteral("B"));
    LauncherWindow launcher;
    launcher.chooseFolder = [] { return QString(); };
    launcher.List().setCurrentRow(1);
    launcher.PlaySelected();
    EXPECT_EQ(launcher.Chosen(), a);
}

}  // namespace
}  // namespace storyloom::test
