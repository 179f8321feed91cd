// The numeric constants (vbTrue, vbSunday, vbOKOnly, vbRed ...): small ones are Integers,
// colours and the message box flags above 16 bits are Longs.
#include <vector>

#include "lib/Library.h"

namespace vbs::lib {

namespace {

struct ConstEntry {
    const char16_t* name;
    int32_t value;
};
// Numeric constants by value; small ones are Integers, the rest Longs.
constexpr ConstEntry kNumericConsts[] = {
    {u"vbtrue", -1},
    {u"vbfalse", 0},
    {u"vbusedefault", -2},
    {u"vbbinarycompare", 0},
    {u"vbtextcompare", 1},
    {u"vbdatabasecompare", 2},
    {u"vbsunday", 1},
    {u"vbmonday", 2},
    {u"vbtuesday", 3},
    {u"vbwednesday", 4},
    {u"vbthursday", 5},
    {u"vbfriday", 6},
    {u"vbsaturday", 7},
    {u"vbusesystemdayofweek", 0},
    {u"vbfirstjan1", 1},
    {u"vbfirstfourdays", 2},
    {u"vbfirstfullweek", 3},
    {u"vbusesystem", 0},
    {u"vbgeneraldate", 0},
    {u"vblongdate", 1},
    {u"vbshortdate", 2},
    {u"vblongtime", 3},
    {u"vbshorttime", 4},
    {u"vbokonly", 0},
    {u"vbokcancel", 1},
    {u"vbabortretryignore", 2},
    {u"vbyesnocancel", 3},
    {u"vbyesno", 4},
    {u"vbretrycancel", 5},
    {u"vbcritical", 16},
    {u"vbquestion", 32},
    {u"vbexclamation", 48},
    {u"vbinformation", 64},
    {u"vbdefaultbutton1", 0},
    {u"vbdefaultbutton2", 256},
    {u"vbdefaultbutton3", 512},
    {u"vbdefaultbutton4", 768},
    {u"vbapplicationmodal", 0},
    {u"vbsystemmodal", 4096},
    {u"vbok", 1},
    {u"vbcancel", 2},
    {u"vbabort", 3},
    {u"vbretry", 4},
    {u"vbignore", 5},
    {u"vbyes", 6},
    {u"vbno", 7},
    {u"vbempty", 0},
    {u"vbnull", 1},
    {u"vbinteger", 2},
    {u"vblong", 3},
    {u"vbsingle", 4},
    {u"vbdouble", 5},
    {u"vbcurrency", 6},
    {u"vbdate", 7},
    {u"vbstring", 8},
    {u"vbobject", 9},
    {u"vberror", 10},
    {u"vbboolean", 11},
    {u"vbvariant", 12},
    {u"vbdataobject", 13},
    {u"vbdecimal", 14},
    {u"vbbyte", 17},
    {u"vbarray", 8192},
    {u"vbblack", 0},
    {u"vbred", 0xFF},
    {u"vbgreen", 0xFF00},
    {u"vbyellow", 0xFFFF},
    {u"vbblue", 0xFF0000},
    {u"vbmagenta", 0xFF00FF},
    {u"vbcyan", 0xFFFF00},
    {u"vbwhite", 0xFFFFFF},
    {u"vbmsgboxhelpbutton", 16384},
    {u"vbmsgboxsetforeground", 65536},
    {u"vbmsgboxright", 524288},
    {u"vbmsgboxrtlreading", 1048576},
};

}  // namespace

std::span<const Builtin> ConstantLibrary() {
    static const std::vector<Builtin> table = [] {
        std::vector<Builtin> t;
        for (const auto& c : kNumericConsts) {
            std::u16string_view n = c.name;
            bool isLong = n.substr(0, 8) == u"vbmsgbox" || n == u"vbblack" || n == u"vbblue" ||
                          n == u"vbcyan" || n == u"vbgreen" || n == u"vbmagenta" || n == u"vbred" ||
                          n == u"vbwhite" || n == u"vbyellow";
            t.push_back(Builtin{c.name, nullptr, 0, 0, true, c.value, isLong});
        }
        return t;
    }();
    return table;
}

// Colours and the message box flags above 16 bits are Longs; the rest are Integers.
Variant NumericConstant(const Builtin* b) {
    if (b->constIsLong) return Variant::Long(b->constValue);
    return Variant::Integer(int16_t(b->constValue));
}

}  // namespace vbs::lib
