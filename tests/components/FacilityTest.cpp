// The run's control facility: the player's own libraries, creating by program identifier and
// the licence list.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/components/ControlFacility.h"

namespace storyloom::testing {
namespace {

TEST(ControlFacilityTest, RegistersTheOwnLibrariesThatExist) {
    MemoryProgIdStore store;
    ControlFacility facility(store, {MENULET_LIBRARY, "/nonexistent/libGone.so"});
    EXPECT_FALSE(facility.IsRegistered("Menulet.MenuletControlRELEASE1"));
    EXPECT_EQ(facility.RegisterOwnLibraries(), 1);
    EXPECT_TRUE(facility.IsRegistered("menulet.menuletcontrolrelease1"));
    EXPECT_FALSE(facility.IsRegistered("Menulet"));
    EXPECT_FALSE(facility.IsRegistered("Menulet.Other"));
}

TEST(ControlFacilityTest, CreatesOnlyWhatIsRegistered) {
    MemoryProgIdStore store;
    ControlFacility facility(store, {});
    RecordingSink sink;
    ControlError error;
    EXPECT_EQ(facility.Create("ProbeLib.Probe", sink, error), nullptr);
    EXPECT_EQ(error.number, kErrCannotCreate);
    ASSERT_TRUE(facility.RegisterComponentFile(TestLibrary("probe_controls")));
    for (const char* bad : {"", "ProbeLib", "ProbeLib.Probe.Extra", "Probe Lib.Probe", "."}) {
        error = {};
        EXPECT_EQ(facility.Create(bad, sink, error), nullptr) << bad;
        EXPECT_EQ(error.number, kErrCannotCreate) << bad;
    }
    error = {};
    std::shared_ptr<ControlInstance> probe = facility.Create("probelib.PROBE", sink, error);
    ASSERT_NE(probe, nullptr) << error.description;
    EXPECT_EQ(probe->Size(), (ControlSize{40, 30}));
    EXPECT_EQ(facility.Create("ProbeLib.Refused", sink, error), nullptr);
    EXPECT_EQ(error.number, 1001);
    probe->Close();
}

TEST(ControlFacilityTest, TheLicenceListStaysSmall) {
    MemoryProgIdStore store;
    ControlFacility facility(store, {});
    facility.AddLicense("A.B");
    facility.AddLicense("a.b");
    EXPECT_EQ(facility.Licenses(), std::vector<std::string>{"a.b"});
    for (int i = 0; i < 5000; ++i) facility.AddLicense("Lib.Control" + std::to_string(i));
    EXPECT_EQ(facility.Licenses().size(), ControlFacility::kMaxLicenses);
    facility.ClearLicenses();
    EXPECT_TRUE(facility.Licenses().empty());
}

}  // namespace
}  // namespace storyloom::testing
