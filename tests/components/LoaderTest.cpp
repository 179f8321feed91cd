// Loading control libraries that are not what they claim: not a library, no entry point, a
// table of another interface version or one that breaks the rules, a library that faults or
// hangs while it is loaded or registered. Each is a clear failure; the process goes on.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "TestSupport.h"
#include "platform/components/ControlLoader.h"
#include "platform/dynlib/FakeDynamicLibraries.h"

namespace storyloom {
namespace {

using Status = ControlLoad::Status;
using testing::TempFolder;
using testing::TestLibrary;

ControlLoad LoadWithLimit(const std::string& path, std::chrono::milliseconds limit) {
    ControlLoader loader(SystemLibraries(), limit);
    return loader.Load(path);
}

TEST(LoaderTest, ThingsThatAreNotControlLibraries) {
    TempFolder folder;
    const ControlLoad text =
        LoadWithLimit(folder.Write("notes.ocx", "just text"), kRegistrationTimeLimit);
    EXPECT_EQ(text.status, Status::NotALibrary);
    EXPECT_NE(text.message.find("not a shared library"), std::string::npos) << text.message;

    const ControlLoad fakeElf = LoadWithLimit(folder.Write("fake.so",
                                                           "\x7f"
                                                           "ELF and then nothing"),
                                              kRegistrationTimeLimit);
    EXPECT_EQ(fakeElf.status, Status::NotALibrary);
    EXPECT_FALSE(fakeElf.message.empty());

    EXPECT_EQ(LoadWithLimit(folder.File("missing.so"), kRegistrationTimeLimit).status,
              Status::NotALibrary);

    const ControlLoad noEntry = LoadWithLimit(TestLibrary("no_entry"), kRegistrationTimeLimit);
    EXPECT_EQ(noEntry.status, Status::NoEntryPoint);
    EXPECT_EQ(noEntry.message, "it has no entry point storyloom_control_library");
}

TEST(LoaderTest, TablesOfOtherVersionsOrBrokenRulesAreRefused) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"odd_version_0", "it was built for interface version 0; this player supports version 1"},
        {"odd_version_2", "it was built for interface version 2; this player supports version 1"},
        {"odd_short", "its table is shorter (12 bytes) than interface version 1 requires"},
        {"odd_null", "the entry point gave no table for interface version 1"},
        {"odd_bad_name", "control 1 has no name or one that is not a plain name"},
        {"odd_duplicate", "control THING is listed twice"},
        {"odd_huge_count", "it lists 1000000 controls (1 to 256 allowed)"},
        {"odd_no_create", "control Thing lacks create, destroy or get_size"},
    };
    for (const auto& [name, message] : cases) {
        const ControlLoad load = LoadWithLimit(TestLibrary(name), kRegistrationTimeLimit);
        EXPECT_EQ(load.status, Status::BadTable) << name;
        EXPECT_EQ(load.message, message) << name;
        EXPECT_FALSE(load.library);
    }
}

TEST(LoaderTest, AHangingEntryPointIsAbandonedAfterTheLimit) {
    ControlLoader loader(SystemLibraries(), std::chrono::milliseconds(300));
    const std::string hang = TestLibrary("hang_entry");
    const ControlLoad first = loader.Load(hang);
    EXPECT_EQ(first.status, Status::TimedOut);
    EXPECT_EQ(first.message, "it did not finish within 300 ms");
    EXPECT_TRUE(loader.GivenUp(hang));
    // The same file is not tried again; other libraries still load.
    EXPECT_EQ(loader.Load(hang).status, Status::GivenUp);
    EXPECT_EQ(loader.Load(TestLibrary("probe_controls")).status, Status::Loaded);
}

// Faults are run in a child process of their own (a death test that re-runs this program),
// so that a fault guard that failed would take down only that child.
class LoaderDeathTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Loads `library` and then a good one; the child ends with 0 when the first failed with
// `expected`, was given up, and the second still loaded, and prints the failure's message.
[[noreturn]] void LoadThenLoadAGoodOne(const char* library, Status expected) {
    ControlLoader loader(SystemLibraries(), std::chrono::milliseconds(2000));
    const ControlLoad bad = loader.Load(TestLibrary(library));
    std::fprintf(stderr, "message: %s\n", bad.message.c_str());
    const bool failedRight = bad.status == expected && loader.GivenUp(TestLibrary(library));
    const bool goodLoads = loader.Load(TestLibrary("probe_controls")).status == Status::Loaded;
    std::_Exit(failedRight && goodLoads ? 0 : 1);
}

TEST_F(LoaderDeathTest, AFaultInTheEntryPointIsAFailureNotACrash) {
    EXPECT_EXIT(LoadThenLoadAGoodOne("crash_null", Status::Crashed), ::testing::ExitedWithCode(0),
                "message: it faulted: segmentation fault");
    EXPECT_EXIT(LoadThenLoadAGoodOne("crash_abort", Status::Crashed), ::testing::ExitedWithCode(0),
                "message: it faulted: abort");
    EXPECT_EXIT(LoadThenLoadAGoodOne("crash_stack", Status::Crashed), ::testing::ExitedWithCode(0),
                "message: it faulted: segmentation fault");
}

// A static constructor that never returns, or faults, keeps the system loader's lock: no
// library can be loaded in that process any more. Later loads must fail at once, not block.
[[noreturn]] void StuckInTheLoaderThenLoad(const char* library, Status expected) {
    ControlLoader loader(SystemLibraries(), std::chrono::milliseconds(300));
    const ControlLoad bad = loader.Load(TestLibrary(library));
    const ControlLoad next = loader.Load(TestLibrary("probe_controls"));
    std::fprintf(stderr, "first: %s\nnext: %s\n", bad.message.c_str(), next.message.c_str());
    std::_Exit(bad.status == expected && next.status == Status::NotALibrary ? 0 : 1);
}

TEST_F(LoaderDeathTest, ALibraryStuckInTheSystemLoaderBlocksNothingElse) {
    EXPECT_EXIT(StuckInTheLoaderThenLoad("hang_constructor", Status::TimedOut),
                ::testing::ExitedWithCode(0), "next: the system's library loader is held");
    EXPECT_EXIT(StuckInTheLoaderThenLoad("crash_constructor", Status::Crashed),
                ::testing::ExitedWithCode(0), "next: the system's library loader is held");
}

// Faults of threads that are not loading a library are not swallowed by the fault guard.
TEST_F(LoaderDeathTest, FaultsElsewhereStillEndTheProcess) {
    EXPECT_DEATH(
        {
            LoadWithLimit(TestLibrary("probe_controls"), kRegistrationTimeLimit);  // guard in place
            std::abort();
        },
        "");
}

// A signal another process sends to a guarded thread is not taken for a fault of its work.
TEST_F(LoaderDeathTest, SignalsFromOtherProcessesAreNotSwallowed) {
    EXPECT_EXIT(
        {
            // Only the guarded thread accepts SIGABRT; a second process sends it.
            sigset_t abort;
            sigemptyset(&abort);
            sigaddset(&abort, SIGABRT);
            pthread_sigmask(SIG_BLOCK, &abort, nullptr);
            SystemLibraries().RunWithTimeLimit(
                [&] {
                    pthread_sigmask(SIG_UNBLOCK, &abort, nullptr);
                    const pid_t me = getpid();
                    if (fork() == 0) {
                        usleep(200 * 1000);  // until the guarded thread sleeps
                        kill(me, SIGABRT);
                        _exit(0);
                    }
                    std::this_thread::sleep_for(std::chrono::seconds(5));
                },
                std::chrono::seconds(10));
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGABRT), "");
}

TEST(ThreadRunTest, WorkThatThrowsIsReportedAsAFault) {
    const ThreadRun run = SystemLibraries().RunWithTimeLimit(
        [] { throw std::runtime_error("no luck"); }, std::chrono::milliseconds(2000));
    EXPECT_EQ(run.outcome, ThreadRun::Outcome::Crashed);
    EXPECT_EQ(run.detail, "exception: no luck");
    int value = 0;
    EXPECT_EQ(SystemLibraries()
                  .RunWithTimeLimit([&] { value = 7; }, std::chrono::milliseconds(2000))
                  .outcome,
              ThreadRun::Outcome::Finished);
    EXPECT_EQ(value, 7);
}

// The loader keeps a library that was abandoned, and releases one whose table was refused.
TEST(LoaderTest, AbandonedLibrariesStayLoadedRefusedOnesAreReleased) {
    FakeDynamicLibraries fake;
    static const sl_library* (*const nullEntry)(uint32_t) = [](uint32_t) -> const sl_library* {
        return nullptr;
    };
    fake.AddLibrary("/odd.so", {{SL_ENTRY_POINT_NAME, reinterpret_cast<void*>(nullEntry)}});
    ControlLoader loader(fake);
    EXPECT_EQ(loader.Load("/odd.so").status, Status::BadTable);
    EXPECT_EQ(fake.record->opens, 1);
    EXPECT_EQ(fake.record->releases, 1);
    EXPECT_EQ(fake.record->limits.back(), std::chrono::milliseconds(10000));

    // No thread: nothing opened, and the file may be tried again.
    fake.nextRuns.push_back({ThreadRun::Outcome::NotStarted, "no threads left"});
    EXPECT_EQ(loader.Load("/odd.so").status, Status::NotStarted);
    EXPECT_EQ(fake.record->opens, 1);
    EXPECT_FALSE(loader.GivenUp("/odd.so"));

    // Out of time after the library was opened: it stays loaded for good and is given up.
    fake.nextRuns.push_back({ThreadRun::Outcome::TimedOut, "did not finish within 10000 ms"});
    const ControlLoad timedOut = loader.Load("/odd.so");
    EXPECT_EQ(timedOut.status, Status::TimedOut);
    EXPECT_EQ(timedOut.message, "it did not finish within 10000 ms");
    EXPECT_EQ(fake.record->opens, 2);
    EXPECT_EQ(fake.record->kept, 1);
    EXPECT_EQ(fake.record->releases, 1);
    EXPECT_TRUE(loader.GivenUp("/odd.so"));
    EXPECT_EQ(loader.Load("/odd.so").status, Status::GivenUp);
    EXPECT_EQ(fake.record->opens, 2);
}

}  // namespace
}  // namespace storyloom
