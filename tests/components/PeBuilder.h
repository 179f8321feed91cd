#pragma once
// Writes small Windows program files (PE32) with one resource, a version record, the way a
// linker lays them out; the tests and the fuzz target damage them on purpose.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace storyloom::testing {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, size_t at, uint16_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

inline void Put32(Bytes& b, size_t at, uint32_t v) {
    if (b.size() < at + 4) b.resize(at + 4);
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

inline void Pad4(Bytes& b) {
    while (b.size() % 4) b.push_back(0);
}

inline void AppendUtf16(Bytes& b, const std::u16string& text) {
    for (char16_t c : text) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
    }
    b.push_back(0);
    b.push_back(0);
}

// One block of a version record: header, key, value, children.
inline Bytes VersionBlock(const std::u16string& key, const Bytes& value, uint16_t valueLength,
                          uint16_t type, const std::vector<Bytes>& children) {
    Bytes b(6, 0);
    AppendUtf16(b, key);
    Pad4(b);
    b.insert(b.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        Pad4(b);
        b.insert(b.end(), child.begin(), child.end());
    }
    Put16(b, 0, uint16_t(b.size()));
    Put16(b, 2, valueLength);
    Put16(b, 4, type);
    return b;
}

inline Bytes TextEntry(const std::u16string& key, const std::u16string& value) {
    Bytes v;
    AppendUtf16(v, value);
    return VersionBlock(key, v, uint16_t(value.size() + 1), 1, {});
}

struct VersionSpec {
    std::vector<std::pair<std::u16string, std::u16string>> strings;
    std::array<uint16_t, 4> fileVersion{1, 0, 0, 0};
    std::array<uint16_t, 4> productVersion{1, 0, 0, 0};
};

// The record the Menulet control library of the games carries.
inline VersionSpec MenuletVersion() {
    return {{{u"CompanyName", u""},
             {u"ProductName", u"Menulet"},
             {u"FileVersion", u"1.00"},
             {u"ProductVersion", u"1.00"},
             {u"InternalName", u"MenuletControlRELEASE1"},
             {u"OriginalFilename", u"MenuletControlRELEASE1.ocx"},
             {u"OLESelfRegister", u""}},
            {1, 0, 0, 0},
            {1, 0, 0, 0}};
}

inline Bytes VersionInfo(const VersionSpec& spec) {
    Bytes fixed(52, 0);
    Put32(fixed, 0, 0xFEEF04BD);
    Put32(fixed, 4, 0x00010000);
    Put32(fixed, 8, uint32_t(spec.fileVersion[0]) << 16 | spec.fileVersion[1]);
    Put32(fixed, 12, uint32_t(spec.fileVersion[2]) << 16 | spec.fileVersion[3]);
    Put32(fixed, 16, uint32_t(spec.productVersion[0]) << 16 | spec.productVersion[1]);
    Put32(fixed, 20, uint32_t(spec.productVersion[2]) << 16 | spec.productVersion[3]);
    std::vector<Bytes> entries;
    for (const auto& [key, value] : spec.strings) entries.push_back(TextEntry(key, value));
    const Bytes table = VersionBlock(u"040904B0", {}, 0, 1, entries);
    const Bytes stringInfo = VersionBlock(u"StringFileInfo", {}, 0, 1, {table});
    Bytes translation(4, 0);
    Put16(translation, 0, 0x0409);
    Put16(translation, 2, 0x04B0);
    const Bytes var = VersionBlock(u"Translation", translation, 4, 0, {});
    const Bytes varInfo = VersionBlock(u"VarFileInfo", {}, 0, 1, {var});
    return VersionBlock(u"VS_VERSION_INFO", fixed, 52, 0, {stringInfo, varInfo});
}

// Where the parts of a written file are.
struct PeLayout {
    size_t peHeader = 0x80;
    size_t optionalHeader = 0x80 + 24;
    size_t sectionTable = 0x80 + 24 + 224;
    size_t resources = 0x200;             // the root resource directory
    size_t nameDirectory = 0x200 + 0x18;  // below the version type
    size_t languageDirectory = 0x200 + 0x30;
    size_t dataEntry = 0x200 + 0x48;
    size_t record = 0x200 + 0x58;  // the version record itself
};

// A PE32 library with one section, ".rsrc", holding one resource: `record` as the version
// record (type 16, id 1, language 0x409).
inline Bytes ProgramFile(const Bytes& record, PeLayout* layout = nullptr) {
    const PeLayout at;
    const uint32_t sectionRva = 0x1000;
    Bytes b(at.record, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, uint32_t(at.peHeader));
    Put32(b, at.peHeader, 0x00004550);     // "PE\0\0"
    Put16(b, at.peHeader + 4, 0x014C);     // i386
    Put16(b, at.peHeader + 6, 1);          // one section
    Put16(b, at.peHeader + 20, 224);       // optional header size
    Put16(b, at.peHeader + 22, 0x2102);    // a DLL
    Put16(b, at.optionalHeader, 0x010B);   // PE32
    Put32(b, at.optionalHeader + 92, 16);  // data directories
    const uint32_t resourcesSize = uint32_t(0x58 + record.size());
    Put32(b, at.optionalHeader + 96 + 2 * 8, sectionRva);
    Put32(b, at.optionalHeader + 96 + 2 * 8 + 4, resourcesSize);
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    for (int i = 0; i < 8; ++i) b[at.sectionTable + size_t(i)] = uint8_t(name[i]);
    const uint32_t rawSize = (resourcesSize + 0x1FF) & ~0x1FFu;
    Put32(b, at.sectionTable + 8, resourcesSize);
    Put32(b, at.sectionTable + 12, sectionRva);
    Put32(b, at.sectionTable + 16, rawSize);
    Put32(b, at.sectionTable + 20, uint32_t(at.resources));
    // Root: one id entry, type 16, to a subdirectory.
    Put16(b, at.resources + 14, 1);
    Put32(b, at.resources + 16, 16);
    Put32(b, at.resources + 20, 0x80000000u | 0x18);
    // Names: id 1.
    Put16(b, at.nameDirectory + 14, 1);
    Put32(b, at.nameDirectory + 16, 1);
    Put32(b, at.nameDirectory + 20, 0x80000000u | 0x30);
    // Languages: 0x409, to the data entry.
    Put16(b, at.languageDirectory + 14, 1);
    Put32(b, at.languageDirectory + 16, 0x409);
    Put32(b, at.languageDirectory + 20, 0x48);
    Put32(b, at.dataEntry, sectionRva + 0x58);
    Put32(b, at.dataEntry + 4, uint32_t(record.size()));
    b.insert(b.end(), record.begin(), record.end());
    b.resize(at.resources + rawSize, 0);
    if (layout) *layout = at;
    return b;
}

}  // namespace storyloom::testing
