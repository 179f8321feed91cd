#include "platform/components/ComponentRegistry.h"

#include <algorithm>

namespace storyloom {

namespace {

bool IsName(std::string_view name) {
    if (name.empty() || name.size() > 100) return false;
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(name[0])) return false;
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return letter(c) || (c >= '0' && c <= '9') || c == '_'; });
}

}  // namespace

std::string MemoryProgIdStore::Get(const std::string& progId) const {
    const auto it = entries.find(ComponentRegistry::Key(progId));
    return it == entries.end() ? std::string() : it->second;
}

bool MemoryProgIdStore::Set(const std::string& progId, const std::string& path) {
    ++writes;
    if (path.empty()) {
        entries.erase(ComponentRegistry::Key(progId));
    } else {
        entries[ComponentRegistry::Key(progId)] = path;
    }
    return true;
}

std::string ComponentRegistry::Key(std::string_view progId) {
    std::string out(progId);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    return out;
}

bool ComponentRegistry::IsProgId(std::string_view progId) {
    const size_t dot = progId.find('.');
    return dot != std::string_view::npos && IsName(progId.substr(0, dot)) &&
           IsName(progId.substr(dot + 1));
}

std::optional<std::string> ComponentRegistry::Find(std::string_view progId) const {
    if (!IsProgId(progId)) return std::nullopt;
    std::string path = store_.Get(std::string(progId));
    if (path.empty()) return std::nullopt;
    return path;
}

bool ComponentRegistry::Register(std::string_view progId, const std::string& path) {
    if (!IsProgId(progId) || path.empty()) return false;
    const std::string id(progId);
    if (store_.Get(id) == path) return true;
    return store_.Set(id, path);
}

bool ComponentRegistry::Unregister(std::string_view progId, const std::string& path) {
    if (!IsProgId(progId)) return false;
    const std::string id(progId);
    if (store_.Get(id) != path) return false;
    return store_.Set(id, {});
}

}  // namespace storyloom
