// The RegExp object with its Match, MatchCollection and SubMatches objects. The matching
// itself (PCRE2, VBScript's flavour of patterns) is in regexp.h beside this file.
#include "lib/Library.h"
#include "lib/regexp/regexp.h"
#include "lib/strings/strings.h"

namespace vbs::lib {

namespace {

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

}  // namespace

Dispatch* NewRegExp() {
    return new RegExpObject;
}

}  // namespace vbs::lib
