// The game's state as a plain value, and the frame history it keeps.
#include <gtest/gtest.h>

#include "GameFixture.h"
#include "game/GameState.h"

namespace storyloom::test {
namespace {

GameState SomeState() {
    GameState s;
    s.frame.CurrentFrameName = QStringLiteral("Hall");
    s.frame.HotspotCount = 3;
    s.vars.Variables.Add(QStringLiteral("DoorOpen"), 1);
    s.vars.VariablesVariant.Add(QStringLiteral("Name"), QVariant(QStringLiteral("Ann")));
    s.vars.Disappear.Add(QStringLiteral("Hall"), 2);
    s.History.FramesHistoryAdd(QStringLiteral("Yard"));
    s.History.FramesHistoryAdd(QStringLiteral("Hall"));
    s.SoundChannels[6].FileName = QStringLiteral("music.mid");
    s.LastClickX = 12;
    return s;
}

TEST(GameStateTest, CopiesAreEqualAndIndependent) {
    const GameState original = SomeState();
    GameState copy = original;
    EXPECT_EQ(copy, original);
    // The variables of a copy are its own: a change through the copy leaves the original.
    copy.vars.Variables.Item(1)->Value = 5;
    copy.vars.VariablesVariant.Item(1)->Value = QStringLiteral("Bo");
    EXPECT_EQ(original.vars.GetVariableValue(QStringLiteral("DoorOpen")), 1);
    EXPECT_EQ(original.vars.VariablesVariant.Item(1)->Value.toString(), "Ann");
    EXPECT_NE(copy, original);
    copy = original;
    EXPECT_EQ(copy, original);
}

TEST(GameStateTest, EveryPartTakesPartInTheComparison) {
    const GameState base = SomeState();
    auto differs = [&base](const std::function<void(GameState&)>& change) {
        GameState s = base;
        change(s);
        return !(s == base);
    };
    EXPECT_TRUE(differs([](GameState& s) { s.frame.BackgroundValue = "x"; }));
    EXPECT_TRUE(differs([](GameState& s) { s.vars.Disappear.Add("Hall", 3); }));
    EXPECT_TRUE(differs([](GameState& s) { s.vars.Variables.Add("Lamp", 0); }));
    EXPECT_TRUE(differs([](GameState& s) { s.History.RemoveLast(); }));
    EXPECT_TRUE(differs([](GameState& s) { s.SoundChannels[2].Volume = 4; }));
    EXPECT_TRUE(differs([](GameState& s) { s.LastClickY = 9; }));
    EXPECT_TRUE(differs([](GameState& s) { s.StopMovie = true; }));
    // The same names with other values, or in another order, are another state.
    EXPECT_TRUE(differs([](GameState& s) { s.vars.Variables.Item(1)->Value = 0; }));
    EXPECT_TRUE(differs([](GameState& s) {
        s.vars.Variables.Clear();
        s.vars.Variables.Add("DoorOpen", 1, "key");
    }));
}

class GameStateOfAGame : public GameTest {};

TEST_F(GameStateOfAGame, ANewGameStartsFromTheProjectsVariablesAndTheInitialFrame) {
    ColourFrame("Start");
    Game& g = Start();
    g.state.vars.Variables.Item(1)->Value = 1;
    g.state.vars.Disappear.Add("Start", 1);
    g.StartNewGame();
    const GameState played = g.state;
    EXPECT_EQ(played.frame.CurrentFrameName, "Start");
    EXPECT_EQ(played.History.Entries(), QStringList({"Start"}));

    // A reset and a new game give the same state again, whatever was played before.
    g.ResetAll();
    g.StartNewGame();
    GameState expected = played;
    expected.vars.Variables.Item(1)->Value = 0;
    expected.vars.Disappear.Clear();
    EXPECT_EQ(g.state.vars, expected.vars);
    EXPECT_EQ(g.state.frame, expected.frame);
    EXPECT_EQ(g.state.History, expected.History);
}

TEST(FramesHistoryTest, RepeatsOfTheCurrentFrameAreNotRecorded) {
    FramesHistory h;
    for (const char* name : {"A", "B", "B", "C", "c"}) h.FramesHistoryAdd(name);
    EXPECT_EQ(h.Entries(), QStringList({"A", "B", "C", "c"}));
    h.FramesHistoryAdd("A");
    EXPECT_EQ(h.Entries().last(), "A");
    EXPECT_EQ(h.Count(), 5);
}

TEST(FramesHistoryTest, KeepsTheLastTwenty) {
    FramesHistory h;
    for (int i = 1; i <= 25; ++i) h.FramesHistoryAdd(QStringLiteral("F%1").arg(i));
    ASSERT_EQ(h.Count(), 20);
    EXPECT_EQ(h.Entries().first(), "F6");
    EXPECT_EQ(h.Entries().last(), "F25");
    h.Clear();
    EXPECT_EQ(h.Count(), 0);
}

}  // namespace
}  // namespace storyloom::test
