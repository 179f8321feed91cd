// The public value type and host object helpers, used directly as a host would.
#include <gtest/gtest.h>

#include "vbscript/Engine.h"
#include "vbscript/Variant.h"

namespace vbs::test {
namespace {

class Counted : public Dispatch {
  public:
    explicit Counted(int* deleted) : deleted_(deleted) {}
    ~Counted() override { ++*deleted_; }
    int FindMember(std::u16string_view) override { return kDispUnknown; }
    Variant Invoke(int, InvokeKind, std::span<Variant>) override { return {}; }

  private:
    int* deleted_;
};

TEST(VariantValue, ObjectsAreReferenceCounted) {
    int deleted = 0;
    {
        Variant a = Variant::Object(new Counted(&deleted));
        Variant b = a;
        EXPECT_EQ(a.AsObject()->RefCount(), 2);
        a = Variant::Long(1);
        EXPECT_EQ(deleted, 0);
        Variant c = std::move(b);
        EXPECT_TRUE(b.IsEmpty());
        EXPECT_EQ(c.AsObject()->RefCount(), 1);
    }
    EXPECT_EQ(deleted, 1);
    Variant nothing = Variant::Object(nullptr);
    EXPECT_TRUE(nothing.IsObject());
    EXPECT_EQ(nothing.AsObject(), nullptr);
}

TEST(VariantValue, ArraysCopyOnWrite) {
    Variant a = Variant::NewArray({{0, 3}});
    a.AsArray()->items[1] = Variant::Long(5);
    Variant b = a;
    EXPECT_EQ(a.AsArray(), b.AsArray());
    b.MutableArray()->items[1] = Variant::Long(6);
    EXPECT_NE(a.AsArray(), b.AsArray());
    EXPECT_EQ(a.AsArray()->items[1].AsLong(), 5);
    EXPECT_EQ(b.AsArray()->items[1].AsLong(), 6);
    EXPECT_EQ(b.AsArray()->items.size(), 3u);
    Variant empty = Variant::NewArray({});
    EXPECT_TRUE(empty.IsArray());
    EXPECT_TRUE(empty.AsArray()->items.empty());
}

TEST(VariantValue, StringsAndReferences) {
    Variant s = Variant::String(u"abc");
    Variant t = s;
    EXPECT_EQ(t.Str(), u"abc");
    EXPECT_TRUE(Variant::String(u"").Str().empty());
    EXPECT_EQ(Variant::Ascii("xy").Str(), u"xy");
    Variant target = Variant::Integer(3);
    Variant ref = Variant::MakeRef(&target);
    EXPECT_TRUE(ref.IsRef());
    EXPECT_EQ(ref.Deref().AsInteger(), 3);
    ref.Deref() = Variant::Integer(4);
    EXPECT_EQ(target.AsInteger(), 4);
    EXPECT_EQ(ToUtf8(FromUtf8("h\xC3\xA9")), "h\xC3\xA9");
}

TEST(VariantValue, TypeCodes) {
    EXPECT_EQ(Variant::Bool(true).AsInteger(), -1);
    EXPECT_EQ(Variant::Currency(15000).AsCurrency(), 15000);
    EXPECT_EQ(Variant::Date(1.5).Type(), vtDate);
    EXPECT_EQ(Variant::Null().Type(), vtNull);
    EXPECT_EQ(Variant::NewArray({{0, 1}}).Type(), vtArray | vtVariant);
    EXPECT_TRUE(Variant::Byte(1).IsNumeric());
    EXPECT_FALSE(Variant::String(u"1").IsNumeric());
}

TEST(HostObjects, MembersDefaultAndEnumeration) {
    auto o = MakeRef<HostObject>(u"Thing");
    Variant stored = Variant::Long(1);
    o->AddProperty(
        u"Value", [&](std::span<Variant>) { return stored; },
        [&](std::span<Variant> idx, const Variant& v) {
            EXPECT_TRUE(idx.empty());
            stored = v;
        });
    o->AddMethod(u"Twice", [](std::span<Variant> a) { return Variant::Long(a[0].AsLong() * 2); });
    o->SetDefault(u"value");
    o->SetEnumerator([] { return std::vector<Variant>{Variant::Long(7)}; });
    EXPECT_EQ(o->TypeName(), u"Thing");
    EXPECT_EQ(o->FindMember(u"VALUE"), o->FindMember(u"value"));
    EXPECT_EQ(o->FindMember(u"missing"), kDispUnknown);
    Variant nine[1] = {Variant::Long(9)};
    o->Invoke(kDispValue, InvokeKind::Let, nine);
    EXPECT_EQ(stored.AsLong(), 9);
    Variant four[1] = {Variant::Long(4)};
    EXPECT_EQ(o->Invoke(o->FindMember(u"twice"), InvokeKind::Get, four).AsLong(), 8);
    EXPECT_THROW(o->Invoke(o->FindMember(u"twice"), InvokeKind::Let, four), ScriptException);
    std::vector<Variant> items;
    EXPECT_TRUE(o->Enumerate(items));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].AsLong(), 7);
}

TEST(HostObjects, ErrorNumbersFromFailureCodes) {
    EXPECT_EQ(ErrorFromHResult(int32_t(0x800A000D)), 13);
    EXPECT_EQ(ErrorFromHResult(int32_t(0x80004001)), 445);
    EXPECT_EQ(ErrorFromHResult(int32_t(0x80070057)), 5);
    EXPECT_EQ(ErrorFromHResult(1234), 1234);
    EXPECT_EQ(ErrorDescription(13), u"Type mismatch");
    EXPECT_EQ(ErrorDescription(1014), u"Expected 'End'");
    EXPECT_TRUE(ErrorDescription(99999).empty());
}

}  // namespace
}  // namespace vbs::test
