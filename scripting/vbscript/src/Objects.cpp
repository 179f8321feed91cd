// The built-in objects: Err, Scripting.Dictionary, RegExp with its matches, GetRef's function
// objects.
#include <cmath>
#include <map>

#include "Nodes.h"
#include "runtime/numbers.h"
#include "runtime/regexp.h"
#include "runtime/strings.h"

namespace vbs {

namespace {

// Members looked up in a fixed table by lower-case name.
int FindIn(std::initializer_list<const char16_t*> names, std::u16string_view name) {
    std::u16string lower = rt::LCase(name);
    int id = 1;
    for (const char16_t* n : names) {
        if (lower == n) return id;
        ++id;
    }
    return kDispUnknown;
}

bool Missing(std::span<Variant> a, size_t i) {
    return i >= a.size() ||
           (a[i].Deref().Type() == vtError && a[i].Deref().AsError() == int32_t(0x80020004));
}

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

// ---- Scripting.Dictionary ----

class Dictionary : public Dispatch {
  public:
    std::u16string TypeName() override { return u"Dictionary"; }
    int FindMember(std::u16string_view name) override {
        return FindIn({u"add", u"exists", u"item", u"items", u"keys", u"remove", u"removeall",
                       u"count", u"comparemode", u"key", u"hashval"},
                      name);
    }
    bool Enumerate(std::vector<Variant>& out) override {
        out = keys_;
        return true;
    }
    Variant Invoke(int id, InvokeKind kind, std::span<Variant> args) override {
        bool put = kind == InvokeKind::Let || kind == InvokeKind::Set;
        if (id == kDispValue) id = 3;
        switch (id) {
            case 1: {  // Add
                if (args.size() != 2) ThrowError(kErrWrongArgs);
                std::u16string k = KeyOf(args[0]);
                if (index_.count(k)) ThrowError(kErrKeyExists);
                index_.emplace(k, keys_.size());
                keys_.push_back(args[0].Deref());
                items_.push_back(args[1].Deref());
                return {};
            }
            case 2:  // Exists
                if (args.size() != 1) ThrowError(kErrWrongArgs);
                return Variant::Bool(index_.count(KeyOf(args[0])) != 0);
            case 3: {  // Item
                if (args.empty()) ThrowError(kErrWrongArgs);
                std::u16string k = KeyOf(args[0]);
                auto it = index_.find(k);
                if (put) {
                    if (args.size() != 2) ThrowError(kErrWrongArgs);
                    Variant v = args[1].Deref();
                    if (it == index_.end()) {
                        index_.emplace(k, keys_.size());
                        keys_.push_back(args[0].Deref());
                        items_.push_back(std::move(v));
                    } else {
                        items_[it->second] = std::move(v);
                    }
                    return {};
                }
                if (args.size() != 1) ThrowError(kErrWrongArgs);
                if (it == index_.end()) {
                    // Reading a missing key adds it with an empty item.
                    index_.emplace(k, keys_.size());
                    keys_.push_back(args[0].Deref());
                    items_.emplace_back();
                    return {};
                }
                return items_[it->second];
            }
            case 4:
                return ToArray(items_);
            case 5:
                return ToArray(keys_);
            case 6: {  // Remove
                if (args.size() != 1) ThrowError(kErrWrongArgs);
                auto it = index_.find(KeyOf(args[0]));
                if (it == index_.end()) ThrowError(kErrElementNotFound);
                size_t pos = it->second;
                keys_.erase(keys_.begin() + long(pos));
                items_.erase(items_.begin() + long(pos));
                Reindex();
                return {};
            }
            case 7:
                keys_.clear();
                items_.clear();
                index_.clear();
                return {};
            case 8:
                return Variant::Long(int32_t(keys_.size()));
            case 9:  // CompareMode
                if (put) {
                    if (!keys_.empty()) ThrowError(kErrInvalidCall);
                    int m = ToLong(args.back());
                    if (m < 0 || m > 2) ThrowError(kErrInvalidCall);
                    mode_ = m;
                    return {};
                }
                return Variant::Long(mode_);
            case 10: {  // Key (assignment renames)
                if (!put || args.size() != 2) ThrowError(kErrWrongArgs);
                auto it = index_.find(KeyOf(args[0]));
                if (it == index_.end()) ThrowError(kErrElementNotFound);
                std::u16string nk = KeyOf(args[1]);
                if (index_.count(nk)) ThrowError(kErrKeyExists);
                keys_[it->second] = args[1].Deref();
                Reindex();
                return {};
            }
            case 11: {
                std::u16string k = KeyOf(args.empty() ? Variant() : args[0]);
                uint32_t h = 0;
                for (char16_t c : k) h = h * 31 + c;
                return Variant::Long(int32_t(h % 1201));
            }
        }
        ThrowError(kErrNoMember);
    }

  private:
    std::u16string KeyOf(const Variant& v0) {
        const Variant& v = v0.Deref();
        switch (v.Type()) {
            case vtString:
                return u"s" + (mode_ ? rt::LCase(v.Str()) : v.Str());
            case vtObject: {
                auto p = reinterpret_cast<uintptr_t>(v.AsObject());
                return u"o" + rt::IntegerToText(int64_t(p));
            }
            case vtEmpty:
                return u"e";
            case vtNull:
                return u"z";
            default:
                if (v.IsArray()) ThrowError(kErrTypeMismatch);
                return u"n" + rt::DoubleToText(ToDouble(v));
        }
    }
    void Reindex() {
        index_.clear();
        for (size_t i = 0; i < keys_.size(); ++i) index_.emplace(KeyOf(keys_[i]), i);
    }
    static Variant ToArray(const std::vector<Variant>& v) {
        Variant a = Variant::NewArray({{0, int32_t(v.size())}});
        a.AsArray()->items = v;
        return a;
    }
    std::vector<Variant> keys_, items_;
    std::unordered_map<std::u16string, size_t> index_;
    int mode_ = 0;
};

// ---- RegExp ----

class SubMatches : public Dispatch {
  public:
    explicit SubMatches(std::vector<Variant> items) : items_(std::move(items)) {}
    std::u16string TypeName() override { return u"ISubMatches"; }
    int FindMember(std::u16string_view name) override { return FindIn({u"item", u"count"}, name); }
    bool Enumerate(std::vector<Variant>& out) override {
        out = items_;
        return true;
    }
    Variant Invoke(int id, InvokeKind, std::span<Variant> args) override {
        if (id == kDispValue) id = 1;
        if (id == 2) return Variant::Long(int32_t(items_.size()));
        if (id == 1) {
            if (args.size() != 1) ThrowError(kErrWrongArgs);
            int32_t i = ToLong(args[0]);
            if (i < 0 || size_t(i) >= items_.size()) ThrowError(kErrInvalidCall);
            return items_[size_t(i)];
        }
        ThrowError(kErrNoMember);
    }

  private:
    std::vector<Variant> items_;
};

class Match : public Dispatch {
  public:
    explicit Match(rt::RegExpMatch m) : m_(std::move(m)) {}
    std::u16string TypeName() override { return u"IMatch2"; }
    int FindMember(std::u16string_view name) override {
        return FindIn({u"value", u"firstindex", u"length", u"submatches"}, name);
    }
    Variant Invoke(int id, InvokeKind kind, std::span<Variant> args) override {
        if (id == kDispValue) id = 1;
        if (id == 4 && !args.empty()) {
            // m.SubMatches(i): the index goes to the collection.
            Variant sub = Invoke(4, kind, {});
            return sub.AsObject()->Invoke(kDispValue, kind, args);
        }
        switch (id) {
            case 1:
                return Variant::String(m_.value);
            case 2:
                return Variant::Long(m_.firstIndex);
            case 3:
                return Variant::Long(m_.length);
            case 4: {
                std::vector<Variant> items;
                for (auto& s : m_.subMatches) items.push_back(s ? Variant::String(*s) : Variant());
                return Variant::Object(new SubMatches(std::move(items)));
            }
        }
        ThrowError(kErrNoMember);
    }

  private:
    rt::RegExpMatch m_;
};

class MatchCollection : public Dispatch {
  public:
    explicit MatchCollection(std::vector<rt::RegExpMatch> ms) {
        for (auto& m : ms) items_.push_back(Variant::Object(new Match(std::move(m))));
    }
    std::u16string TypeName() override { return u"IMatchCollection2"; }
    int FindMember(std::u16string_view name) override { return FindIn({u"item", u"count"}, name); }
    bool Enumerate(std::vector<Variant>& out) override {
        out = items_;
        return true;
    }
    Variant Invoke(int id, InvokeKind, std::span<Variant> args) override {
        if (id == kDispValue) id = 1;
        if (id == 2) return Variant::Long(int32_t(items_.size()));
        if (id == 1) {
            if (args.size() != 1) ThrowError(kErrWrongArgs);
            int32_t i = ToLong(args[0]);
            if (i < 0 || size_t(i) >= items_.size()) ThrowError(kErrInvalidCall);
            return items_[size_t(i)];
        }
        ThrowError(kErrNoMember);
    }

  private:
    std::vector<Variant> items_;
};

template <typename T>
T Checked(rt::Outcome<T> o) {
    if (!o.Ok()) ThrowError(o.error);
    return std::move(o.value);
}

class RegExpObject : public Dispatch {
  public:
    std::u16string TypeName() override { return u"IRegExp2"; }
    int FindMember(std::u16string_view name) override {
        return FindIn(
            {u"pattern", u"ignorecase", u"global", u"multiline", u"test", u"execute", u"replace"},
            name);
    }
    Variant Invoke(int id, InvokeKind kind, std::span<Variant> args) override {
        bool put = kind == InvokeKind::Let || kind == InvokeKind::Set;
        if (id == kDispValue) ThrowError(kErrNoMember);
        switch (id) {
            case 1:
                if (put) {
                    re_.SetPattern(ToStr(args.back()));
                    return {};
                }
                return Variant::String(re_.Pattern());
            case 2:
                if (put) {
                    re_.SetIgnoreCase(ToBool(args.back()));
                    return {};
                }
                return Variant::Bool(re_.IgnoreCase());
            case 3:
                if (put) {
                    re_.SetGlobal(ToBool(args.back()));
                    return {};
                }
                return Variant::Bool(re_.Global());
            case 4:
                if (put) {
                    re_.SetMultiline(ToBool(args.back()));
                    return {};
                }
                return Variant::Bool(re_.Multiline());
            case 5:
                if (put || args.size() != 1) ThrowError(kErrWrongArgs);
                return Variant::Bool(Checked(re_.Test(TextArg(args[0]))));
            case 6:
                if (put || args.size() != 1) ThrowError(kErrWrongArgs);
                return Variant::Object(new MatchCollection(Checked(re_.Execute(TextArg(args[0])))));
            case 7:
                if (put || args.size() != 2) ThrowError(kErrWrongArgs);
                {
                    // The replacement text of a Boolean is its number ("-1"), as the original has
                    // it.
                    const Variant& r = args[1].Deref();
                    std::u16string with =
                        r.Type() == vtBoolean ? (r.AsBoolRaw() ? u"-1" : u"0") : TextArg(r);
                    return Variant::String(Checked(re_.Replace(TextArg(args[0]), with)));
                }
        }
        ThrowError(kErrNoMember);
    }

  private:
    static std::u16string TextArg(const Variant& v) {
        const Variant& d = v.Deref();
        if (d.IsNull()) return {};
        return ToStr(d);
    }
    rt::RegExp re_;
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

}  // namespace

void EngineImpl::InitBuiltinObjects() {
    errObject = Ref<Dispatch>(new ErrObject(this));
}

Variant EngineImpl::CreateObject(const std::u16string& progId) {
    std::u16string id = rt::LCase(progId);
    if (id == u"scripting.dictionary") return Variant::Object(new Dictionary);
    if (id == u"vbscript.regexp") return Variant::Object(new RegExpObject);
    ThrowError(kErrCantCreate);
}

Variant MakeProcRef(EngineImpl& e, const ProcDef* p) {
    return Variant::Object(new ProcRef(&e, p));
}

}  // namespace vbs
