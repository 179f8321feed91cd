// Plug-ins: the list file, the .cp files (plain and scrambled), their code in every program, at
// game start and at every frame, their variables, and the calls built from plug-in actions.
#include "ScriptFixture.h"
#include "platform/text/Codepage1252.h"

namespace storyloom::test {
namespace {

const QChar kAction(164);
const QChar kArgument(165);
const QChar kQuoteMark(254);

struct PluginFile {
    int FormatVersion = 2;
    bool Compiled = false;
    bool Protected = false;
    QString ActionIdentifier = "ID7";
    QString GameStartCode;
    QString FrameOpenCode;
    QString GlobalCode;
    QStringList IntegerVariables;
    QStringList VariantVariables;
    QString FrameProcedureName = "FogFrame";
    QString ActionProcedureName = "DoFog";
    int cutAfterField = 0;  // > 0: the file ends there (a damaged file)
};

// Code as the file stores it: scrambled in modes 1 and 2, double quotes as character 254.
QString Stored(const QString& code, int mode) {
    QString text = code;
    if (mode != 0) {
        QByteArray bytes = ScrambleLine2(ToCp1252(code), mode == 1 ? 100 : 200, 'A');
        text = FromCp1252(bytes);
    }
    text.replace(u'"', kQuoteMark);
    return text;
}

void WritePlugin(ProjectWriter& project, const QString& name, const PluginFile& f) {
    const int mode = !f.Compiled && f.Protected ? 1 : f.Compiled && !f.Protected ? 2 : 0;
    project.WriteRecords("CPData/" + name + ".cp", [&](SeqWriter& w) {
        int field = 0;
        auto done = [&] { return f.cutAfterField > 0 && field >= f.cutAfterField; };
        auto text = [&](const QString& s) {
            if (done()) return;
            w.WriteString(s);
            ++field;
        };
        if (done()) return;
        w.WriteInteger(f.FormatVersion);
        ++field;
        for (int i = 2; i <= 8; ++i) text("x");
        if (!done()) w.WriteBoolean(f.Compiled), ++field;
        if (!done()) w.WriteBoolean(f.Protected), ++field;
        text("name");
        text("author");
        text("description");
        text(f.ActionIdentifier);
        text(Stored(f.GameStartCode, mode));
        text(Stored(f.FrameOpenCode, mode));
        text(Stored(f.GlobalCode, mode));
        for (const QStringList* names : {&f.IntegerVariables, &f.VariantVariables}) {
            if (done()) return;
            w.WriteInteger(names->size());
            for (const QString& n : *names) w.WriteString(n);
            ++field;
        }
        if (done()) return;
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        field += 2;
        text("t22");
        text("t23");
        text(f.FrameProcedureName);
        text("t25");
        text(f.ActionProcedureName);
        if (done()) return;
        w.WriteInteger(1);
        w.WriteString("setting");
        w.WriteInteger(5);
        if (f.FormatVersion > 1) {
            w.WriteInteger(6);
            w.WriteInteger(7);
        }
        w.WriteInteger(2);
        w.WriteInteger(1);
        w.WriteInteger(2);
        w.EndRecord();
    });
}

void WritePluginList(ProjectWriter& project, const QStringList& names) {
    project.WriteRecords("Config/Plugins", [&](SeqWriter& w) {
        for (int i = 0; i < 10; ++i) w.WriteInteger(i);
        w.EndRecord();
        for (const QString& n : names) {
            w.WriteString(n);
            w.EndRecord();
        }
    });
}

using PluginsTest = ScriptTest;

TEST_F(PluginsTest, ListedOnceAndTheirCodeReachesEveryRun) {
    PluginFile fog;
    fog.GlobalCode = "Sub AddFog(n)\r\n  fog_level = fog_level + n\r\nEnd Sub";
    fog.GameStartCode = "AddFog 10";
    fog.FrameOpenCode = "AddFog 1 : FogName = \"thick\"";
    fog.IntegerVariables = {"fog_level"};
    fog.VariantVariables = {"FogName"};
    WritePlugin(t.project, "Fog", fog);
    WritePluginList(t.project, {"Fog", "FOG", "Gone", ""});
    Frame("Start");
    Game& g = Start();
    ASSERT_EQ(host.Plugins().PluginCount(), 1);
    EXPECT_TRUE(g.state.vars.DoesIntergerVariableExist("fog_level"));
    EXPECT_TRUE(g.state.vars.DoesVariantVariableExist("FogName"));
    host.ExecuteOnLoadVBScript();
    EXPECT_EQ(Var("fog_level"), 10);
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_EQ(Var("fog_level"), 11);
    EXPECT_TRUE(Run("AddFog 100 : If FogName = \"thick\" Then Score = 1"));
    EXPECT_EQ(Var("fog_level"), 111);
    EXPECT_EQ(Var("Score"), 1);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(PluginsTest, ScrambledCodeInBothModes) {
    const QString code = "Sub Mark(n)\r\n  Score = n\r\nEnd Sub";
    PluginFile one;
    one.Protected = true;
    one.GlobalCode = code;
    PluginFile two;
    two.Compiled = true;
    two.GlobalCode = "Sub Mark2()\r\n  door_open = 2\r\nEnd Sub";
    PluginFile both;  // compiled and protected: stored in plain
    both.Compiled = both.Protected = true;
    both.GlobalCode = "Sub Mark3()\r\n  PlayerName = \"plain\"\r\nEnd Sub";
    WritePlugin(t.project, "One", one);
    WritePlugin(t.project, "Two", two);
    WritePlugin(t.project, "Both", both);
    WritePluginList(t.project, {"One", "Two", "Both"});
    Start();
    ASSERT_EQ(host.Plugins().PluginCount(), 3);
    EXPECT_EQ(host.Plugins().Plugins()[0].GlobalCode, code);
    EXPECT_TRUE(Run("Mark 5 : Mark2 : Mark3"));
    EXPECT_EQ(Var("Score"), 5);
    EXPECT_EQ(Var("door_open"), 2);
    EXPECT_EQ(game->state.vars.VariablesVariant.Item(1)->Value.toString(), "plain");
}

// A failure is placed in the piece of the program it comes from: the procedures, each
// plug-in's code, the script.
TEST_F(PluginsTest, ErrorsNameTheLineOfTheirOwnPiece) {
    t.project.WriteProcedures({"Sub P()", "End Sub"});
    PluginFile first;
    first.GlobalCode = "Sub A()\r\n  Score = 1\r\nEnd Sub\r\n";
    PluginFile second;
    second.GlobalCode = "Sub B()\r\n  Score = 2\r\n  Score = 1 / 0\r\nEnd Sub";
    WritePlugin(t.project, "First", first);
    WritePlugin(t.project, "Second", second);
    WritePluginList(t.project, {"First", "Second"});
    Start();
    ASSERT_EQ(host.Plugins().PluginCount(), 2);
    EXPECT_FALSE(Run("A : B"));
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text, RunErrorBox("Division by zero (line 3 of the plug-in Second)"));
    EXPECT_FALSE(Run("A\r\nScore = 1 / 0"));
    ASSERT_EQ(t.Boxes().size(), 2u);
    EXPECT_EQ(t.Boxes()[1].text, RunErrorBox("Division by zero (line 2 of the script)"));
}

TEST_F(PluginsTest, ActionDescriptionsBecomeProcedureCalls) {
    PluginFile a;
    PluginFile b;
    b.ActionIdentifier = "ID9";
    b.ActionProcedureName = "Rain";
    PluginFile later;  // the same identifier as a: the later one wins
    later.ActionProcedureName = "DoFog2";
    later.FrameProcedureName = "FogFrame2";
    WritePlugin(t.project, "A", a);
    WritePlugin(t.project, "B", b);
    WritePlugin(t.project, "Later", later);
    WritePluginList(t.project, {"A", "B"});
    Start();
    const PluginTable& table = host.Plugins();
    const QString fog = QString(kAction) + "ID7" + kArgument + "dense" + kArgument + "3";
    EXPECT_EQ(table.BuildPluginCode(fog, true), "DoFog \"dense\",\"3\"");
    EXPECT_EQ(table.BuildPluginCode("ignored" + fog, false), "FogFrame \"dense\",\"3\"");
    EXPECT_EQ(table.BuildPluginCode("ID7" + QString(kArgument) + "x", true), "");
    const QString unknown = QString(kAction) + "id7" + kArgument + "x";
    const QString rain = QString(kAction) + "ID9";
    // An unknown identifier gives an empty statement, which adds no line break.
    EXPECT_EQ(table.BuildPluginCode(unknown + rain + fog, true), "Rain \r\nDoFog \"dense\",\"3\"");

    WritePluginList(t.project, {"A", "B", "Later"});
    host.Plugins().LoadPlugins();
    EXPECT_EQ(table.BuildPluginCode(fog, true), "DoFog2 \"dense\",\"3\"");
}

TEST_F(PluginsTest, HotspotActionsAndFrameSettingsCallThePlugin) {
    PluginFile fog;
    fog.GlobalCode =
        "Sub DoFog(kind, n)\r\n  Score = Score + n\r\nEnd Sub\r\n"
        "Sub FogFrame(kind)\r\n  door_open = door_open + 1\r\nEnd Sub";
    WritePlugin(t.project, "Fog", fog);
    WritePluginList(t.project, {"Fog"});
    FrameFile f;
    f.BackgroundType = 0;
    f.BackgroundValue = "0";
    f.PluginSettings = QString(kAction) + "ID7" + kArgument + "thin";
    t.project.WriteFrame("Start", f);
    AuthoredHotspot h;
    WriteHotspots(t.project, "Start", {h});
    AuthoredAction action;
    action.PluginActions = QString(kAction) + "ID7" + kArgument + "dense" + kArgument + "4";
    WriteActions(t.project, "Start", {action});
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    EXPECT_EQ(Var("door_open"), 1);
    g.MakeActionAndConsequences(1, 0, false);
    EXPECT_EQ(Var("Score"), 4);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("|").toStdString();
}

TEST_F(PluginsTest, ActionTextBeforeTheFirstSeparatorCallsNothing) {
    PluginFile fog;
    fog.GlobalCode = "Sub DoFog(kind, n)\r\n  Score = Score + n\r\nEnd Sub";
    WritePlugin(t.project, "Fog", fog);
    WritePluginList(t.project, {"Fog"});
    FrameFile f;
    f.BackgroundType = 0;
    f.BackgroundValue = "0";
    t.project.WriteFrame("Start", f);
    AuthoredHotspot h;
    WriteHotspots(t.project, "Start", {h});
    AuthoredAction noSeparator;
    noSeparator.PluginActions = QString("ID7") + kArgument + "dense" + kArgument + "4";
    AuthoredAction leadingText;
    leadingText.PluginActions = QString("ID7") + kArgument + "x" + kArgument + "100" + kAction +
                                "ID7" + kArgument + "dense" + kArgument + "2";
    WriteActions(t.project, "Start", {noSeparator, leadingText});
    Game& g = Start();
    g.OpenFrame("Start", false, 0, 0);
    g.MakeActionAndConsequences(1, 0, false);
    EXPECT_EQ(Var("Score"), 0);
    g.MakeActionAndConsequences(2, 0, false);
    EXPECT_EQ(Var("Score"), 2);
    EXPECT_TRUE(t.Boxes().empty()) << BoxTexts().join("|").toStdString();
}

TEST_F(PluginsTest, DamagedPluginStopsTheLoadingWithABox) {
    PluginFile good;
    good.GlobalCode = "Sub Good()\r\nEnd Sub";
    PluginFile damaged;
    damaged.ActionIdentifier = "ID8";
    damaged.cutAfterField = 16;
    WritePlugin(t.project, "Good", good);
    WritePlugin(t.project, "Damaged", damaged);
    WritePlugin(t.project, "After", good);
    WritePluginList(t.project, {"Good", "Damaged", "After"});
    t.program.ProgramRunning = true;
    Start();
    ASSERT_EQ(host.Plugins().PluginCount(), 2);
    EXPECT_EQ(host.Plugins().Plugins()[1].ActionIdentifier, "ID8");
    ASSERT_GE(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, t.program.Messages(29));
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith(ErrorText(" Error loading plugins. ")))
        << t.Boxes()[0].text.toStdString();
    EXPECT_GT(t.Boxes()[0].text.size(), ErrorText(" Error loading plugins. ").size());

    t.dialogs.shown.clear();
    t.program.ProgramRunning = false;
    host.Plugins().LoadPlugins();
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].title, "Error");
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Exclamation);
    EXPECT_TRUE(t.Boxes()[0].text.startsWith("Error loading plugins.\r\n\r\n"));
}

}  // namespace
}  // namespace storyloom::test
