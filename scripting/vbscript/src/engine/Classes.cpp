// Instances of script classes: member access, Class_Initialize and Class_Terminate.
#include "codegen/Nodes.h"
#include "engine/EngineImpl.h"
#include "lib/strings/strings.h"

namespace vbs {

ClassInstance::ClassInstance(EngineImpl* e, const ClassDef* cls, std::shared_ptr<void> keep)
    : engine(e), cls_(cls), keep_(std::move(keep)), alive_(e->alive) {
    fields.resize(cls->fields.size());
}

int ClassInstance::FindMember(std::u16string_view name) {
    auto it = cls_->byName.find(rt::LCase(name));
    if (it == cls_->byName.end() || !cls_->members[size_t(it->second)].isPublic)
        return kDispUnknown;
    return it->second + 1;
}

Variant ClassInstance::Invoke(int id, InvokeKind kind, std::span<Variant> args) {
    int index = id == kDispValue ? cls_->defaultMember : id - 1;
    if (index < 0 || index >= int(cls_->members.size())) {
        if (id == kDispValue && args.empty() && kind == InvokeKind::Get) ThrowError(kErrNoMember);
        ThrowError(kErrNoMember);
    }
    return InvokeMember(index, kind, args);
}

Variant ClassInstance::InvokeMember(int index, InvokeKind kind, std::span<Variant> args) {
    if (!*alive_) ThrowError(kErrObjectNotSet);  // its engine is gone
    const ClassMember& m = cls_->members[size_t(index)];
    Ref<ClassInstance> keep(this);
    bool assigning = kind == InvokeKind::Let || kind == InvokeKind::Set;
    switch (m.kind) {
        case ClassMember::Field: {
            Variant& f = fields[size_t(m.field)];
            if (assigning) {
                Variant v = args.back().Deref();
                if (args.size() == 1) {
                    StoreValue(f, std::move(v), kind == InvokeKind::Set);
                    return {};
                }
                std::span<Variant> idx = args.first(args.size() - 1);
                if (f.IsArray()) {
                    StoreValue(*ArrayElement(f.MutableArray(), idx), std::move(v),
                               kind == InvokeKind::Set);
                    return {};
                }
                if (f.Type() == vtObject) {
                    RequireObject(f)->Invoke(kDispValue, kind, args);
                    return {};
                }
                ThrowError(kErrTypeMismatch);
            }
            if (args.empty()) return f;
            return IndexValueOf(*engine, f, args);
        }
        case ClassMember::Method:
            if (assigning || !m.method) ThrowError(kErrIllegalAssign);
            if (m.method->params.empty() && !args.empty()) {
                // obj.Items(1) on a member without parameters indexes its result.
                Variant r = engine->CallProc(m.method, this, nullptr, 0);
                return IndexValueOf(*engine, r, args);
            }
            return engine->CallProc(m.method, this, args.data(), args.size());
        case ClassMember::Property: {
            const ProcDef* p;
            if (kind == InvokeKind::Let)
                p = m.let;
            else if (kind == InvokeKind::Set)
                p = m.set ? m.set : m.let;
            else
                p = m.get;
            if (!p) ThrowError(assigning ? kErrIllegalAssign : kErrNoMember);
            if (!assigning && p->params.empty() && !args.empty()) {
                Variant r = engine->CallProc(p, this, nullptr, 0);
                return IndexValueOf(*engine, r, args);
            }
            return engine->CallProc(p, this, args.data(), args.size());
        }
    }
    return {};
}

bool ClassInstance::Enumerate(std::vector<Variant>& out) {
    if (cls_->defaultMember < 0) return false;
    Variant v = Invoke(kDispValue, InvokeKind::Get, {});
    if (v.IsArray()) {
        out = v.AsArray()->items;
        return true;
    }
    if (v.Type() == vtObject && v.AsObject()) return v.AsObject()->Enumerate(out);
    return false;
}

void ClassInstance::FinalRelease() {
    if (cls_->terminate && *alive_ && !engine->dying && !terminated_) {
        terminated_ = true;
        AddRef();
        Frame* savedFrame = engine->frame;
        int savedLine = engine->line;
        try {
            Frame top;
            if (!engine->frame) engine->frame = &top;
            engine->CallProc(cls_->terminate, this, nullptr, 0);
        } catch (...) {
            // An error in Class_Terminate is not reported: the object goes anyway.
        }
        engine->frame = savedFrame;
        engine->line = savedLine;
        Release();
        return;
    }
    delete this;
}

Variant EngineImpl::NewInstance(const ClassDef* cls, std::shared_ptr<void> keep) {
    auto* obj = new ClassInstance(this, cls, keep);
    Variant v = Variant::Object(obj);
    for (size_t i = 0; i < cls->fields.size(); ++i) {
        const FieldDef& f = cls->fields[i];
        if (f.isArray) obj->fields[i] = MakeFixedArray(*this, f.dims, true);
    }
    if (cls->initialize) {
        Frame top;
        Frame* saved = frame;
        if (!frame) frame = &top;
        int savedLine = line;
        try {
            CallProc(cls->initialize, obj, nullptr, 0);
        } catch (...) {
            frame = saved;
            throw;
        }
        frame = saved;
        line = savedLine;
    }
    return v;
}

}  // namespace vbs
