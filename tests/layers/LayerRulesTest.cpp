#include <gtest/gtest.h>

#include "LayerRules.h"

namespace {

using layers::CheckText;

TEST(LayerRulesTest, AnIncludeOfAHigherLayerIsNamedWithItsLine) {
    const auto v = CheckText("player/frames/FrameScene.cpp",
                             "#include \"frames/FrameScene.h\"\n"
                             "#include \"core/Program.h\"\n"
                             "  #  include \"game/Game.h\"\n");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].line, 3);
    EXPECT_EQ(v[0].included, "game/Game.h");
    EXPECT_EQ(v[0].rule, "the frames layer includes the game layer above it");
}

TEST(LayerRulesTest, OwnAndLowerLayersAndLibrariesArePermitted) {
    EXPECT_TRUE(CheckText("player/app/main.cpp",
                          "#include <QApplication>\n#include \"app/Commands.h\"\n"
                          "#include \"platform/forms/Control.h\"\n#include \"vbscript/Engine.h\"\n")
                    .empty());
    // Any climb counts, from the bottom to the top.
    EXPECT_EQ(
        CheckText("player/platform/files/FileSystem.cpp", "#include \"app/Commands.h\"\n").size(),
        1u);
    EXPECT_EQ(CheckText("player/scripting/ScriptHost.h", "#include \"player/startup/Welcome.h\"\n")
                  .size(),
              1u);
}

TEST(LayerRulesTest, TheWidgetFreePlatformKeepsAwayFromTheForms) {
    EXPECT_EQ(CheckText("player/platform/media/NullMediaPlayer.cpp",
                        "#include \"platform/forms/Picture.h\"\n")
                  .size(),
              1u);
    EXPECT_TRUE(CheckText("player/platform/dialogs/QtDialogs.cpp",
                          "#include \"platform/forms/Picture.h\"\n")
                    .empty());
    EXPECT_TRUE(
        CheckText("player/platform/forms/Renderer.cpp", "#include \"platform/forms/Picture.h\"\n")
            .empty());
}

TEST(LayerRulesTest, TheEngineAndTheControlLibrariesStandAlone) {
    const auto engine =
        CheckText("scripting/vbscript/src/Interp.cpp",
                  "#include <QString>\n#include \"core/Program.h\"\n#include <vector>\n");
    ASSERT_EQ(engine.size(), 2u);
    EXPECT_EQ(engine[0].rule, "the script engine includes Qt");
    EXPECT_EQ(engine[1].rule, "the script engine includes the player");
    EXPECT_EQ(CheckText("menulet/Menulet.cpp", "#include \"platform/forms/Control.h\"\n").size(),
              1u);
    EXPECT_TRUE(CheckText("menulet/Menulet.cpp", "#include <QPainter>\n").empty());
}

TEST(LayerRulesTest, TheProjectsOwnTreeKeepsTheOrder) {
    for (const layers::Violation& v : layers::CheckTree(STORYLOOM_SOURCE_DIR))
        ADD_FAILURE() << v.file << ":" << v.line << ": " << v.included << ": " << v.rule;
}

}  // namespace
