// The one table of the engine's built-in libraries and objects: a name is looked up here when
// the compiler meets it (FindBuiltin), and CreateObject finds its classes here.
#include <unordered_map>

#include "lib/Library.h"
#include "lib/strings/strings.h"

namespace vbs {

namespace {

struct Library {
    const char* area;
    std::span<const Builtin> (*table)();
};

// Every library; a name is found in the first library that has it.
constexpr Library kLibraries[] = {
    {"strings", lib::StringLibrary},
    {"numbers and conversion", lib::NumberLibrary},
    {"math", lib::MathLibrary},
    {"dates", lib::DateLibrary},
    {"arrays", lib::ArrayLibrary},
    {"objects", lib::ObjectLibrary},
    {"the script and its host", lib::ScriptLibrary},
    {"constants", lib::ConstantLibrary},
};

struct ObjectClass {
    const char16_t* progId;  // lower case
    Dispatch* (*create)();
};

// The classes CreateObject makes (New RegExp makes the RegExp too).
constexpr ObjectClass kObjectClasses[] = {
    {u"scripting.dictionary", lib::NewDictionary},
    {u"vbscript.regexp", lib::NewRegExp},
};

}  // namespace

const Builtin* FindBuiltin(std::u16string_view lower) {
    static const std::unordered_map<std::u16string_view, const Builtin*> byName = [] {
        std::unordered_map<std::u16string_view, const Builtin*> t;
        for (const Library& l : kLibraries)
            for (const Builtin& b : l.table()) t.emplace(b.name, &b);
        return t;
    }();
    auto it = byName.find(lower);
    return it == byName.end() ? nullptr : it->second;
}

Variant CallBuiltin(EngineImpl& e, const Builtin* b, std::span<Variant> args) {
    if (!b->fn) return lib::NumericConstant(b);
    return b->fn(e, args);
}

void EngineImpl::InitBuiltinObjects() {
    errObject = lib::NewErrObject(*this);
}

Variant EngineImpl::CreateObject(const std::u16string& progId) {
    std::u16string id = rt::LCase(progId);
    for (const ObjectClass& c : kObjectClasses)
        if (id == c.progId) return Variant::Object(c.create());
    ThrowError(kErrCantCreate);
}

}  // namespace vbs
