#include "platform/components/VersionRecord.h"

#include <algorithm>
#include <fstream>

namespace storyloom {

namespace {

// Bounds-checked little-endian reads; every offset is a size_t into `bytes`.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t Size() const { return bytes_.size(); }
    bool Fits(uint64_t offset, uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    bool U16(uint64_t offset, uint16_t& out) const {
        if (!Fits(offset, 2)) return false;
        out = uint16_t(bytes_[offset] | (bytes_[offset + 1] << 8));
        return true;
    }
    bool U32(uint64_t offset, uint32_t& out) const {
        if (!Fits(offset, 4)) return false;
        out = uint32_t(bytes_[offset]) | (uint32_t(bytes_[offset + 1]) << 8) |
              (uint32_t(bytes_[offset + 2]) << 16) | (uint32_t(bytes_[offset + 3]) << 24);
        return true;
    }
    std::span<const uint8_t> Sub(size_t offset, size_t length) const {
        return bytes_.subspan(offset, length);
    }

  private:
    std::span<const uint8_t> bytes_;
};

constexpr size_t Align4(size_t n) {
    return (n + 3) & ~size_t(3);
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);  // a lone surrogate
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// ---- VS_VERSIONINFO --------------------------------------------------------------------
//
// A tree of blocks: wLength (the block with its children), wValueLength, wType (1: text),
// a NUL-terminated UTF-16 key, padding to 32 bits, the value, padding, the children.

struct Block {
    size_t end = 0;  // one past the block, within its parent
    uint16_t valueLength = 0;
    uint16_t type = 0;
    std::u16string key;
    size_t valueStart = 0;
};

bool ReadBlock(const Reader& r, size_t start, size_t limit, Block& block) {
    uint16_t length = 0;
    if (start >= limit || limit - start < 6 || !r.U16(start, length) || length < 6) return false;
    block.end = std::min(limit, start + length);
    r.U16(start + 2, block.valueLength);
    r.U16(start + 4, block.type);
    block.key.clear();
    size_t pos = start + 6;
    for (;;) {
        uint16_t unit = 0;
        if (pos + 2 > block.end || !r.U16(pos, unit)) return false;  // key without its end
        pos += 2;
        if (unit == 0) break;
        block.key += char16_t(unit);
    }
    block.valueStart = std::min(Align4(pos), block.end);
    return true;
}

// Where the children of a block start: after its value, aligned.
size_t ChildrenStart(const Block& block) {
    const size_t valueBytes = block.type == 1 ? size_t(block.valueLength) * 2 : block.valueLength;
    return std::min(Align4(block.valueStart + valueBytes), block.end);
}

std::u16string TextAt(const Reader& r, size_t start, size_t end) {
    std::u16string text;
    for (size_t pos = start; pos + 2 <= end; pos += 2) {
        uint16_t unit = 0;
        if (!r.U16(pos, unit) || unit == 0) break;
        text += char16_t(unit);
    }
    return text;
}

// Calls fn(child) for each child block of `parent`, in order, until padding or garbage.
template <typename Fn>
void ForEachChild(const Reader& r, const Block& parent, Fn fn) {
    size_t pos = ChildrenStart(parent);
    Block child;
    while (ReadBlock(r, pos, parent.end, child)) {
        fn(child);
        pos = Align4(child.end);  // blocks are at least 6 bytes: always moves on
    }
}

std::optional<VersionRecord> ParseVersionInfo(std::span<const uint8_t> data) {
    const Reader r(data);
    Block root;
    if (!ReadBlock(r, 0, r.Size(), root) || root.key != u"VS_VERSION_INFO") return std::nullopt;
    VersionRecord record;
    uint32_t signature = 0;
    if (root.valueLength >= 52 && root.valueStart + 52 <= root.end &&
        r.U32(root.valueStart, signature) && signature == 0xFEEF04BD) {
        uint32_t fileMs = 0, fileLs = 0, productMs = 0, productLs = 0;
        r.U32(root.valueStart + 8, fileMs);
        r.U32(root.valueStart + 12, fileLs);
        r.U32(root.valueStart + 16, productMs);
        r.U32(root.valueStart + 20, productLs);
        record.fileVersion = std::array<uint16_t, 4>{uint16_t(fileMs >> 16), uint16_t(fileMs),
                                                     uint16_t(fileLs >> 16), uint16_t(fileLs)};
        record.productVersion =
            std::array<uint16_t, 4>{uint16_t(productMs >> 16), uint16_t(productMs),
                                    uint16_t(productLs >> 16), uint16_t(productLs)};
    }
    ForEachChild(r, root, [&](const Block& info) {
        if (info.key != u"StringFileInfo") return;
        ForEachChild(r, info, [&](const Block& table) {
            ForEachChild(r, table, [&](const Block& entry) {
                record.strings.emplace_back(Utf16ToUtf8(entry.key),
                                            Utf16ToUtf8(TextAt(r, entry.valueStart, entry.end)));
            });
        });
    });
    return record;
}

// ---- PE file and resource directory ----------------------------------------------------

struct Section {
    uint32_t virtualAddress = 0;
    uint32_t size = 0;  // bytes of the section present in the file
    uint32_t rawOffset = 0;
};

constexpr uint32_t kResourceTypeVersion = 16;
constexpr uint32_t kHighBit = 0x80000000u;
// Entries looked at per level below the version type; real files have one or a few.
constexpr uint32_t kMaxEntriesTried = 16;

class PeImage {
  public:
    explicit PeImage(std::span<const uint8_t> file) : r_(file) {}

    // Reads the headers; an error text, or empty when they are sound.
    std::string ReadHeaders() {
        uint16_t mz = 0;
        if (!r_.U16(0, mz) || mz != 0x5A4D) return "not a Windows program file";
        uint32_t peOffset = 0, signature = 0;
        if (!r_.U32(0x3C, peOffset) || !r_.U32(peOffset, signature) || signature != 0x4550) {
            return "no PE header";
        }
        const uint64_t coff = uint64_t(peOffset) + 4;
        uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
        if (!r_.U16(coff + 2, sectionCount) || !r_.U16(coff + 16, optionalSize)) {
            return "truncated PE header";
        }
        const uint64_t optional = coff + 20;
        if (!r_.Fits(optional, optionalSize) || !r_.U16(optional, magic)) {
            return "truncated optional header";
        }
        uint64_t countAt = 0;
        if (magic == 0x10B) {
            countAt = optional + 92;
        } else if (magic == 0x20B) {
            countAt = optional + 108;
        } else {
            return "unknown optional header";
        }
        uint32_t directoryCount = 0;
        const uint64_t resourceEntry = countAt + 4 + 2 * 8;
        if (countAt + 4 <= optional + optionalSize && r_.U32(countAt, directoryCount) &&
            directoryCount > 2 && resourceEntry + 8 <= optional + optionalSize) {
            r_.U32(resourceEntry, resourceRva_);
        }
        const uint64_t table = optional + optionalSize;
        if (!r_.Fits(table, uint64_t(sectionCount) * 40)) return "truncated section table";
        for (uint32_t i = 0; i < sectionCount; ++i) {
            const uint64_t at = table + uint64_t(i) * 40;
            uint32_t virtualSize = 0;
            Section s;
            r_.U32(at + 8, virtualSize);
            r_.U32(at + 12, s.virtualAddress);
            r_.U32(at + 16, s.size);
            r_.U32(at + 20, s.rawOffset);
            if (virtualSize != 0 && virtualSize < s.size) s.size = virtualSize;
            sections_.push_back(s);
        }
        if (resourceRva_ == 0) return "no resources";
        return {};
    }

    // The file offset of `length` bytes at `rva`, when they lie in one section and the file.
    std::optional<size_t> Map(uint64_t rva, uint64_t length) const {
        for (const Section& s : sections_) {
            if (rva < s.virtualAddress) continue;
            const uint64_t inSection = rva - s.virtualAddress;
            if (inSection > s.size || length > s.size - inSection) continue;
            const uint64_t offset = uint64_t(s.rawOffset) + inSection;
            if (!r_.Fits(offset, length)) return std::nullopt;
            return size_t(offset);
        }
        return std::nullopt;
    }

    struct Entry {
        uint32_t name = 0;   // id, or offset of a name with the high bit
        uint32_t where = 0;  // offset of the data entry, or of a subdirectory with the high bit
    };

    // The entries of the resource directory at `offset` from the start of the resources.
    std::optional<std::vector<Entry>> Directory(uint32_t offset, uint32_t maxEntries) const {
        const uint64_t rva = uint64_t(resourceRva_) + offset;
        const std::optional<size_t> header = Map(rva, 16);
        if (!header) return std::nullopt;
        uint16_t named = 0, ids = 0;
        r_.U16(*header + 12, named);
        r_.U16(*header + 14, ids);
        const uint32_t count = std::min<uint32_t>(uint32_t(named) + ids, maxEntries);
        const std::optional<size_t> at = Map(rva + 16, uint64_t(count) * 8);
        if (!at) return std::nullopt;
        std::vector<Entry> entries(count);
        for (uint32_t i = 0; i < count; ++i) {
            r_.U32(*at + i * 8, entries[i].name);
            r_.U32(*at + i * 8 + 4, entries[i].where);
        }
        return entries;
    }

    // The bytes of the resource whose data entry is at `offset`.
    std::optional<std::span<const uint8_t>> Data(uint32_t offset) const {
        const std::optional<size_t> entry = Map(uint64_t(resourceRva_) + offset, 16);
        if (!entry) return std::nullopt;
        uint32_t rva = 0, size = 0;
        r_.U32(*entry, rva);
        r_.U32(*entry + 4, size);
        const std::optional<size_t> at = Map(rva, size);
        if (!at) return std::nullopt;
        return r_.Sub(*at, size);
    }

  private:
    Reader r_;
    uint32_t resourceRva_ = 0;
    std::vector<Section> sections_;
};

}  // namespace

std::string VersionRecord::Get(std::string_view key) const {
    for (const auto& [k, v] : strings) {
        if (EqualsNoCase(k, key)) return v;
    }
    return {};
}

bool VersionRecord::Has(std::string_view key) const {
    return std::any_of(strings.begin(), strings.end(),
                       [&](const auto& entry) { return EqualsNoCase(entry.first, key); });
}

bool LooksLikeProgramFile(std::span<const uint8_t> head) {
    return head.size() >= 2 && head[0] == 'M' && head[1] == 'Z';
}

VersionRecordResult ReadVersionRecord(std::span<const uint8_t> file) {
    PeImage image(file);
    if (std::string error = image.ReadHeaders(); !error.empty()) return {std::nullopt, error};
    const auto types = image.Directory(0, 0xFFFFFFFFu);
    if (!types) return {std::nullopt, "damaged resource directory"};
    bool damaged = false;
    for (const PeImage::Entry& type : *types) {
        if (type.name != kResourceTypeVersion) continue;
        if (!(type.where & kHighBit)) {
            damaged = true;
            continue;
        }
        const auto names = image.Directory(type.where & ~kHighBit, kMaxEntriesTried);
        if (!names) {
            damaged = true;
            continue;
        }
        for (const PeImage::Entry& name : *names) {
            if (!(name.where & kHighBit)) {
                damaged = true;
                continue;
            }
            const auto languages = image.Directory(name.where & ~kHighBit, kMaxEntriesTried);
            if (!languages) {
                damaged = true;
                continue;
            }
            for (const PeImage::Entry& language : *languages) {
                if (language.where & kHighBit) {
                    damaged = true;
                    continue;
                }
                const auto data = image.Data(language.where);
                if (!data) {
                    damaged = true;
                    continue;
                }
                if (auto record = ParseVersionInfo(*data)) return {std::move(record), {}};
                damaged = true;
            }
        }
    }
    return {std::nullopt, damaged ? "damaged version record" : "no version record"};
}

VersionRecordResult ReadVersionRecordFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {std::nullopt, "cannot be read"};
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return {std::nullopt, "cannot be read"};
    if (uint64_t(size) > kMaxProgramFileBytes) return {std::nullopt, "too large"};
    in.seekg(0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        return {std::nullopt, "cannot be read"};
    }
    return ReadVersionRecord(bytes);
}

}  // namespace storyloom
