// Objects and the kinds of values: IsObject, IsEmpty, IsNull, VarType, TypeName, CreateObject,
// GetObject, GetRef (with the function objects it makes) and Err (with its object).
#include "codegen/Nodes.h"
#include "lib/Library.h"
#include "lib/strings/strings.h"

namespace vbs::lib {

namespace {

class ErrObject : public Dispatch {
  public:
    explicit ErrObject(EngineImpl* e) : e_(e) {}
    std::u16string TypeName() override { return u"Object"; }
    int FindMember(std::u16string_view name) override {
        return FindIn(
            {u"number", u"description", u"source", u"helpfile", u"helpcontext", u"raise", u"clear"},
            name);
    }
    Variant Invoke(int id, InvokeKind kind, std::span<Variant> args) override {
        ErrState& s = e_->err;
        bool put = kind == InvokeKind::Let || kind == InvokeKind::Set;
        if (id == kDispValue) id = 1;
        switch (id) {
            case 1:
                if (put) {
                    s.number = ToLong(args.back());
                    return {};
                }
                return Variant::Long(s.number);
            case 2:
                if (put) {
                    s.description = ToStr(args.back());
                    return {};
                }
                return Variant::String(s.description);
            case 3:
                if (put) {
                    s.source = ToStr(args.back());
                    return {};
                }
                return Variant::String(s.source);
            case 4:
                if (put) {
                    s.helpFile = ToStr(args.back());
                    return {};
                }
                return Variant::String(s.helpFile);
            case 5:
                if (put) {
                    s.helpContext = ToLong(args.back());
                    return {};
                }
                return Variant::Long(s.helpContext);
            case 6: {
                if (args.empty() || args.size() > 5) ThrowError(kErrWrongArgs);
                int32_t number = ToLong(args[0]);
                if (number == 0) ThrowError(kErrInvalidCall);
                // VBScript's own HRESULTs (and out of memory) become plain error numbers.
                if ((uint32_t(number) & 0xFFFF0000u) == 0x800A0000u) number &= 0xFFFF;
                if (uint32_t(number) == 0x8007000Eu) number = kErrOutOfMemory;
                if (number > 0xFFFF) ThrowError(kErrInvalidCall);
                // What is not given stays as the Err object has it.
                const ErrState& cur = e_->err;
                std::u16string source = Missing(args, 1) ? cur.source : ToStr(args[1]);
                std::u16string desc = Missing(args, 2) ? cur.description : ToStr(args[2]);
                if (desc.empty()) {
                    desc = ErrorDescription(number);
                    if (desc.empty()) desc = u"Unknown runtime error";
                }
                if (source.empty()) source = u"Microsoft VBScript runtime error";
                ScriptException ex(number, desc, source);
                ex.helpFile = Missing(args, 3) ? cur.helpFile : ToStr(args[3]);
                ex.helpContext = Missing(args, 4) ? cur.helpContext : ToLong(args[4]);
                throw ex;
            }
            case 7:
                e_->ClearErr();
                return {};
        }
        ThrowError(kErrNoMember);
    }

  private:
    EngineImpl* e_;
};

// The object GetRef returns: calling its default member calls the procedure.
class ProcRef : public Dispatch {
  public:
    ProcRef(EngineImpl* e, const ProcDef* p) : e_(e), p_(p) {}
    int FindMember(std::u16string_view) override { return kDispUnknown; }
    Variant Invoke(int id, InvokeKind kind, std::span<Variant> args) override {
        if (id != kDispValue || kind == InvokeKind::Let || kind == InvokeKind::Set)
            ThrowError(kErrNoMember);
        Frame top;
        Variant local;
        top.locals = &local;
        Frame* saved = e_->frame;
        if (!e_->frame) e_->frame = &top;
        try {
            Variant r = e_->CallProc(p_, nullptr, args.data(), args.size());
            e_->frame = saved;
            return r;
        } catch (...) {
            e_->frame = saved;
            throw;
        }
    }

  private:
    EngineImpl* e_;
    const ProcDef* p_;
};

Variant FnIsObject(EngineImpl&, Args a) {
    return Variant::Bool(A(a, 0).Type() == vtObject);
}

Variant FnIsEmpty(EngineImpl&, Args a) {
    return Variant::Bool(A(a, 0).IsEmpty());
}

Variant FnIsNull(EngineImpl&, Args a) {
    return Variant::Bool(A(a, 0).IsNull());
}

Variant FnVarType(EngineImpl&, Args a) {
    return Variant::Integer(int16_t(VarTypeOf(A(a, 0))));
}

Variant FnTypeName(EngineImpl&, Args a) {
    return Str(TypeNameOf(A(a, 0)));
}

Variant FnCreateObject(EngineImpl& e, Args a) {
    return e.CreateObject(S(a, 0));
}

Variant FnGetObject(EngineImpl&, Args) {
    ThrowError(kErrCantCreate);
}

Variant FnGetRef(EngineImpl& e, Args a) {
    int atom = e.AtomOf(S(a, 0));
    GlobalSlot& g = e.Slot(atom);
    if (g.kind != SlotKind::Proc) ThrowError(kErrInvalidCall);
    return MakeProcRef(e, g.proc);
}

Variant FnErr(EngineImpl& e, Args) {
    return Variant::Object(e.errObject.get());
}

Variant CvbObjectError(EngineImpl&, Args) {
    return Variant::Long(-2147221504);
}

}  // namespace

std::span<const Builtin> ObjectLibrary() {
    static const Builtin kTable[] = {
        {u"isobject", FnIsObject, 1, 1, false},
        {u"isempty", FnIsEmpty, 1, 1, false},
        {u"isnull", FnIsNull, 1, 1, false},
        {u"vartype", FnVarType, 1, 1, false},
        {u"typename", FnTypeName, 1, 1, false},
        {u"createobject", FnCreateObject, 1, 2, false},
        {u"getobject", FnGetObject, 0, 2, false},
        {u"getref", FnGetRef, 1, 1, false},
        {u"err", FnErr, 0, 0, true},
        {u"vbobjecterror", CvbObjectError, 0, 0, true},
    };
    return kTable;
}

Variant MakeProcRef(EngineImpl& e, const ProcDef* p) {
    return Variant::Object(new ProcRef(&e, p));
}

Ref<Dispatch> NewErrObject(EngineImpl& e) {
    return Ref<Dispatch>(new ErrObject(&e));
}

}  // namespace vbs::lib
