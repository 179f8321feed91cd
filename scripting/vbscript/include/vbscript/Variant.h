// The one value type of the engine: a small tagged union with VBScript's variant types.
// Strings (UTF-16) and arrays are reference counted; arrays copy on write so that assignment
// keeps VBScript's value semantics; objects live behind the Dispatch interface.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vbs {

// Variant type codes as VarType reports them.
enum VarType : uint16_t {
    vtEmpty = 0,
    vtNull = 1,
    vtInteger = 2,
    vtLong = 3,
    vtSingle = 4,
    vtDouble = 5,
    vtCurrency = 6,
    vtDate = 7,
    vtString = 8,
    vtObject = 9,
    vtError = 10,
    vtBoolean = 11,
    vtVariant = 12,
    vtByte = 17,
    vtArray = 0x2000,
    // Internal: a reference to another variant (ByRef argument). Never visible to scripts.
    vtRef = 0x4000,
};

class Dispatch;
class Variant;

struct StrData {
    int refs = 1;
    std::u16string text;
};

struct ArrayBound {
    int32_t lower = 0;
    int32_t count = 0;
};

struct ArrData {
    int refs = 1;
    // References to elements held by calls in progress (each also counts in refs). While
    // locked, ReDim and Erase refuse, and a copy of the array is made at once instead of
    // sharing, so that the elements referred to stay the ones of the variable that holds it.
    int locks = 0;
    bool fixed = false;  // declared with dimensions (Dim a(3)): ReDim refuses
    std::vector<ArrayBound> bounds;
    std::vector<Variant> items;
};

// A dynamically typed value.
class Variant {
  public:
    Variant() noexcept : type_(vtEmpty) { u_.i64 = 0; }
    Variant(const Variant& o) noexcept : type_(o.type_), u_(o.u_) {
        if (HasPayload(type_)) AddRefPayload();
    }
    Variant(Variant&& o) noexcept : type_(o.type_), u_(o.u_) { o.type_ = vtEmpty; }
    [[gnu::always_inline]] Variant& operator=(const Variant& o) noexcept {
        if (this != &o) {
            Variant tmp(o);
            Swap(tmp);
        }
        return *this;
    }
    [[gnu::always_inline]] Variant& operator=(Variant&& o) noexcept {
        if (this != &o) {
            if (HasPayload(type_)) ReleasePayload();
            type_ = o.type_;
            u_ = o.u_;
            o.type_ = vtEmpty;
        }
        return *this;
    }
    ~Variant() {
        if (HasPayload(type_)) ReleasePayload();
    }

    void Swap(Variant& o) noexcept {
        std::swap(type_, o.type_);
        std::swap(u_, o.u_);
    }

    // Constructors by type.
    static Variant Null() { return Typed(vtNull); }
    static Variant Bool(bool b) {
        Variant v = Typed(vtBoolean);
        v.u_.i16 = b ? -1 : 0;
        return v;
    }
    static Variant Byte(uint8_t b) {
        Variant v = Typed(vtByte);
        v.u_.u8 = b;
        return v;
    }
    static Variant Integer(int16_t i) {
        Variant v = Typed(vtInteger);
        v.u_.i16 = i;
        return v;
    }
    static Variant Long(int32_t i) {
        Variant v = Typed(vtLong);
        v.u_.i32 = i;
        return v;
    }
    static Variant Single(float f) {
        Variant v = Typed(vtSingle);
        v.u_.r4 = f;
        return v;
    }
    static Variant Double(double d) {
        Variant v = Typed(vtDouble);
        v.u_.r8 = d;
        return v;
    }
    // Currency is a 64-bit integer scaled by 10,000.
    static Variant Currency(int64_t scaled) {
        Variant v = Typed(vtCurrency);
        v.u_.i64 = scaled;
        return v;
    }
    static Variant Date(double serial) {
        Variant v = Typed(vtDate);
        v.u_.r8 = serial;
        return v;
    }
    static Variant Error(int32_t code) {
        Variant v = Typed(vtError);
        v.u_.i32 = code;
        return v;
    }
    static Variant String(std::u16string s);
    static Variant String(std::u16string_view s) { return String(std::u16string(s)); }
    static Variant String(const char16_t* s) { return String(std::u16string(s)); }
    static Variant Ascii(std::string_view s);
    // Takes a new reference to obj (nullptr is Nothing).
    static Variant Object(Dispatch* obj);
    // Adopts an array payload (its refs must already count this holder).
    static Variant Array(ArrData* a) {
        Variant v = Typed(uint16_t(vtArray | vtVariant));
        v.u_.arr = a;
        return v;
    }
    static Variant NewArray(std::vector<ArrayBound> bounds);
    static Variant MakeRef(Variant* target) {
        Variant v = Typed(vtRef);
        v.u_.ref = target;
        return v;
    }

    uint16_t Type() const { return type_; }
    bool IsEmpty() const { return type_ == vtEmpty; }
    bool IsNull() const { return type_ == vtNull; }
    bool IsString() const { return type_ == vtString; }
    bool IsObject() const { return type_ == vtObject; }
    bool IsArray() const { return (type_ & vtArray) != 0; }
    bool IsRef() const { return type_ == vtRef; }
    bool IsNumeric() const;  // a numeric type (incl. Boolean, Date, Empty)

    // Follows a ByRef link (one level is all that ever exists).
    const Variant& Deref() const { return type_ == vtRef ? *u_.ref : *this; }
    Variant& Deref() { return type_ == vtRef ? *u_.ref : *this; }

    bool AsBoolRaw() const { return u_.i16 != 0; }
    int16_t AsInteger() const { return u_.i16; }
    int32_t AsLong() const { return u_.i32; }
    uint8_t AsByte() const { return u_.u8; }
    float AsSingle() const { return u_.r4; }
    double AsDoubleRaw() const { return u_.r8; }
    int64_t AsCurrency() const { return u_.i64; }
    int32_t AsError() const { return u_.i32; }
    Dispatch* AsObject() const { return u_.obj; }
    ArrData* AsArray() const { return u_.arr; }
    Variant* AsRef() const { return u_.ref; }
    // The text of a string variant (empty for a null string).
    const std::u16string& Str() const;

    // The text of a non-empty string that this variant alone holds, to change in place
    // (nullptr for anything else).
    std::u16string* UniqueText() {
        return type_ == vtString && u_.str && u_.str->refs == 1 ? &u_.str->text : nullptr;
    }

    // Array copy on write: makes this variant's array unshared and returns it.
    ArrData* MutableArray();
    // Locks this variant's (unshared) array for a reference to one of its elements; the
    // returned array stays alive until UnlockArray.
    ArrData* LockArray();
    static void UnlockArray(ArrData* a) noexcept;

  private:
    static Variant Typed(uint16_t t) {
        Variant v;
        v.type_ = t;
        return v;
    }
    // Strings, objects and arrays hold a counted payload; every other type is plain bits.
    static bool HasPayload(uint16_t t) { return t == vtString || t == vtObject || (t & vtArray); }
    void AddRefPayload() noexcept;
    void ReleasePayload() noexcept;

    uint16_t type_;
    union Payload {
        int16_t i16;
        int32_t i32;
        int64_t i64;
        uint8_t u8;
        float r4;
        double r8;
        StrData* str;
        ArrData* arr;
        Dispatch* obj;
        Variant* ref;
    } u_;
};

// How a member is reached.
enum class InvokeKind : uint8_t {
    Get,     // read a property or call with a result (obj.x, obj.x(1), obj(1))
    Method,  // statement call (obj.Run 1)
    Let,     // obj.x = v (value is the last argument)
    Set,     // Set obj.x = v (value is the last argument)
};

// The member id of the default member (Item of a collection, Value of a game variable...).
inline constexpr int kDispValue = 0;
inline constexpr int kDispUnknown = -1;

// The interface every object reachable from scripts implements: host objects, script class
// instances and the built-in objects. Reference counted; Variant holds references.
class Dispatch {
  public:
    Dispatch() = default;
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;
    virtual ~Dispatch() = default;

    void AddRef() { ++refs_; }
    void Release() {
        if (--refs_ == 0) FinalRelease();
    }
    int RefCount() const { return refs_; }

    // The name TypeName answers.
    virtual std::u16string TypeName() { return u"Object"; }
    // The id of a member, compared without regard to case; kDispUnknown when there is none.
    // kDispValue is the default member.
    virtual int FindMember(std::u16string_view name) = 0;
    // Gets, calls or assigns a member. Arguments are plain values (ByRef links resolved) unless
    // WantsReferences(); for Let/Set the value is the last argument. Errors are reported by
    // throwing vbs::ScriptException (see Engine.h), e.g. ThrowError(438).
    virtual Variant Invoke(int id, InvokeKind kind, std::span<Variant> args) = 0;
    // The items For Each walks; false when the object is not a collection.
    virtual bool Enumerate(std::vector<Variant>& /*out*/) { return false; }
    // Script class instances take ByRef arguments as links.
    virtual bool WantsReferences() const { return false; }

  protected:
    // Called when the last reference goes; script classes run Class_Terminate first.
    virtual void FinalRelease() { delete this; }

  private:
    int refs_ = 0;
};

// An owning pointer for Dispatch objects.
template <typename T>
class Ref {
  public:
    Ref() = default;
    Ref(T* p) : p_(p) {  // NOLINT(google-explicit-constructor)
        if (p_) p_->AddRef();
    }
    Ref(const Ref& o) : Ref(o.p_) {}
    Ref(Ref&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    Ref& operator=(Ref o) {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Ref() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

template <typename T, typename... A>
Ref<T> MakeRef(A&&... a) {
    return Ref<T>(new T(std::forward<A>(a)...));
}

// UTF-8 <-> UTF-16 helpers for hosts and tools.
std::u16string FromUtf8(std::string_view s);
std::string ToUtf8(std::u16string_view s);

}  // namespace vbs
