#include "platform/components/ControlLibrary.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/dynlib/DynamicLibraries.h"

namespace storyloom {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Copies an identifier (a letter, then letters, digits and "_"; at most SL_MAX_NAME_LENGTH
// bytes) without reading past its end or past the longest name allowed.
bool ReadIdentifier(const char* name, std::string& out) {
    if (!name) return false;
    const size_t length = strnlen(name, SL_MAX_NAME_LENGTH + 1);
    if (length == 0 || length > SL_MAX_NAME_LENGTH || !IsLetter(name[0])) return false;
    for (size_t i = 1; i < length; ++i) {
        if (!IsLetter(name[i]) && !IsDigit(name[i]) && name[i] != '_') return false;
    }
    out.assign(name, length);
    return true;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// A value from the control; false with the reason when it breaks the rules.
bool FromVariant(const sl_variant& v, ControlValue& out, std::string& problem) {
    switch (v.type) {
        case SL_EMPTY:
            out = std::monostate{};
            return true;
        case SL_INT16:
            if (v.value.i < INT16_MIN || v.value.i > INT16_MAX) {
                problem = "a 16-bit integer out of range (" + std::to_string(v.value.i) + ")";
                return false;
            }
            out = std::int16_t(v.value.i);
            return true;
        case SL_INT32:
            out = std::int32_t(v.value.i);
            return true;
        case SL_DOUBLE:
            out = v.value.d;
            return true;
        case SL_BOOL:
            out = v.value.b != 0;
            return true;
        case SL_STRING:
            if (v.value.s.size > SL_MAX_STRING_BYTES) {
                problem = "a string of " + std::to_string(v.value.s.size) + " bytes";
                return false;
            }
            if (!v.value.s.data && v.value.s.size != 0) {
                problem = "a string without its bytes";
                return false;
            }
            out = SanitizedUtf8({v.value.s.data ? v.value.s.data : "", v.value.s.size});
            return true;
        default:
            problem = "a value of unknown type " + std::to_string(v.type);
            return false;
    }
}

// A value for the control. The strings point into `value`, which must outlive the call.
sl_variant ToVariant(const ControlValue& value) {
    struct Visitor {
        sl_variant operator()(std::monostate) const {
            sl_variant v{};
            v.type = SL_EMPTY;
            return v;
        }
        sl_variant operator()(std::int16_t i) const { return sl_make_int16(i); }
        sl_variant operator()(std::int32_t i) const { return sl_make_int32(i); }
        sl_variant operator()(double d) const { return sl_make_double(d); }
        sl_variant operator()(const std::string& s) const {
            return sl_make_string(s.data(), s.size());
        }
        sl_variant operator()(bool b) const { return sl_make_bool(b ? 1 : 0); }
    };
    return std::visit(Visitor{}, value);
}

sl_variant EmptyVariant() {
    sl_variant v{};
    v.type = SL_EMPTY;
    return v;
}

}  // namespace

std::string SanitizedUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        uint32_t c = 0;
        if (b0 < 0x80) {
            out += char(b0);
            ++i;
            continue;
        }
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2;
            c = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3;
            c = b0 & 0x0F;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4;
            c = b0 & 0x07;
        }
        bool valid = length != 0 && i + length <= bytes.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80) valid = false;
            c = (c << 6) | (b & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond U+10FFFF.
        if (valid && ((length == 3 && c < 0x800) || (length == 4 && c < 0x10000) ||
                      (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)) {
            valid = false;
        }
        if (!valid) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        out.append(bytes.substr(i, length));
        i += length;
    }
    return out;
}

// Marks a call into the control: keeps the instance alive while it runs and carries out a
// Close() that came during it once the outermost call returns.
class ControlInstance::CallScope {
  public:
    explicit CallScope(ControlInstance& instance) : keep_(instance.shared_from_this()) {
        ++instance.depth_;
    }
    ~CallScope() {
        ControlInstance& instance = *keep_;
        if (--instance.depth_ == 0 && instance.phase_ == Phase::Closing) instance.DestroyNow();
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

  private:
    std::shared_ptr<ControlInstance> keep_;
};

// ---- ControlLibrary --------------------------------------------------------------------

std::shared_ptr<ControlLibrary> ControlLibrary::FromTable(const sl_library* table,
                                                          std::string& error) {
    if (!table) {
        error = "the entry point gave no table for interface version " +
                std::to_string(SL_CONTROL_ABI_VERSION);
        return nullptr;
    }
    if (table->struct_size < offsetof(sl_library, name)) {
        error = "its table is damaged (size " + std::to_string(table->struct_size) + ")";
        return nullptr;
    }
    if (table->abi_version != SL_CONTROL_ABI_VERSION) {
        error = "it was built for interface version " + std::to_string(table->abi_version) +
                "; this player supports version " + std::to_string(SL_CONTROL_ABI_VERSION);
        return nullptr;
    }
    if (table->struct_size < sizeof(sl_library)) {
        error = "its table is shorter (" + std::to_string(table->struct_size) +
                " bytes) than interface version 1 requires";
        return nullptr;
    }
    std::shared_ptr<ControlLibrary> library(new ControlLibrary());
    if (!ReadIdentifier(table->name, library->name_)) {
        error = "its library name is missing or not a plain name";
        return nullptr;
    }
    if (table->version) {
        library->version_ =
            SanitizedUtf8({table->version, strnlen(table->version, SL_MAX_NAME_LENGTH)});
    }
    if (table->control_count == 0 || table->control_count > SL_MAX_CONTROLS || !table->controls) {
        error = "it lists " + std::to_string(table->control_count) + " controls (1 to " +
                std::to_string(SL_MAX_CONTROLS) + " allowed)";
        return nullptr;
    }
    for (uint32_t i = 0; i < table->control_count; ++i) {
        const sl_control_class* cls = table->controls[i];
        const std::string which = "control " + std::to_string(i + 1);
        if (!cls) {
            error = which + " is missing";
            return nullptr;
        }
        if (cls->struct_size < sizeof(sl_control_class)) {
            error = which + " has a table shorter than interface version 1 requires";
            return nullptr;
        }
        Class entry;
        if (!ReadIdentifier(cls->name, entry.name)) {
            error = which + " has no name or one that is not a plain name";
            return nullptr;
        }
        if (!cls->create || !cls->destroy || !cls->get_size) {
            error = "control " + entry.name + " lacks create, destroy or get_size";
            return nullptr;
        }
        if (library->Find(entry.name)) {
            error = "control " + entry.name + " is listed twice";
            return nullptr;
        }
        entry.functions = cls;
        entry.size = cls->struct_size;
        library->classes_.push_back(std::move(entry));
    }
    return library;
}

void ControlLibrary::HoldCode(std::unique_ptr<DynamicLibrary> code) {
    code_ = std::move(code);
}

ControlLibrary::~ControlLibrary() = default;

const ControlLibrary::Class* ControlLibrary::Find(std::string_view controlName) const {
    for (const Class& c : classes_) {
        if (SameName(c.name, controlName)) return &c;
    }
    return nullptr;
}

std::vector<std::string> ControlLibrary::ProgIds() const {
    std::vector<std::string> ids;
    for (const Class& c : classes_) ids.push_back(name_ + "." + c.name);
    return ids;
}

std::shared_ptr<ControlInstance> ControlLibrary::Create(std::string_view controlName,
                                                        ControlSink& sink, ControlError& error) {
    const Class* cls = Find(controlName);
    if (!cls) {
        error = {kErrCannotCreate,
                 "The control library " + name_ + " has no control " + std::string(controlName)};
        return nullptr;
    }
    std::shared_ptr<ControlInstance> instance(new ControlInstance(shared_from_this(), *cls, sink));
    sl_error failure{};
    sl_instance* native = nullptr;
    {
        ControlInstance::CallScope scope(*instance);
        native = cls->functions->create(&instance->host_, &failure);
    }
    if (!native) {
        instance->phase_ = ControlInstance::Phase::Closed;
        instance->sink_ = nullptr;
        error.number = failure.number != 0 ? failure.number : kErrCannotCreate;
        error.description =
            SanitizedUtf8({failure.description, strnlen(failure.description, SL_ERROR_TEXT_SIZE)});
        if (error.description.empty()) {
            error.description = "The control " + instance->progId_ + " could not be created";
        }
        return nullptr;
    }
    instance->native_ = native;
    instance->phase_ = ControlInstance::Phase::Live;
    return instance;
}

// ---- ControlInstance -------------------------------------------------------------------

ControlInstance::ControlInstance(std::shared_ptr<ControlLibrary> library,
                                 const ControlLibrary::Class& cls, ControlSink& sink)
    : library_(std::move(library)),
      functions_(cls.functions),
      classSize_(cls.size),
      progId_(library_->Name() + "." + cls.name),
      sink_(&sink),
      thread_(std::this_thread::get_id()) {
    host_.struct_size = sizeof(sl_host);
    host_.abi_version = SL_CONTROL_ABI_VERSION;
    host_.host_data = this;
    host_.raise_event = &ControlInstance::RaiseEvent;
    host_.invalidate = &ControlInstance::Invalidate;
    host_.size_changed = &ControlInstance::SizeChanged;
    host_.set_timer = &ControlInstance::SetTimer;
}

ControlInstance::~ControlInstance() {
    if (native_) {
        phase_ = Phase::Closing;
        DestroyNow();
    }
}

bool ControlInstance::Has(std::size_t offset, std::size_t size) const {
    return offset + size <= classSize_;
}

#define STORYLOOM_HAS(member)                                               \
    (Has(offsetof(sl_control_class, member), sizeof(functions_->member)) && \
     functions_->member != nullptr)

void ControlInstance::DestroyNow() {
    sink_ = nullptr;
    sl_instance* native = native_;
    native_ = nullptr;
    if (native) functions_->destroy(native);
    phase_ = Phase::Closed;
}

void ControlInstance::Close() {
    if (Closed()) return;
    phase_ = Phase::Closing;
    sink_ = nullptr;
    if (depth_ == 0) DestroyNow();
}

void ControlInstance::Fault(const std::string& what) {
    if (!sink_) return;
    try {
        sink_->OnFault(progId_ + ": " + what);
    } catch (...) {
    }
}

ControlResult ControlInstance::Unsupported(std::string_view) {
    return {false, {}, {kErrNotSupported, "Object doesn't support this property or method"}};
}

ControlResult ControlInstance::Gone() {
    return {false, {}, {kErrObjectGone, "Object variable or With block variable not set"}};
}

ControlResult ControlInstance::Finish(sl_status status, const sl_variant* result,
                                      const sl_error& error) {
    ControlResult out;
    if (status == SL_OK) {
        std::string problem;
        if (result && !FromVariant(*result, out.value, problem)) {
            Fault("returned " + problem);
            return {false,
                    {},
                    {kErrUnsupportedValue,
                     "Variable uses an Automation type not supported in VBScript"}};
        }
        return out;
    }
    out.ok = false;
    out.error.number = error.number != 0 ? error.number : kErrInvalidCall;
    out.error.description =
        SanitizedUtf8({error.description, strnlen(error.description, SL_ERROR_TEXT_SIZE)});
    if (out.error.description.empty() && error.number == 0) {
        out.error.description = "Invalid procedure call or argument";
    }
    return out;
}

ControlSize ControlInstance::Size() {
    if (phase_ != Phase::Live) return {};
    CallScope scope(*this);
    int32_t width = 0, height = 0;
    functions_->get_size(native_, &width, &height);
    if (width < 0 || height < 0 || width > kMaxControlSide || height > kMaxControlSide) {
        Fault("reported the size " + std::to_string(width) + " x " + std::to_string(height));
        width = std::clamp(width, 0, kMaxControlSide);
        height = std::clamp(height, 0, kMaxControlSide);
    }
    return {width, height};
}

ControlSize ControlInstance::SetSize(ControlSize size) {
    if (phase_ != Phase::Live) return {};
    if (STORYLOOM_HAS(set_size)) {
        CallScope scope(*this);
        functions_->set_size(native_, size.width, size.height);
    }
    return Size();
}

void ControlInstance::Paint(std::uint32_t* pixels, int width, int height, int stride) {
    if (!pixels || width <= 0 || height <= 0 || int64_t(stride) < int64_t(width) * 4) return;
    for (int y = 0; y < height; ++y) {
        std::memset(reinterpret_cast<char*>(pixels) + int64_t(y) * stride, 0, size_t(width) * 4);
    }
    if (phase_ != Phase::Live || !STORYLOOM_HAS(paint)) return;
    CallScope scope(*this);
    sl_pixels target{};
    target.struct_size = sizeof(sl_pixels);
    target.format = SL_PIXELS_ARGB32_PREMULTIPLIED;
    target.width = width;
    target.height = height;
    target.stride = stride;
    target.data = pixels;
    functions_->paint(native_, &target);
}

void ControlInstance::Mouse(int kind, int x, int y, int button, int shift) {
    if (phase_ != Phase::Live || !STORYLOOM_HAS(mouse)) return;
    CallScope scope(*this);
    sl_mouse_event event{};
    event.struct_size = sizeof(sl_mouse_event);
    event.kind = kind;
    event.x = x;
    event.y = y;
    event.button = button;
    event.shift = shift;
    functions_->mouse(native_, &event);
}

ControlResult ControlInstance::GetProperty(std::string_view name) {
    if (phase_ != Phase::Live) return Gone();
    if (!STORYLOOM_HAS(get_property)) return Unsupported(name);
    CallScope scope(*this);
    const std::string key(name);
    sl_variant result = EmptyVariant();
    sl_error error{};
    const sl_status status = functions_->get_property(native_, key.c_str(), &result, &error);
    return Finish(status, &result, error);
}

ControlResult ControlInstance::SetProperty(std::string_view name, const ControlValue& value) {
    if (phase_ != Phase::Live) return Gone();
    if (!STORYLOOM_HAS(set_property)) return Unsupported(name);
    CallScope scope(*this);
    const std::string key(name);
    const sl_variant v = ToVariant(value);
    sl_error error{};
    const sl_status status = functions_->set_property(native_, key.c_str(), &v, &error);
    return Finish(status, nullptr, error);
}

ControlResult ControlInstance::CallMethod(std::string_view name,
                                          std::span<const ControlValue> arguments) {
    if (phase_ != Phase::Live) return Gone();
    if (!STORYLOOM_HAS(call_method)) return Unsupported(name);
    CallScope scope(*this);
    const std::string key(name);
    std::vector<sl_variant> args;
    args.reserve(arguments.size());
    for (const ControlValue& a : arguments) args.push_back(ToVariant(a));
    sl_variant result = EmptyVariant();
    sl_error error{};
    const sl_status status =
        functions_->call_method(native_, key.c_str(), args.empty() ? nullptr : args.data(),
                                uint32_t(args.size()), &result, &error);
    return Finish(status, &result, error);
}

void ControlInstance::Tick() {
    if (phase_ != Phase::Live || !STORYLOOM_HAS(timer)) return;
    CallScope scope(*this);
    functions_->timer(native_);
}

#undef STORYLOOM_HAS

// ---- Host functions ----------------------------------------------------------------------

// Requests (repaint, size, timer) are taken on the user-interface thread during any call into
// the control, its creation included; events only once it exists (see RaiseEvent).
bool ControlInstance::Listening() const {
    return std::this_thread::get_id() == thread_ && depth_ > 0 &&
           (phase_ == Phase::Live || phase_ == Phase::Creating);
}

ControlInstance* ControlInstance::Owner(const sl_host* host) {
    if (!host) return nullptr;
    auto* self = static_cast<ControlInstance*>(host->host_data);
    // The block must be the instance's own: a library that passes another pointer is refused.
    if (!self || &self->host_ != host) return nullptr;
    return self;
}

sl_status ControlInstance::RaiseEvent(const sl_host* host, const char* name,
                                      const sl_event_param* params, std::uint32_t count) {
    ControlInstance* self = Owner(host);
    if (!self) return SL_REFUSED_ARGUMENTS;
    // The sink belongs to the user-interface thread: from any other thread, refuse quietly.
    if (std::this_thread::get_id() != self->thread_) return SL_REFUSED_NOT_NOW;
    if (self->phase_ != Phase::Live || self->depth_ == 0) {
        self->Fault("raised an event outside a call into it");
        return SL_REFUSED_NOT_NOW;
    }
    std::string eventName;
    if (!ReadIdentifier(name, eventName)) {
        self->Fault("raised an event without a plain name");
        return SL_REFUSED_ARGUMENTS;
    }
    if (count > SL_MAX_EVENT_PARAMS || (count > 0 && !params)) {
        self->Fault("raised " + eventName + " with " + std::to_string(count) +
                    (params ? " parameters" : " parameters that are not there"));
        return SL_REFUSED_ARGUMENTS;
    }
    std::vector<EventParameter> parameters(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const sl_event_param& p = params[i];
        const size_t length = p.name ? strnlen(p.name, SL_MAX_NAME_LENGTH + 1) : 0;
        std::string problem;
        if (!p.name || length > SL_MAX_NAME_LENGTH) {
            problem = "a parameter name that is missing or too long";
        } else if (!FromVariant(p.value, parameters[i].value, problem)) {
            problem = "a parameter with " + problem;
        }
        if (!problem.empty()) {
            self->Fault("raised " + eventName + " with " + problem);
            return SL_REFUSED_ARGUMENTS;
        }
        parameters[i].name = SanitizedUtf8({p.name, length});
    }
    try {
        self->sink_->OnEvent(eventName, parameters);
    } catch (...) {
        self->Fault("the handler of " + eventName + " failed");
    }
    return SL_OK;
}

void ControlInstance::Invalidate(const sl_host* host) {
    ControlInstance* self = Owner(host);
    if (!self || !self->Listening()) return;
    try {
        self->sink_->OnRepaint();
    } catch (...) {
    }
}

void ControlInstance::SizeChanged(const sl_host* host, std::int32_t width, std::int32_t height) {
    ControlInstance* self = Owner(host);
    if (!self || !self->Listening()) return;
    if (width < 0 || height < 0 || width > kMaxControlSide || height > kMaxControlSide) {
        self->Fault("reported the size " + std::to_string(width) + " x " + std::to_string(height));
        return;
    }
    try {
        self->sink_->OnResize({width, height});
    } catch (...) {
    }
}

void ControlInstance::SetTimer(const sl_host* host, std::uint32_t intervalMs) {
    ControlInstance* self = Owner(host);
    if (!self || !self->Listening()) return;
    try {
        self->sink_->OnTimerRequest(intervalMs);
    } catch (...) {
    }
}

}  // namespace storyloom
