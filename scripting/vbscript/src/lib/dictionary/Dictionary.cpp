// Scripting.Dictionary: keys and items in insertion order, compared as binary or text.
#include <map>

#include "lib/Library.h"
#include "lib/numbers/numbers.h"
#include "lib/strings/strings.h"

namespace vbs::lib {

namespace {

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

}  // namespace

Dispatch* NewDictionary() {
    return new Dictionary;
}

}  // namespace vbs::lib
