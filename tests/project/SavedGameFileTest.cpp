// The saved-game file, read from files laid out by hand (every older, shorter form too) and
// written back byte for byte; the resume file; the dialogue file.
#include <gtest/gtest.h>

#include "TestProgram.h"
#include "platform/seqfile/SeqFile.h"
#include "project/DialogueFile.h"
#include "project/SavedGameFile.h"

namespace storyloom::test {
namespace {

QByteArray Lines(const std::vector<const char*>& lines) {
    QByteArray out;
    for (const char* l : lines) out += QByteArray(l) + "\r\n";
    return out;
}

// A whole file as the authoring tool's player writes it; "Caf\xe9" is code page 1252.
const std::vector<const char*> kWhole = {"\"Kitchen\"",
                                         "2",
                                         "\"door_open\"",
                                         "-1",
                                         "\"lamp\"",
                                         "3",  // variables
                                         "1",
                                         "\"Hall\"",
                                         "4",  // hidden hotspots
                                         "2",
                                         "\"Key\"",
                                         "\"Caf\xe9 map\"",  // items
                                         "2",
                                         "\"Hall\"",
                                         "\"Kitchen\"",  // history
                                         "\"\"",
                                         "\"\"",
                                         "\"\"",
                                         "\"Title\"",
                                         "\"My Game\"",
                                         "\"03/07/2004\"",     // trailer
                                         "\"Version 3.5.2\"",  //
                                         "2",
                                         "\"name\"",
                                         "\"Ann\"",
                                         "\"score\"",
                                         "12.5"};  // variants

SavedGameData WholeData() {
    SavedGameData d;
    d.frameName = "Kitchen";
    d.variables = {{"door_open", -1}, {"lamp", 3}};
    d.hiddenHotspots = {{"Hall", 4}};
    d.items = QStringList{"Key", QString::fromUtf8("Caf\u00e9 map")};
    d.hasHistory = true;
    d.history = QStringList{"Hall", "Kitchen"};
    d.hasTrailer = true;
    d.projectTitle = "Title";
    d.gameName = "My Game";
    d.date = "03/07/2004";
    d.version = "Version 3.5.2";
    d.hasVariants = true;
    d.variants = {{"name", QString("Ann")}, {"score", 12.5}};
    return d;
}

TEST(SavedGameFileTest, ReadsTheWholeLayoutAndWritesItBackByteForByte) {
    const QByteArray bytes = Lines(kWhole);
    const SavedGameData d = ReadSavedGame(bytes);
    EXPECT_EQ(d, WholeData());
    EXPECT_EQ(WriteSavedGame(d), bytes);
    EXPECT_EQ(ReadSavedGame(WriteSavedGame(WholeData())), WholeData());
}

TEST(SavedGameFileTest, OlderShorterFormsStopAtTheirPartBoundaries) {
    // Ends after the items: no history, no variants.
    std::vector<const char*> lines(kWhole.begin(), kWhole.begin() + 12);
    SavedGameData d = ReadSavedGame(Lines(lines));
    EXPECT_EQ(d.items.size(), 2);
    EXPECT_FALSE(d.hasHistory);
    EXPECT_FALSE(d.hasVariants);
    // Ends after the history.
    lines.assign(kWhole.begin(), kWhole.begin() + 15);
    d = ReadSavedGame(Lines(lines));
    EXPECT_TRUE(d.hasHistory);
    EXPECT_EQ(d.history, QStringList({"Hall", "Kitchen"}));
    EXPECT_FALSE(d.hasTrailer);
    // Ends after the version text.
    lines.assign(kWhole.begin(), kWhole.begin() + 22);
    d = ReadSavedGame(Lines(lines));
    EXPECT_TRUE(d.hasTrailer);
    EXPECT_FALSE(d.hasVariants);
    EXPECT_TRUE(d.variants.empty());
}

TEST(SavedGameFileTest, AFileCutAtAnyOtherLineIsRefused) {
    // Cuts after line n; only 12, 15, 22 and the whole file are complete forms.
    for (size_t n = 0; n < kWhole.size(); ++n) {
        std::vector<const char*> lines(kWhole.begin(), kWhole.begin() + long(n));
        const bool complete = n == 12 || n == 15 || n == 22;
        if (complete) {
            EXPECT_NO_THROW(ReadSavedGame(Lines(lines))) << n;
        } else {
            EXPECT_THROW(ReadSavedGame(Lines(lines)), SeqError) << "cut after line " << n;
        }
    }
    // Cut inside a line: never a crash, either refused or read.
    const QByteArray bytes = Lines(kWhole);
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        try {
            ReadSavedGame(bytes.left(n));
        } catch (const SeqError&) {
        }
    }
}

TEST(SavedGameFileTest, EmptyAndNullVariantsComeBackWhereverTheyAre) {
    SavedGameData d = WholeData();
    d.variants = {{"a", QVariant()}, {"b", QVariant::fromValue(nullptr)}, {"c", QVariant()}};
    const QByteArray bytes = WriteSavedGame(d);
    const SavedGameData back = ReadSavedGame(bytes);
    ASSERT_EQ(back.variants.size(), 3u);
    EXPECT_FALSE(back.variants[0].second.isValid());
    EXPECT_TRUE(back.variants[1].second.isNull());
    EXPECT_FALSE(back.variants[2].second.isValid());
    // Cut after the last name, the file is damaged, not an empty value.
    EXPECT_THROW(ReadSavedGame(bytes.left(bytes.size() - 2)), SeqError);
}

TEST(SavedGameFileTest, WrongTypesAreRefused) {
    std::vector<const char*> lines = kWhole;
    lines[3] = "\"minus one\"";  // a variable's value
    EXPECT_THROW(ReadSavedGame(Lines(lines)), SeqError);
    lines = kWhole;
    lines[1] = "\"two\"";  // the count
    EXPECT_THROW(ReadSavedGame(Lines(lines)), SeqError);
    lines = kWhole;
    lines[5] = "70000";  // beyond a 16-bit variable
    EXPECT_THROW(ReadSavedGame(Lines(lines)), SeqError);
}

TEST(SavedGameFileTest, ResumeFileSendsAFrameElsewhere) {
    TestProgram t;
    const QString path = t.program.paths.ConfigPath + "Resume";
    EXPECT_EQ(ResumeLocation(t.files, path, "intro"), "intro");  // no file
    t.project.WriteFile("Config/Resume",
                        Lines({"1", "2", "3", "4", "5", "6", "\"intro\"", "\"hall\"", "\"attic\"",
                               "\"\"", "\"Intro\"", "\"cellar\""}));
    // The last matching pair wins; names compared without regard to case.
    EXPECT_EQ(ResumeLocation(t.files, path, "INTRO"), "cellar");
    // An empty second name leaves the frame.
    EXPECT_EQ(ResumeLocation(t.files, path, "attic"), "attic");
    EXPECT_EQ(ResumeLocation(t.files, path, ""), "");
    // A damaged file (a pair cut in half) leaves the frame as it was.
    t.project.WriteFile("Config/Resume",
                        Lines({"1", "2", "3", "4", "5", "6", "\"intro\"", "\"hall\"", "\"x\""}));
    EXPECT_EQ(ResumeLocation(t.files, path, "intro"), "intro");
}

// ---- Dialogue files ----

std::vector<DialogueQuestion> SampleQuestions() {
    DialogueQuestion a;
    a.QuestionText = "Who are you?";
    a.AnswerText = "A guard.";
    a.ScriptBefore = "x = \"a\"";
    a.QuestionId = 7;
    a.InitiallyShown = true;
    a.Hotspot1 = 2;
    a.RevealIds = {8, 9};
    a.HideIds = {7};
    a.AnswerSeconds = 2.5;
    a.TimedAnswer = true;
    DialogueQuestion b;
    b.QuestionText = "Bye";
    b.QuestionId = 8;
    b.EndsDialogue = true;
    return {a, b};
}

TEST(DialogueFileTest, ReadsAHandMadeFile) {
    const QByteArray bytes = Lines({
        "1,0,0",
        "\"\",\"\"",
        "0,0,0,0,0,0",
        "1",
        "\"Who are you?\",\"A guard.\"",
        "\"x = |a|\",\"\",\"MsgBox |hi|\"",
        "7,#TRUE#,#FALSE#,2,0,3",
        "2,8,9",
        "1,7",
        "2.5,0,0,0,#TRUE#,0",
    });
    const auto qs = ReadDialogue(bytes);
    ASSERT_EQ(qs.size(), 1u);
    EXPECT_EQ(qs[0].QuestionText, "Who are you?");
    EXPECT_EQ(qs[0].ScriptBefore, "x = \"a\"");
    EXPECT_EQ(qs[0].ScriptAfter, "MsgBox \"hi\"");
    EXPECT_EQ(qs[0].QuestionId, 7);
    EXPECT_TRUE(qs[0].InitiallyShown);
    EXPECT_FALSE(qs[0].EndsDialogue);
    EXPECT_EQ(qs[0].Hotspot1, 2);
    EXPECT_EQ(qs[0].Hotspot3, 3);
    EXPECT_EQ(qs[0].RevealIds, (std::vector<qint16>{8, 9}));
    EXPECT_EQ(qs[0].HideIds, (std::vector<qint16>{7}));
    EXPECT_DOUBLE_EQ(qs[0].AnswerSeconds, 2.5);
    EXPECT_TRUE(qs[0].TimedAnswer);
}

TEST(DialogueFileTest, RoundTripsAndRefusesEveryCut) {
    const QByteArray bytes = WriteDialogue(SampleQuestions());
    EXPECT_EQ(ReadDialogue(bytes), SampleQuestions());
    const QList<QByteArray> lines = bytes.split('\n');
    // Every cut at a line end but the last leaves a question (or the header) unfinished.
    QByteArray cut;
    for (qsizetype i = 0; i + 2 < lines.size(); ++i) {
        cut += lines[i] + '\n';
        EXPECT_THROW(ReadDialogue(cut), SeqError) << "cut after line " << i + 1;
    }
}

}  // namespace
}  // namespace storyloom::test
