// Variant storage: reference counting of the shared payloads.
#include "vbscript/Variant.h"

#include "lib/strings/strings.h"

namespace vbs {

namespace {
const std::u16string kEmptyText;
}

Variant Variant::String(std::u16string s) {
    Variant v = Typed(vtString);
    v.u_.str = s.empty() ? nullptr : new StrData{1, std::move(s)};
    return v;
}

Variant Variant::Ascii(std::string_view s) {
    return String(std::u16string(s.begin(), s.end()));
}

Variant Variant::Object(Dispatch* obj) {
    Variant v = Typed(vtObject);
    v.u_.obj = obj;
    if (obj) obj->AddRef();
    return v;
}

Variant Variant::NewArray(std::vector<ArrayBound> bounds) {
    auto* a = new ArrData;
    size_t n = bounds.empty() ? 0 : 1;
    for (auto& b : bounds) n *= size_t(b.count);
    a->bounds = std::move(bounds);
    a->items.resize(n);
    return Array(a);
}

bool Variant::IsNumeric() const {
    switch (type_) {
        case vtEmpty:
        case vtInteger:
        case vtLong:
        case vtSingle:
        case vtDouble:
        case vtCurrency:
        case vtDate:
        case vtBoolean:
        case vtByte:
            return true;
        default:
            return false;
    }
}

const std::u16string& Variant::Str() const {
    if (type_ == vtString && u_.str) return u_.str->text;
    return kEmptyText;
}

namespace {
ArrData* CloneArray(const ArrData* a) {
    auto* c = new ArrData;
    c->fixed = a->fixed;
    c->bounds = a->bounds;
    c->items = a->items;
    return c;
}
}  // namespace

ArrData* Variant::MutableArray() {
    ArrData* a = u_.arr;
    // Element references (locks) are not sharers: they must see this variable's writes.
    if (a->refs - a->locks > 1) {
        ArrData* c = CloneArray(a);
        --a->refs;
        u_.arr = c;
        return c;
    }
    return a;
}

ArrData* Variant::LockArray() {
    ArrData* a = MutableArray();
    ++a->refs;
    ++a->locks;
    return a;
}

void Variant::UnlockArray(ArrData* a) noexcept {
    --a->locks;
    if (--a->refs == 0) delete a;
}

void Variant::AddRefPayload() noexcept {
    switch (type_) {
        case vtString:
            if (u_.str) ++u_.str->refs;
            break;
        case vtObject:
            if (u_.obj) u_.obj->AddRef();
            break;
        default:
            if (type_ & vtArray) {
                // A locked array is copied at once (see ArrData::locks).
                if (u_.arr->locks)
                    u_.arr = CloneArray(u_.arr);
                else
                    ++u_.arr->refs;
            }
    }
}

void Variant::ReleasePayload() noexcept {
    switch (type_) {
        case vtString:
            if (u_.str && --u_.str->refs == 0) delete u_.str;
            break;
        case vtObject:
            if (u_.obj) {
                Dispatch* o = u_.obj;
                type_ = vtEmpty;
                o->Release();
            }
            break;
        default:
            if ((type_ & vtArray) && --u_.arr->refs == 0) {
                ArrData* a = u_.arr;
                type_ = vtEmpty;
                delete a;
            }
    }
    type_ = vtEmpty;
}

std::u16string FromUtf8(std::string_view s) {
    return rt::FromUtf8(s);
}
std::string ToUtf8(std::u16string_view s) {
    return rt::ToUtf8(s);
}

}  // namespace vbs
