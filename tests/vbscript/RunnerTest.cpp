// vbsrun: the command-line runner's output, arguments and exit status.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Result {
    int status = -1;
    std::string out;
};

// Runs vbsrun on a script written to a temporary file.
Result RunScript(const std::string& code, const std::string& args = "") {
    auto dir =
        std::filesystem::temp_directory_path() / ("vbsrun-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto file = dir / "script.vbs";
    std::ofstream(file, std::ios::binary) << code;
    std::string cmd = std::string(VBSRUN_PATH) + " " + file.string() + " " + args + " 2>&1";
    Result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 256> buf;
    while (fgets(buf.data(), int(buf.size()), p)) r.out += buf.data();
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    std::filesystem::remove_all(dir);
    return r;
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

}  // namespace
