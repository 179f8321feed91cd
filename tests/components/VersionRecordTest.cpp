// The version record of Windows program files written by the test: sound ones, ones naming
// other controls, and damaged ones (every cut, wrong offsets, loops, random damage).
#include <gtest/gtest.h>

#include <random>

#include "PeBuilder.h"
#include "TestSupport.h"
#include "platform/components/VersionRecord.h"

namespace storyloom {
namespace {

using namespace storyloom::testing;

TEST(VersionRecordTest, ReadsTheMenuletRecord) {
    const VersionRecordResult r = ReadVersionRecord(ProgramFile(VersionInfo(MenuletVersion())));
    ASSERT_TRUE(r.record) << r.error;
    const VersionRecord& v = *r.record;
    EXPECT_EQ(v.Get("ProductName"), "Menulet");
    EXPECT_EQ(v.Get("internalname"), "MenuletControlRELEASE1");
    EXPECT_EQ(v.Get("OriginalFilename"), "MenuletControlRELEASE1.ocx");
    EXPECT_EQ(v.Get("FileVersion"), "1.00");
    EXPECT_TRUE(v.SelfRegistering());
    EXPECT_TRUE(v.Has("CompanyName"));
    EXPECT_FALSE(v.Has("LegalCopyright"));
    ASSERT_TRUE(v.fileVersion);
    EXPECT_EQ(*v.fileVersion, (std::array<uint16_t, 4>{1, 0, 0, 0}));
    EXPECT_EQ(v.strings.size(), 7u);
}

TEST(VersionRecordTest, TextBeyondAsciiAndOtherNames) {
    VersionSpec spec;
    spec.strings = {{u"ProductName", u"Kn\u00f6pfe \U0001F600"}, {u"InternalName", u"Clock"}};
    spec.fileVersion = {2, 5, 30, 4001};
    const VersionRecordResult r = ReadVersionRecord(ProgramFile(VersionInfo(spec)));
    ASSERT_TRUE(r.record) << r.error;
    EXPECT_EQ(r.record->Get("ProductName"), "Kn\xC3\xB6pfe \xF0\x9F\x98\x80");
    EXPECT_EQ(r.record->Get("InternalName"), "Clock");
    EXPECT_FALSE(r.record->SelfRegistering());
    EXPECT_EQ(*r.record->fileVersion, (std::array<uint16_t, 4>{2, 5, 30, 4001}));
}

TEST(VersionRecordTest, FilesWithoutARecord) {
    EXPECT_EQ(ReadVersionRecord({}).error, "not a Windows program file");
    const std::vector<uint8_t> elf = {0x7f, 'E', 'L', 'F', 2, 1, 1, 0};
    EXPECT_EQ(ReadVersionRecord(elf).error, "not a Windows program file");
    // A DOS program: "MZ" without a PE header.
    std::vector<uint8_t> dos(0x40, 0);
    dos[0] = 'M';
    dos[1] = 'Z';
    EXPECT_EQ(ReadVersionRecord(dos).error, "no PE header");

    // Resources without a version record: the type is changed to 14 (icon group).
    PeLayout at;
    Bytes file = ProgramFile(VersionInfo(MenuletVersion()), &at);
    Put32(file, at.resources + 16, 14);
    EXPECT_EQ(ReadVersionRecord(file).error, "no version record");

    // No resource directory at all.
    file = ProgramFile(VersionInfo(MenuletVersion()), &at);
    Put32(file, at.optionalHeader + 96 + 16, 0);
    EXPECT_EQ(ReadVersionRecord(file).error, "no resources");
}

TEST(VersionRecordTest, DamagedHeadersAndDirectoriesAreErrors) {
    PeLayout at;
    const Bytes good = ProgramFile(VersionInfo(MenuletVersion()), &at);
    struct Damage {
        const char* what;
        size_t offset;
        uint32_t value;
        const char* error;
    };
    const std::vector<Damage> damages = {
        {"PE header beyond the end", 0x3C, 0xFFFFFFF0u, "no PE header"},
        {"section table beyond the end", at.peHeader + 6, 0xFFFF, "truncated section table"},
        {"optional header beyond the end", at.peHeader + 20, 0xFFFF, "truncated optional header"},
        {"unknown optional header", at.optionalHeader, 0x0107, "unknown optional header"},
        {"resources outside every section", at.optionalHeader + 96 + 16, 0x7FFFFFF0u,
         "damaged resource directory"},
        {"section data beyond the end", at.sectionTable + 20, 0xFFFFFF00u,
         "damaged resource directory"},
        {"version type is no directory", at.resources + 20, 0x18, "damaged version record"},
        {"name directory beyond the resources", at.resources + 20, 0x80FFFFFFu,
         "damaged version record"},
        {"data entry beyond the resources", at.languageDirectory + 20, 0x7FFFFFF0u,
         "damaged version record"},
        {"data beyond the file", at.dataEntry, 0xFFFFFFF0u, "damaged version record"},
        {"data longer than the file", at.dataEntry + 4, 0x7FFFFFFFu, "damaged version record"},
        {"record of length 0", at.record, 0, "damaged version record"},
        {"record with another key", at.record + 6, 'W', "damaged version record"},
        // A language entry that points back at its own directory: no loop, no record.
        {"directory loop", at.languageDirectory + 20, 0x80000030u, "damaged version record"},
    };
    for (const Damage& d : damages) {
        Bytes file = good;
        if (d.value > 0xFFFF || d.offset == 0x3C || d.offset % 4 == 0) {
            Put32(file, d.offset, d.value);
        } else {
            Put16(file, d.offset, uint16_t(d.value));
        }
        const VersionRecordResult r = ReadVersionRecord(file);
        EXPECT_FALSE(r.record) << d.what;
        EXPECT_EQ(r.error, d.error) << d.what;
    }
}

TEST(VersionRecordTest, DamageInsideTheRecordKeepsWhatIsSound) {
    PeLayout at;
    const Bytes record = VersionInfo(MenuletVersion());
    // The first string entry claims to be longer than its table: cut at the table's end.
    Bytes file = ProgramFile(record, &at);
    const size_t stringInfo = at.record + 0x5C;  // after the key and the fixed part
    ASSERT_EQ(file[stringInfo + 6], 'S');
    const size_t table = stringInfo + 36;
    ASSERT_EQ(file[table + 6], '0');
    const size_t firstEntry = table + 24;
    Put16(file, firstEntry, 0xFFFF);
    VersionRecordResult r = ReadVersionRecord(file);
    ASSERT_TRUE(r.record) << r.error;
    EXPECT_EQ(r.record->strings.size(), 1u);
    EXPECT_EQ(r.record->Get("ProductName"), "");

    // An entry with length 0 ends its list; what came before stays.
    file = ProgramFile(record, &at);
    size_t entry = firstEntry;
    for (int i = 0; i < 2; ++i) {
        uint16_t length = uint16_t(file[entry] | (file[entry + 1] << 8));
        entry += (length + 3) & ~3u;
    }
    Put16(file, entry, 0);
    r = ReadVersionRecord(file);
    ASSERT_TRUE(r.record) << r.error;
    EXPECT_EQ(r.record->strings.size(), 2u);
    EXPECT_EQ(r.record->Get("ProductName"), "Menulet");
}

TEST(VersionRecordTest, EveryCutOfAFileIsReadSafely) {
    PeLayout at;
    const Bytes record = VersionInfo(MenuletVersion());
    const Bytes good = ProgramFile(record, &at);
    const size_t recordEnd = at.record + record.size();
    for (size_t n = 0; n < good.size(); ++n) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        const VersionRecordResult r = ReadVersionRecord(cut);
        // Cuts in the section's padding keep the record; any shorter one loses it.
        EXPECT_EQ(bool(r.record), n >= recordEnd) << n;
        EXPECT_EQ(r.error.empty(), bool(r.record)) << n;
    }
}

TEST(VersionRecordTest, RandomDamageNeverReadsOutsideTheFile) {
    const Bytes good = ProgramFile(VersionInfo(MenuletVersion()));
    std::mt19937 random(20240613);
    for (int round = 0; round < 20000; ++round) {
        Bytes file = good;
        const int changes = 1 + int(random() % 8);
        for (int i = 0; i < changes; ++i) file[random() % file.size()] = uint8_t(random());
        const VersionRecordResult r = ReadVersionRecord(file);
        ASSERT_TRUE(r.record || !r.error.empty());
        if (r.record) {
            for (const auto& [k, v] : r.record->strings) ASSERT_LE(k.size() + v.size(), 3 * 65536u);
        }
    }
}

TEST(VersionRecordTest, ReadsFromAFile) {
    TempFolder folder;
    const std::string path =
        folder.Write("Menulet.ocx", ProgramFile(VersionInfo(MenuletVersion())));
    const VersionRecordResult r = ReadVersionRecordFile(path);
    ASSERT_TRUE(r.record) << r.error;
    EXPECT_EQ(r.record->Get("InternalName"), "MenuletControlRELEASE1");
    EXPECT_EQ(ReadVersionRecordFile(folder.File("none.ocx")).error, "cannot be read");
    EXPECT_TRUE(LooksLikeProgramFile(std::vector<uint8_t>{'M', 'Z', 0}));
    EXPECT_FALSE(LooksLikeProgramFile(std::vector<uint8_t>{'M'}));
}

}  // namespace
}  // namespace storyloom
