// HostObject: the convenient base for host objects, members registered by name.
#include "vbscript/Engine.h"

#include "lib/strings/strings.h"
#include "values/Ops.h"

namespace vbs {

int HostObject::AddMethod(std::u16string_view name, Getter fn) {
    return AddProperty(name, std::move(fn), nullptr);
}

int HostObject::AddProperty(std::u16string_view name, Getter get, Setter set) {
    members_.push_back({std::u16string(name), std::move(get), std::move(set)});
    int id = int(members_.size());
    byName_[rt::LCase(name)] = id;
    return id;
}

void HostObject::SetDefault(std::u16string_view name) {
    auto it = byName_.find(rt::LCase(name));
    if (it != byName_.end()) default_ = it->second;
}

int HostObject::FindMember(std::u16string_view name) {
    auto it = byName_.find(rt::LCase(name));
    return it == byName_.end() ? kDispUnknown : it->second;
}

Variant HostObject::Invoke(int id, InvokeKind kind, std::span<Variant> args) {
    if (id == kDispValue) id = default_;
    if (id <= 0 || id > int(members_.size())) ThrowError(438);
    Member& m = members_[size_t(id - 1)];
    if (kind == InvokeKind::Let || kind == InvokeKind::Set) {
        if (!m.set || args.empty()) ThrowError(438);
        m.set(args.first(args.size() - 1), args.back());
        return {};
    }
    if (!m.get) ThrowError(438);
    return m.get(args);
}

bool HostObject::Enumerate(std::vector<Variant>& out) {
    if (!enumerate_) return false;
    out = enumerate_();
    return true;
}

}  // namespace vbs
