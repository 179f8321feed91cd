#include <gtest/gtest.h>

#include "TestProgram.h"
#include "core/Variables.h"
#include "game/MultiColumnsList.h"
#include "project/Messages.h"
#include "project/VariablesFile.h"

namespace storyloom::test {
namespace {

class VariablesTest : public ::testing::Test {
  protected:
    VariablesTest() { SetDefaultMessages(t.program.Messages, 0); }
    QStringList IntegerNames() const {
        QStringList names;
        for (const auto& v : vars.Variables) names << v->Name;
        return names;
    }
    QStringList VariantNames() const {
        QStringList names;
        for (const auto& v : vars.VariablesVariant) names << v->Name;
        return names;
    }
    TestProgram t;
    GameVariables vars;
};

TEST_F(VariablesTest, LoadsBothKindsInFileOrder) {
    t.project.WriteVariables({"DoorOpen", "", "DoorOpen", "Lamp"}, {"Name", "Score"});
    vars.VariablesVariant.Add("Stale", 3);
    LoadVariables(t.program, vars);
    EXPECT_EQ(IntegerNames(), QStringList({"DoorOpen", "", "DoorOpen", "Lamp"}));
    EXPECT_EQ(VariantNames(), QStringList({"Name", "Score"}));
    for (const auto& v : vars.Variables) EXPECT_EQ(v->Value, 0);
    EXPECT_EQ(vars.VariablesVariant.Item(1)->Value, QVariant(qint16(0)));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(VariablesTest, OnlyTheLeadingFieldGivesEmptyListsPlusPluginVariables) {
    t.project.WriteVariables({});
    LoadVariables(t.program, vars, {DeclaredVariables{{"plugin_a"}, {"plugin_b"}}});
    EXPECT_EQ(IntegerNames(), QStringList({"plugin_a"}));
    EXPECT_EQ(VariantNames(), QStringList({"plugin_b"}));
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(VariablesTest, PluginNamesAlreadyDeclaredAreNotAddedAgain) {
    t.project.WriteVariables({"Door"}, {"Name"});
    LoadVariables(
        t.program, vars,
        {DeclaredVariables{{"DOOR", "Key"}, {"name", "Extra"}}, DeclaredVariables{{"key"}, {}}});
    EXPECT_EQ(IntegerNames(), QStringList({"Door", "Key"}));
    EXPECT_EQ(VariantNames(), QStringList({"Name", "Extra"}));
}

TEST_F(VariablesTest, MissingFileIsReported) {
    const QString error = QStringLiteral(
        "An error has occurred. The program may not work properly. Press 'Esc' and the click "
        "'Exit' to quit.\r\n\r\n"
        "Error description: Unable to load variables list.");
    vars.Variables.Add("Stale", 1);
    LoadVariables(t.program, vars, {DeclaredVariables{{"plugin_a"}, {}}});
    EXPECT_EQ(vars.Variables.Count(), 0);  // lists were emptied, plug-in names not reached
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(t.Boxes()[0].text, error);
}

TEST_F(VariablesTest, ChangeVariableValueSetsAndInverts) {
    auto a = vars.Variables.Add("Door", 0);
    auto b = vars.Variables.Add("Door", 2);
    auto c = vars.Variables.Add("door", 0);
    vars.ChangeVariableValue(t.program, "Door", -1);
    EXPECT_EQ(a->Value, 1);
    EXPECT_EQ(b->Value, 3);
    EXPECT_EQ(c->Value, 0);  // names compared exactly
    vars.ChangeVariableValue(t.program, "Door", -1);
    EXPECT_EQ(a->Value, 0);
    EXPECT_EQ(b->Value, 2);
    vars.ChangeVariableValue(t.program, "Door", 7);
    EXPECT_EQ(a->Value, 7);
    EXPECT_EQ(b->Value, 7);
    vars.ChangeVariableValue(t.program, "Nothing", 7);
    EXPECT_TRUE(t.Boxes().empty());
}

TEST_F(VariablesTest, ChangeVariableValueOutsideSixteenBitsIsReported) {
    auto a = vars.Variables.Add("Door", 5);
    vars.ChangeVariableValue(t.program, "Door", 40000);
    EXPECT_EQ(a->Value, 5);
    ASSERT_EQ(t.Boxes().size(), 1u);
    EXPECT_EQ(t.Boxes()[0].text,
              "An error has occurred. The program may not work properly. Press 'Esc' and the click "
              "'Exit' to "
              "quit.\r\n\r\nError description: Unable to change the value of the following "
              "variable: 'Door'. The "
              "variable may have been removed during the project creation.");
}

TEST_F(VariablesTest, GetVariableValueAndExistenceChecks) {
    vars.Variables.Add("Door", 4);
    vars.Variables.Add("Door", 9);
    vars.VariablesVariant.Add("Name", "Ann");
    EXPECT_EQ(vars.GetVariableValue("Door"), 4);
    EXPECT_EQ(vars.GetVariableValue("door"), -32000);
    EXPECT_TRUE(vars.DoesIntergerVariableExist("door"));
    EXPECT_FALSE(vars.DoesIntergerVariableExist("Name"));
    EXPECT_TRUE(vars.DoesVariantVariableExist("NAME"));
    EXPECT_FALSE(vars.DoesVariantVariableExist("Door"));
    vars.ChangeVariableVariantValue("Name", 3.5);
    EXPECT_EQ(vars.VariablesVariant.Item(1)->Value, QVariant(3.5));
    vars.ChangeVariableVariantValue("name", "x");
    EXPECT_EQ(vars.VariablesVariant.Item(1)->Value, QVariant(3.5));
}

// The lookups go through a name index: it must follow every change of the lists and names.
TEST_F(VariablesTest, LookupsFollowAddsRemovesCopiesAndRenames) {
    auto door = vars.Variables.Add("Door", 4);
    vars.VariablesVariant.Add("Name", "Ann");
    EXPECT_EQ(vars.GetVariableValue("Door"), 4);
    vars.Variables.Remove(1);
    EXPECT_EQ(vars.GetVariableValue("Door"), -32000);
    EXPECT_FALSE(vars.DoesIntergerVariableExist("DOOR"));
    vars.Variables.Add("door", 1);
    vars.Variables.Add("Door", 2);
    EXPECT_EQ(vars.GetVariableValue("Door"), 2);
    EXPECT_EQ(vars.GetVariableValue("door"), 1);
    vars.ChangeVariableValue(t.program, "door", 9);
    EXPECT_EQ(vars.GetVariableValue("door"), 9);
    EXPECT_EQ(vars.GetVariableValue("Door"), 2);

    // A copy changes apart from the original; assigning brings the changes over.
    GameVariables copy = vars;
    copy.Variables.Add("Lamp", 3);
    EXPECT_EQ(copy.GetVariableValue("Lamp"), 3);
    EXPECT_EQ(vars.GetVariableValue("Lamp"), -32000);
    vars = copy;
    EXPECT_EQ(vars.GetVariableValue("Lamp"), 3);
    GameVariables moved = std::move(copy);
    EXPECT_EQ(moved.GetVariableValue("Lamp"), 3);
    EXPECT_EQ(copy.GetVariableValue("Lamp"), -32000);

    // A renamed variable is found under its new name only.
    auto lamp = vars.Variables.Item(3);
    lamp->Name = "Torch";
    NoteVariableRenamed();
    EXPECT_EQ(vars.GetVariableValue("Torch"), 3);
    EXPECT_EQ(vars.GetVariableValue("Lamp"), -32000);

    vars.VariablesVariant.Clear();
    EXPECT_FALSE(vars.DoesVariantVariableExist("Name"));
    vars.VariablesVariant.Add("NAME", 1);
    vars.ChangeVariableVariantValue("NAME", 2);
    EXPECT_EQ(vars.VariablesVariant.Item(1)->Value, QVariant(2));
    vars.Variables.Clear();
    EXPECT_EQ(vars.GetVariableValue("door"), -32000);
    EXPECT_EQ(door->Value, 4);  // removed before any change reached it
}

TEST(KeyedCollectionTest, PositionsKeysAndErrors) {
    VariablesCollection c;
    c.Add("a", 1, "KeyA");
    c.Add("b", 2);
    c.Add("c", 3, "keyC");
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Item(2)->Name, "b");
    EXPECT_EQ(c.Item("keya")->Name, "a");
    EXPECT_EQ(c.Item(QVariant("KEYC"))->Name, "c");
    EXPECT_EQ(c.Item(QVariant(1.0))->Name, "a");
    try {
        c.Add("d", 4, "KEYA");
        FAIL() << "duplicate key accepted";
    } catch (const RunError& e) {
        EXPECT_EQ(e.Number(), 457);
    }
    EXPECT_EQ(c.Count(), 3);
    EXPECT_THROW(c.Item(0), RunError);
    EXPECT_THROW(c.Item(4), RunError);
    EXPECT_THROW(c.Item("none"), RunError);
    c.Remove("KeyA");
    EXPECT_EQ(c.Item(1)->Name, "b");
    c.Remove(QVariant(2));
    EXPECT_EQ(c.Count(), 1);
    // The key of a removed item can be used again.
    c.Add("e", 5, "keyc");
    EXPECT_EQ(c.Item("KEYC")->Name, "e");
}

TEST(MultiColumnsListTest, RowsAndColumns) {
    MultiColumnsList list;
    auto empty = list.Add();
    EXPECT_EQ(empty->Count(), 0);
    list.Add({QVariant("second"), QVariant(2)});
    list.Add({QVariant("third"), QVariant(3), QVariant(true)});
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(3)->Count(), 3);
    EXPECT_EQ(list.Item(3)->Item(1), QVariant("third"));
    EXPECT_THROW(list.Item(3)->Item(4), RunError);
    list.Remove(2);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(2)->Item(2), QVariant(3));
    list.Item(2)->Item(2) = 30;
    QStringList firsts;
    for (const auto& row : list)
        firsts << (row->Count() ? row->Item(1).toString() : QStringLiteral("-"));
    EXPECT_EQ(firsts, QStringList({"-", "third"}));
    EXPECT_EQ(list.Item(2)->Item(2), QVariant(30));
    EXPECT_THROW(list.Remove(3), RunError);
}

}  // namespace
}  // namespace storyloom::test
