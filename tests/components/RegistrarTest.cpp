// Registering a game's control files (our libraries, Windows .ocx files, anything else), the
// registry of program identifiers, and creating controls by program identifier.
#include <gtest/gtest.h>

#include <QString>

#include "PeBuilder.h"
#include "TestSupport.h"
#include "platform/components/ControlRegistrar.h"
#include "platform/components/SettingsProgIdStore.h"
#include "platform/dynlib/FakeDynamicLibraries.h"
#include "platform/settings/SettingsStore.h"

namespace storyloom {
namespace {

using namespace storyloom::testing;

const std::string kMenuletId = "Menulet.MenuletControlRELEASE1";

std::string Canonical(const std::string& path) {
    return std::filesystem::canonical(path).string();
}

TEST(ComponentRegistryTest, ProgramIdentifiersAreCheckedAndMatchedWithoutCase) {
    EXPECT_TRUE(ComponentRegistry::IsProgId("Menulet.MenuletControlRELEASE1"));
    EXPECT_TRUE(ComponentRegistry::IsProgId("a.b_2"));
    for (const char* bad : {"", "Menulet", ".Control", "Lib.", "Lib.Con.trol", "Lib.Con trol",
                            "2Lib.Control", "Lib._x", "Lib.Ctl\xC3\xA9"}) {
        EXPECT_FALSE(ComponentRegistry::IsProgId(bad)) << bad;
    }
    MemoryProgIdStore store;
    ComponentRegistry registry(store);
    EXPECT_FALSE(registry.Register("not an id", "/x.so"));
    EXPECT_TRUE(registry.Register("Lib.Control", "/lib/one.so"));
    EXPECT_EQ(registry.Find("LIB.control"), "/lib/one.so");
    EXPECT_FALSE(registry.Find("Lib.Other"));
    // Registering again writes nothing; another path replaces the entry.
    EXPECT_TRUE(registry.Register("lib.control", "/lib/one.so"));
    EXPECT_EQ(store.writes, 1);
    EXPECT_TRUE(registry.Register("Lib.Control", "/lib/two.so"));
    EXPECT_EQ(store.writes, 2);
    // Unregistering forgets only an entry of that library.
    EXPECT_FALSE(registry.Unregister("Lib.Control", "/lib/one.so"));
    EXPECT_EQ(registry.Find("Lib.Control"), "/lib/two.so");
    EXPECT_TRUE(registry.Unregister("Lib.Control", "/lib/two.so"));
    EXPECT_FALSE(registry.Find("Lib.Control"));
}

TEST(ComponentRegistryTest, EntriesLastInTheSettingsStore) {
    TempFolder folder;
    {
        FileSettingsStore settings(QString::fromStdString(folder.File("settings")));
        SettingsProgIdStore store(settings);
        ComponentRegistry registry(store);
        EXPECT_TRUE(registry.Register(kMenuletId, "/opt/storyloom/libMenulet.so"));
        EXPECT_TRUE(registry.Register("Probe.Lib", "/games/a b/CPData/=odd [path].so"));
    }
    FileSettingsStore settings(QString::fromStdString(folder.File("settings")));
    SettingsProgIdStore store(settings);
    ComponentRegistry registry(store);
    EXPECT_EQ(registry.Find("menulet.menuletcontrolrelease1"), "/opt/storyloom/libMenulet.so");
    EXPECT_EQ(registry.Find("Probe.Lib"), "/games/a b/CPData/=odd [path].so");
    EXPECT_TRUE(std::filesystem::exists(folder.File("settings/controls.ini")));
    EXPECT_TRUE(registry.Unregister("Probe.Lib", "/games/a b/CPData/=odd [path].so"));
    EXPECT_FALSE(ComponentRegistry(store).Find("Probe.Lib"));
}

class RegistrarTest : public ::testing::Test {
  protected:
    RegistrarTest()
        : loader(SystemLibraries(), std::chrono::milliseconds(1000)),
          registry(store),
          registrar(loader, registry, {MENULET_LIBRARY}) {}

    TempFolder cpdata;
    MemoryProgIdStore store;
    ControlLoader loader;
    ComponentRegistry registry;
    ControlRegistrar registrar;
};

TEST_F(RegistrarTest, OurLibrariesRegisterEachOfTheirControls) {
    const std::string probe = cpdata.Copy(TestLibrary("probe_controls"), "Probe.ocx");
    const Registration r = registrar.Register(probe, false);
    EXPECT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.progIds,
              (std::vector<std::string>{"ProbeLib.Probe", "ProbeLib.Plain", "ProbeLib.Refused"}));
    EXPECT_EQ(registry.Find("probelib.plain"), Canonical(probe));

    // The general operation's other half forgets them again.
    const Registration u = registrar.Register(probe, true);
    EXPECT_TRUE(u.ok);
    EXPECT_EQ(u.progIds.size(), 3u);
    EXPECT_FALSE(registry.Find("ProbeLib.Probe"));
}

TEST_F(RegistrarTest, AWindowsFileNamingMenuletRegistersOurMenulet) {
    const std::string ocx =
        cpdata.Write("MenuletControlRELEASE1.ocx", ProgramFile(VersionInfo(MenuletVersion())));
    const Registration r = registrar.Register(ocx, false);
    EXPECT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.progIds, std::vector<std::string>{kMenuletId});
    EXPECT_EQ(registry.Find(kMenuletId), Canonical(MENULET_LIBRARY));

    // Renamed on disk, or without an internal name: the original file name still says it.
    store.entries.clear();
    VersionSpec spec;
    spec.strings = {{u"OriginalFilename", u"MENULETCONTROLRELEASE1.OCX"}};
    EXPECT_TRUE(
        registrar.RegisterComponentFile(cpdata.Write("menu.ocx", ProgramFile(VersionInfo(spec)))));
    EXPECT_EQ(registry.Find(kMenuletId), Canonical(MENULET_LIBRARY));
}

TEST_F(RegistrarTest, OtherFilesRegisterNothing) {
    VersionSpec other;
    other.strings = {{u"ProductName", u"Menulet"}, {u"InternalName", u"MenuletControlRELEASE2"}};
    VersionSpec nameless;
    nameless.strings = {{u"ProductName", u"Something"}};
    PeLayout at;
    Bytes damaged = ProgramFile(VersionInfo(MenuletVersion()), &at);
    Put32(damaged, at.dataEntry, 0xFFFFFFF0u);

    const std::vector<std::pair<std::string, std::string>> files = {
        {cpdata.Write("Release2.ocx", ProgramFile(VersionInfo(other))),
         "the Windows control library MenuletControlRELEASE2 cannot run here"},
        {cpdata.Write("Nameless.ocx", ProgramFile(VersionInfo(nameless))),
         "a Windows program file whose version record names no control"},
        {cpdata.Write("Damaged.ocx", damaged), "a Windows program file, damaged version record"},
        {cpdata.Write("Text.ocx", "MZ but only text"), "a Windows program file, no PE header"},
        {cpdata.Write("Empty.ocx", ""), "not a shared library"},
        {cpdata.Copy(TestLibrary("no_entry"), "NoEntry.ocx"), "has no entry point"},
        {cpdata.File("Missing.ocx"), "no such file"},
    };
    for (const auto& [path, why] : files) {
        const Registration r = registrar.Register(path, false);
        EXPECT_FALSE(r.ok) << path;
        EXPECT_NE(r.message.find(why), std::string::npos) << r.message;
        EXPECT_TRUE(r.progIds.empty());
    }
    EXPECT_TRUE(store.entries.empty());
}

TEST_F(RegistrarTest, AHangingLibraryIsAbandonedAndTheOthersStillRegister) {
    ControlLoader quick(SystemLibraries(), std::chrono::milliseconds(300));
    ControlRegistrar quickRegistrar(quick, registry, {MENULET_LIBRARY});
    const std::vector<std::string> files = {
        cpdata.Copy(TestLibrary("hang_entry"), "A_Hangs.ocx"),
        cpdata.Copy(TestLibrary("probe_controls"), "B_Probe.ocx"),
        cpdata.Write("C_Menulet.ocx", ProgramFile(VersionInfo(MenuletVersion()))),
    };
    std::vector<bool> results;
    for (const std::string& f : files) results.push_back(quickRegistrar.RegisterComponentFile(f));
    EXPECT_EQ(results, (std::vector<bool>{false, true, true}));
    EXPECT_TRUE(registry.Find("ProbeLib.Probe"));
    EXPECT_TRUE(registry.Find(kMenuletId));
    EXPECT_EQ(quickRegistrar.Register(files[0], false).message,
              Canonical(files[0]) + ": given up earlier in this run (it hung or faulted)");
}

// With the test double: the ten-second limit, and releasing each library after registering.
TEST(RegistrarFakeTest, WaitsTenSecondsAndReleasesEveryLibrary) {
    static const sl_control_class kControl = {
        sizeof(sl_control_class),
        "Thing",
        [](const sl_host*, sl_error*) -> sl_instance* { return nullptr; },
        [](sl_instance*) {},
        [](sl_instance*, int32_t*, int32_t*) {},
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr};
    static const sl_control_class* const kControls[] = {&kControl};
    static const sl_library kTable = {sizeof(sl_library), 1, "Fake", nullptr, 1, kControls};
    static const sl_library* (*const entry)(uint32_t) = [](uint32_t) { return &kTable; };

    TempFolder folder;
    FakeDynamicLibraries fake;
    std::vector<std::string> files;
    for (const char* name : {"one.ocx", "two.ocx", "three.ocx"}) {
        files.push_back(Canonical(folder.Write(name,
                                               "\x7f"
                                               "ELF")));
        fake.AddLibrary(files.back(), {{SL_ENTRY_POINT_NAME, reinterpret_cast<void*>(entry)}});
    }
    ControlLoader loader(fake);
    MemoryProgIdStore store;
    ComponentRegistry registry(store);
    ControlRegistrar registrar(loader, registry);
    fake.nextRuns = {{ThreadRun::Outcome::Finished, {}},
                     {ThreadRun::Outcome::Crashed, "segmentation fault"},
                     {ThreadRun::Outcome::Finished, {}}};
    EXPECT_TRUE(registrar.RegisterComponentFile(files[0]));
    EXPECT_FALSE(registrar.RegisterComponentFile(files[1]));
    EXPECT_TRUE(registrar.RegisterComponentFile(files[2]));
    EXPECT_EQ(fake.record->limits,
              std::vector<std::chrono::milliseconds>(3, kRegistrationTimeLimit));
    EXPECT_EQ(fake.record->opens, 3);
    EXPECT_EQ(fake.record->releases, 2);  // the crashed one stays
    EXPECT_EQ(fake.record->kept, 1);
    EXPECT_EQ(registry.Find("Fake.Thing"), files[2]);  // the last registration wins
}

TEST_F(RegistrarTest, TheFactoryCreatesRegisteredControlsOnly) {
    ComponentFactory factory(loader, registry);
    RecordingSink sink;
    ControlError error;
    EXPECT_FALSE(factory.Create(kMenuletId, sink, error));
    EXPECT_EQ(error.number, kErrCannotCreate);
    EXPECT_EQ(error.description, "The control " + kMenuletId + " is not registered");

    ASSERT_TRUE(registrar.RegisterComponentFile(
        cpdata.Write("Menulet.ocx", ProgramFile(VersionInfo(MenuletVersion())))));
    auto menulet = factory.Create("MENULET.menuletcontrolrelease1", sink, error);
    ASSERT_TRUE(menulet) << error.description;
    EXPECT_EQ(menulet->ProgId(), kMenuletId);
    EXPECT_EQ(menulet->Size(), (ControlSize{205, 66}));

    // A registry entry the library does not answer to (the file was replaced, say).
    ASSERT_TRUE(registry.Register("Menulet.Other", Canonical(MENULET_LIBRARY)));
    EXPECT_FALSE(factory.Create("Menulet.Other", sink, error));
    EXPECT_EQ(error.description, "The control library " + Canonical(MENULET_LIBRARY) +
                                     " does not provide Menulet.Other");
    ASSERT_TRUE(registry.Register("Gone.Thing", cpdata.File("gone.so")));
    EXPECT_FALSE(factory.Create("Gone.Thing", sink, error));
    EXPECT_NE(error.description.find("The control library " + cpdata.File("gone.so") +
                                     " of Gone.Thing failed: "),
              std::string::npos)
        << error.description;
}

}  // namespace
}  // namespace storyloom
