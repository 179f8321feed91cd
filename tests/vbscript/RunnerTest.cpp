// vbsrun: the command-line runner's output, arguments and exit status.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs vbsrun with options on a script written to a temporary file, with input on its standard
// input; standard error is kept apart unless mergeErr.
Result RunVbs(const std::string& options, const std::string& code, const std::string& args = "",
              const std::string& input = "", bool mergeErr = true) {
    auto dir =
        std::filesystem::temp_directory_path() / ("vbsrun-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto file = dir / "script.vbs";
    std::ofstream(file, std::ios::binary) << code;
    std::ofstream(dir / "input.txt", std::ios::binary) << input;
    std::string cmd = std::string(VBSRUN_PATH) + " " + options + " " + file.string() + " " + args +
                      " < " + (dir / "input.txt").string() +
                      (mergeErr ? " 2>&1" : " 2>" + (dir / "err.txt").string());
    Result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 256> buf;
    while (fgets(buf.data(), int(buf.size()), p)) r.out += buf.data();
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    if (!mergeErr) r.err = Slurp(dir / "err.txt");
    std::filesystem::remove_all(dir);
    return r;
}

Result RunScript(const std::string& code, const std::string& args = "") {
    return RunVbs("", code, args);
}

TEST(Runner, EchoesAndExitsWithZero) {
    Result r = RunScript("WScript.Echo \"hello\", 1 + 1\r\n");
    EXPECT_EQ(r.out, "hello 2\n");
    EXPECT_EQ(r.status, 0);
}

TEST(Runner, ArgumentsAndQuit) {
    Result r = RunScript(
        "WScript.Echo WScript.Arguments.Count, WScript.Arguments(1)\n"
        "For Each a In WScript.Arguments: WScript.Echo a: Next\nWScript.Quit 3\nWScript.Echo "
        "\"no\"",
        "first second");
    EXPECT_EQ(r.out, "2 second\nfirst\nsecond\n");
    EXPECT_EQ(r.status, 3);
}

TEST(Runner, UncaughtErrorsArePrintedWithTheirLine) {
    Result r = RunScript("WScript.Echo \"start\"\n\nx = 1 / 0\n");
    EXPECT_EQ(r.out, "start\nscript.vbs(3) error 11: Division by zero\n");
    EXPECT_EQ(r.status, 1);
    r = RunScript("If True Then\n");
    EXPECT_EQ(r.out, "script.vbs(2) error 1014: Expected 'End'\n");
    EXPECT_EQ(r.status, 1);
}

TEST(Runner, TestHostCountsChecks) {
    Result r = RunScript(
        "ok True, \"fine\"\nok 1 = 2, \"broken\"\ntodo_wine_ok getVT(1) = \"VT_I2\", \"vt\"\n", "");
    // Without --test-host the procedures do not exist.
    EXPECT_EQ(r.status, 1);
    auto dir = std::filesystem::temp_directory_path() / "vbsrun-test-host";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "t.vbs") << "ok True, \"fine\"\nok 1 = 2, \"broken\"\n"
                                    "todo_wine_ok getVT(1) = \"VT_I2\", \"vt\"\n";
    std::string cmd = std::string(VBSRUN_PATH) + " --test-host " + (dir / "t.vbs").string();
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    std::array<char, 256> buf;
    while (p && fgets(buf.data(), int(buf.size()), p)) out += buf.data();
    if (p) pclose(p);
    std::filesystem::remove_all(dir);
    EXPECT_NE(out.find("FAIL: broken"), std::string::npos) << out;
    EXPECT_NE(out.find("t.vbs: 2 passed, 1 failed"), std::string::npos) << out;
}

// ---- the WScript object ----

TEST(Runner, EchoFormatsValuesAsTheDesktopHost) {
    Result r = RunScript(
        "WScript.Echo True, False, Null, Empty, 1.5, \"x\"\nWScript.Echo\n"
        "Class C\n Public Default Property Get V()\n  V = \"dflt\"\n End Property\nEnd Class\n"
        "WScript.Echo New C, CByte(7), #1/2/2003#\nWScript.Echo Array(1)\n");
    EXPECT_EQ(r.out,
              "-1 0 null  1.5 x\n\ndflt 7 1/2/2003\nscript.vbs(9) error 13: Type mismatch\n");
    EXPECT_EQ(r.status, 1);
}

TEST(Runner, StdOutAndStdErr) {
    Result r = RunVbs("",
                      "Set o = WScript.StdOut\no.Write \"a\"\no.Write 1\no.WriteLine\n"
                      "o.WriteLine \"line\"\no.WriteBlankLines 2\no.Write True\n"
                      "WScript.StdErr.WriteLine \"problem\"\nWScript.StdErr.Write \"x\"\n"
                      "WScript.StdOut.WriteLine \"end\"\nWScript.StdOut.Close\n",
                      "", "", false);
    EXPECT_EQ(r.out, "a1\nline\n\n\n-1end\n");
    EXPECT_EQ(r.err, "problem\nx");
    EXPECT_EQ(r.status, 0);
    // Reading from an output stream, writing to the input, bad counts and Null fail as the
    // host's text streams do.
    r = RunScript(
        "On Error Resume Next\nx = WScript.StdOut.ReadLine\nWScript.Echo Err.Number\nErr.Clear\n"
        "WScript.StdIn.Write \"x\"\nWScript.Echo Err.Number\nErr.Clear\n"
        "WScript.StdOut.WriteBlankLines -1\nWScript.Echo Err.Number\nErr.Clear\n"
        "WScript.StdOut.Write Null\nWScript.Echo Err.Number\nErr.Clear\n"
        "WScript.StdOut.Write\nWScript.Echo Err.Number\n");
    EXPECT_EQ(r.out, "54\n54\n5\n13\n450\n");
}

TEST(Runner, StdInReading) {
    Result r = RunVbs("",
                      "Set i = WScript.StdIn\nWScript.Echo i.Line, i.Read(3), i.Column\n"
                      "WScript.Echo \"[\" & i.ReadLine & \"]\", i.AtEndOfLine\ni.SkipLine\n"
                      "Do Until i.AtEndOfStream\n WScript.Echo i.Line & \": \" & i.ReadLine\nLoop\n"
                      "On Error Resume Next\nx = i.ReadLine\nWScript.Echo Err.Number\n",
                      "", "abcdef\r\nskipped\nthree\r\nfour", false);
    EXPECT_EQ(r.out, "1 abc 4\n[def] 0\n3: three\n4: four\n62\n");
    r = RunVbs("", "s = WScript.StdIn.ReadAll\nWScript.Echo Len(s), Asc(Right(s, 1))\n", "",
               "x\ny\n");
    EXPECT_EQ(r.out, "4 10\n");
}

TEST(Runner, NamedAndUnnamedArguments) {
    Result r = RunScript(
        "Set a = WScript.Arguments\nWScript.Echo a.Count, a.Length, a(1)\n"
        "WScript.Echo a.Named.Count, a.Named(\"x\"), \"[\" & a.Named(\"FLAG\") & \"]\", "
        "a.Named.Exists(\"flag\"), a.Named.Exists(\"other\")\n"
        "WScript.Echo a.Unnamed.Count, a.Unnamed(0), a.Unnamed.Item(1)\n"
        "For Each n In a.Named: s = s & n & \";\": Next\nWScript.Echo s\n"
        "On Error Resume Next\nx = a.Named(\"other\")\nWScript.Echo Err.Number\n"
        "x = a.Unnamed(2)\nWScript.Echo Err.Number\n",
        "one /x:5 /flag '/q:\"two words\"' two");
    EXPECT_EQ(r.out, "5 5 /x:5\n3 5 [] -1 0\n2 one two\nx;flag;q;\n5\n9\n");
    r = RunScript("WScript.Echo WScript.Arguments.Named(\"q\")", "'/q:\"two words\"'");
    EXPECT_EQ(r.out, "two words\n");
}

TEST(Runner, ScriptNamesSleepQuitAndObjects) {
    Result r = RunScript(
        "WScript.Echo WScript.ScriptName, Right(WScript.ScriptFullName, 11), "
        "Left(WScript.ScriptFullName, 1)\nWScript.Echo WScript.Name, WScript.Interactive, "
        "TypeName(WScript.Version)\n"
        "t = Timer\nWScript.Sleep 50\nWScript.Echo Timer - t >= 0.04\n"
        "Set d = WScript.CreateObject(\"Scripting.Dictionary\")\nd(\"k\") = 1\n"
        "Set re = WScript.CreateObject(\"VBScript.RegExp\")\nre.Pattern = \"b+\"\n"
        "WScript.Echo d.Count, re.Test(\"abbc\")\n"
        "On Error Resume Next\nSet z = WScript.CreateObject(\"Nope.Nothing\")\n"
        "WScript.Echo Err.Number\nOn Error Goto 0\n"
        "Sub Deep()\n On Error Resume Next\n WScript.Quit 7\n WScript.Echo \"not here\"\nEnd Sub\n"
        "Deep\nWScript.Echo \"nor here\"\n");
    EXPECT_EQ(r.out, "script.vbs /script.vbs /\nWindows Script Host 0 String\n-1\n1 -1\n429\n");
    EXPECT_EQ(r.status, 7);
}

// ---- --check, --help ----

TEST(Runner, CheckReportsEverySyntaxErrorWithoutRunning) {
    Result r = RunVbs("--check",
                      "WScript.Echo \"ran\"\nIf x Then\n  y = = 2\nEnd If\nz = \"open\n"
                      "Class C\n  Public\nEnd Class\nq = 1 +\nSub Fine()\nEnd Sub\n");
    EXPECT_EQ(r.out.find("ran"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("script.vbs(3,7) error 1023: Expected expression\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("script.vbs(5,10) error 1033: Unterminated string constant\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("script.vbs(7,9) error 1010: Expected identifier\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("script.vbs(9,8) error 1023: Expected expression\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("script.vbs: 4 syntax errors\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.status, 1);

    r = RunVbs("--check", "Sub Fine()\n WScript.Echo 1\nEnd Sub\nFine\n");
    EXPECT_NE(r.out.find("script.vbs: no syntax errors\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.status, 0);
    // A block left open is reported once, at the end of the text.
    r = RunVbs("--check", "Do\n x = 1\n");
    EXPECT_NE(r.out.find("script.vbs: 1 syntax error\n"), std::string::npos) << r.out;
}

TEST(Runner, HelpAndBadCommandLines) {
    Result r = RunVbs("--help", "");
    EXPECT_NE(r.out.find("--check FILE"), std::string::npos);
    EXPECT_NE(r.out.find("WScript.StdOut"), std::string::npos);
    EXPECT_EQ(r.status, 0);
    r = RunVbs("--frobnicate", "");
    EXPECT_NE(r.out.find("unknown option --frobnicate"), std::string::npos);
    EXPECT_EQ(r.status, 2);
    r = RunVbs("--check /nonexistent/file.vbs", "");
    EXPECT_NE(r.out.find("cannot read /nonexistent/file.vbs"), std::string::npos);
    EXPECT_EQ(r.status, 2);
}

}  // namespace
