#include "WScriptHost.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "engine/EngineImpl.h"
#include "lib/strings/strings.h"
#include "values/Ops.h"

namespace vbs::tools {

namespace {

constexpr int32_t kErrBadFileMode = 54;
constexpr int32_t kErrPastEnd = 62;

std::u16string U16(const std::string& s) {
    return rt::FromUtf8(s);
}

Variant Str(const std::string& s) {
    return Variant::String(U16(s));
}

void RequireArgs(std::span<Variant> args, size_t min, size_t max) {
    if (args.size() < min || args.size() > max) ThrowError(kErrWrongArgs);
}

// What the host writes for a value given to a text stream: as Echo, but Null is refused.
std::u16string StreamText(const Variant& v0) {
    const Variant& v = v0.Deref();
    if (v.IsNull()) ThrowError(kErrTypeMismatch);
    return WScriptHost::EchoText(v);
}

// StdOut, StdErr (writers) and StdIn (reader): the members of a text stream that make sense
// for each; the others fail with "Bad file mode".
class StdStream : public HostObject {
  public:
    StdStream(std::ostream* out, std::istream* in) : HostObject(u"TextStream"), out_(out), in_(in) {
        AddMethod(u"Write", [this](std::span<Variant> a) {
            RequireArgs(a, 1, 1);
            Put(StreamText(a[0]));
            return Variant();
        });
        AddMethod(u"WriteLine", [this](std::span<Variant> a) {
            RequireArgs(a, 0, 1);
            Put((a.empty() ? std::u16string() : StreamText(a[0])) + u"\n");
            return Variant();
        });
        AddMethod(u"WriteBlankLines", [this](std::span<Variant> a) {
            RequireArgs(a, 1, 1);
            int32_t n = ToLong(a[0].Deref());
            if (n < 0) ThrowError(kErrInvalidCall);
            Put(std::u16string(size_t(n), u'\n'));
            return Variant();
        });
        AddMethod(u"ReadLine", [this](std::span<Variant> a) {
            RequireArgs(a, 0, 0);
            return Variant::String(ReadLine());
        });
        AddMethod(u"Read", [this](std::span<Variant> a) {
            RequireArgs(a, 1, 1);
            int32_t n = ToLong(a[0].Deref());
            if (n < 0) ThrowError(kErrInvalidCall);
            Reader();
            if (AtEnd()) ThrowError(kErrPastEnd);
            std::string bytes;
            // Counted in characters: a UTF-8 sequence is read whole.
            for (int32_t i = 0; i < n && !AtEnd(); ++i) {
                int c = in_->get();
                bytes += char(c);
                while ((in_->peek() & 0xC0) == 0x80 && in_->peek() != EOF)
                    bytes += char(in_->get());
                Advance(char(c));
            }
            return Str(bytes);
        });
        AddMethod(u"ReadAll", [this](std::span<Variant> a) {
            RequireArgs(a, 0, 0);
            Reader();
            if (AtEnd()) ThrowError(kErrPastEnd);
            std::string bytes;
            while (!AtEnd()) {
                char c = char(in_->get());
                bytes += c;
                Advance(c);
            }
            return Str(bytes);
        });
        AddMethod(u"Skip", [this](std::span<Variant> a) {
            RequireArgs(a, 1, 1);
            int32_t n = ToLong(a[0].Deref());
            Reader();
            for (int32_t i = 0; i < n && !AtEnd(); ++i) Advance(char(in_->get()));
            return Variant();
        });
        AddMethod(u"SkipLine", [this](std::span<Variant> a) {
            RequireArgs(a, 0, 0);
            ReadLine();
            return Variant();
        });
        AddMethod(u"AtEndOfStream", [this](std::span<Variant>) {
            Reader();
            return Variant::Bool(AtEnd());
        });
        AddMethod(u"AtEndOfLine", [this](std::span<Variant>) {
            Reader();
            return Variant::Bool(AtEnd() || in_->peek() == '\n' || in_->peek() == '\r');
        });
        AddMethod(u"Line", [this](std::span<Variant>) { return Variant::Long(line_); });
        AddMethod(u"Column", [this](std::span<Variant>) { return Variant::Long(column_); });
        AddMethod(u"Close", [](std::span<Variant>) { return Variant(); });
    }

  private:
    void Put(const std::u16string& text) {
        if (!out_) ThrowError(kErrBadFileMode);
        *out_ << rt::ToUtf8(text);
        out_->flush();
        for (char16_t c : text) Advance(c == u'\n' ? '\n' : 'x');
    }
    void Reader() const {
        if (!in_) ThrowError(kErrBadFileMode);
    }
    bool AtEnd() const { return in_->peek() == std::char_traits<char>::eof(); }
    void Advance(char c) {
        if (c == '\n') {
            ++line_;
            column_ = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column_;
        }
    }
    std::u16string ReadLine() {
        Reader();
        if (AtEnd()) ThrowError(kErrPastEnd);
        std::string bytes;
        std::getline(*in_, bytes);
        if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
        ++line_;
        column_ = 1;
        return U16(bytes);
    }

    std::ostream* out_;
    std::istream* in_;
    int32_t line_ = 1;
    int32_t column_ = 1;
};

// A read-only list of values reached by index (WScript.Arguments, Arguments.Unnamed).
Ref<HostObject> MakeList(std::u16string type, std::vector<Variant> items) {
    auto list = MakeRef<HostObject>(std::move(type));
    list->AddMethod(u"Item", [items](std::span<Variant> a) {
        RequireArgs(a, 1, 1);
        int32_t i = ToLong(a[0].Deref());
        if (i < 0 || size_t(i) >= items.size()) ThrowError(kErrSubscript);
        return items[size_t(i)];
    });
    list->SetDefault(u"Item");
    auto count = [n = int32_t(items.size())](std::span<Variant>) { return Variant::Long(n); };
    list->AddMethod(u"Count", count);
    list->AddMethod(u"Length", count);
    list->SetEnumerator([items] { return items; });
    return list;
}

// Arguments.Named: "/name:value" (or "/name" with an empty value), names without regard to
// case; For Each walks the names.
Ref<HostObject> MakeNamed(const std::vector<std::pair<std::u16string, std::u16string>>& named) {
    auto list = MakeRef<HostObject>(u"IWshNamed");
    auto find = [named](const Variant& key) -> const std::u16string* {
        std::u16string k = rt::LCase(ToStr(key.Deref()));
        for (auto& [name, value] : named)
            if (rt::LCase(name) == k) return &value;
        return nullptr;
    };
    list->AddMethod(u"Item", [find](std::span<Variant> a) {
        RequireArgs(a, 1, 1);
        const std::u16string* v = find(a[0]);
        if (!v) ThrowError(kErrInvalidCall);  // an argument that was not given
        return Variant::String(*v);
    });
    list->SetDefault(u"Item");
    list->AddMethod(u"Exists", [find](std::span<Variant> a) {
        RequireArgs(a, 1, 1);
        return Variant::Bool(find(a[0]) != nullptr);
    });
    auto count = [n = int32_t(named.size())](std::span<Variant>) { return Variant::Long(n); };
    list->AddMethod(u"Count", count);
    list->AddMethod(u"Length", count);
    std::vector<Variant> names;
    for (auto& [name, value] : named) names.push_back(Variant::String(name));
    list->SetEnumerator([names] { return names; });
    return list;
}

// A property that answers a collection; with arguments (WScript.Arguments(0),
// Arguments.Named("x")) it indexes the collection.
HostObject::Getter Getter(Ref<HostObject> list) {
    return [list](std::span<Variant> args) {
        if (!args.empty()) return list->Invoke(kDispValue, InvokeKind::Get, args);
        return Variant::Object(list.get());
    };
}

}  // namespace

std::u16string WScriptHost::EchoText(const Variant& v0) {
    const Variant& v = v0.Deref();
    switch (v.Type()) {
        case vtNull:
            return u"null";
        case vtBoolean:
            return v.AsBoolRaw() ? u"-1" : u"0";
        case vtObject:
            return EchoText(DefaultValue(v));
        default:
            if (v.IsArray()) ThrowError(kErrTypeMismatch);
            return ToStr(v);
    }
}

WScriptHost::WScriptHost(WScriptSetup setup) : setup_(std::move(setup)) {}
WScriptHost::~WScriptHost() = default;

void WScriptHost::Install(Engine& engine) {
    std::ostream* out = setup_.out ? setup_.out : &std::cout;
    std::ostream* err = setup_.err ? setup_.err : &std::cerr;
    std::istream* in = setup_.in ? setup_.in : &std::cin;
    EngineImpl* impl = &engine.Impl();
    wscript_ = MakeRef<HostObject>(u"IHost");
    HostObject& w = *wscript_;

    w.AddMethod(u"Echo", [out](std::span<Variant> args) {
        std::u16string line;
        for (size_t i = 0; i < args.size(); ++i) {
            if (i) line += u' ';
            line += EchoText(args[i]);
        }
        *out << rt::ToUtf8(line) << '\n';
        out->flush();
        return Variant();
    });
    auto stdOut = MakeRef<StdStream>(out, nullptr);
    auto stdErr = MakeRef<StdStream>(err, nullptr);
    auto stdIn = MakeRef<StdStream>(nullptr, in);
    w.AddMethod(u"StdOut", [stdOut](std::span<Variant>) { return Variant::Object(stdOut.get()); });
    w.AddMethod(u"StdErr", [stdErr](std::span<Variant>) { return Variant::Object(stdErr.get()); });
    w.AddMethod(u"StdIn", [stdIn](std::span<Variant>) { return Variant::Object(stdIn.get()); });

    // Arguments: every argument in order; Named the "/name:value" ones, Unnamed the others.
    std::vector<Variant> all, unnamed;
    std::vector<std::pair<std::u16string, std::u16string>> named;
    for (const std::string& a : setup_.arguments) {
        std::u16string text = U16(a);
        all.push_back(Variant::String(text));
        if (text.size() > 1 && text[0] == u'/') {
            size_t colon = text.find(u':');
            std::u16string name =
                text.substr(1, colon == std::u16string::npos ? std::u16string::npos : colon - 1);
            std::u16string value = colon == std::u16string::npos ? u"" : text.substr(colon + 1);
            if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
                value = value.substr(1, value.size() - 2);
            named.emplace_back(std::move(name), std::move(value));
        } else {
            unnamed.push_back(Variant::String(text));
        }
    }
    auto arguments = MakeList(u"IArguments2", all);
    auto namedList = MakeNamed(named);
    auto unnamedList = MakeList(u"IWshUnnamed", unnamed);
    arguments->AddMethod(u"Named", Getter(namedList));
    arguments->AddMethod(u"Unnamed", Getter(unnamedList));
    w.AddMethod(u"Arguments", Getter(arguments));

    w.AddMethod(u"Quit", [this](std::span<Variant> args) -> Variant {
        RequireArgs(args, 0, 1);
        exitCode_ = args.empty() ? 0 : ToLong(args[0].Deref());
        quit_ = true;
        throw AbortRun{kErrQuit};
    });
    std::filesystem::path script(setup_.scriptPath);
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(script, ec);
    w.AddMethod(u"ScriptName",
                [name = script.filename().string()](std::span<Variant>) { return Str(name); });
    w.AddMethod(u"ScriptFullName", [name = (ec ? script : full).lexically_normal().string()](
                                       std::span<Variant>) { return Str(name); });
    w.AddMethod(u"Sleep", [impl](std::span<Variant> args) {
        RequireArgs(args, 1, 1);
        int32_t ms = ToLong(args[0].Deref());
        if (ms < 0) ThrowError(kErrInvalidCall);
        EngineImpl::HostTime paused(*impl);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return Variant();
    });
    // The objects the engine provides (Scripting.Dictionary, VBScript.RegExp); a second
    // argument (an event prefix) is accepted and has nothing to connect.
    w.AddMethod(u"CreateObject", [impl](std::span<Variant> args) {
        RequireArgs(args, 1, 2);
        return impl->CreateObject(ToStr(args[0].Deref()));
    });
    std::filesystem::path runner(setup_.runnerPath);
    std::filesystem::path runnerFull = std::filesystem::absolute(runner, ec);
    w.AddMethod(u"Name",
                [](std::span<Variant>) { return Variant::String(u"Windows Script Host"); });
    w.AddMethod(u"Version", [](std::span<Variant>) { return Variant::String(u"5.8"); });
    w.AddMethod(u"FullName", [p = runnerFull.string()](std::span<Variant>) { return Str(p); });
    w.AddMethod(u"Path",
                [p = runnerFull.parent_path().string()](std::span<Variant>) { return Str(p); });
    w.AddMethod(u"Interactive", [](std::span<Variant>) { return Variant::Bool(false); });
    w.SetDefault(u"Name");

    engine.AddObject(u"WScript", wscript_.get(), false);
    engine.AddObject(u"WSH", wscript_.get(), false);
}

}  // namespace vbs::tools
