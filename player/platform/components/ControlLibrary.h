#pragma once
// The player's side of the control-library interface (storyloom/control.h): a loaded library
// with its validated table of control classes, and the instances created from it.
//
// Everything here runs on the user-interface thread. The C structures never reach the
// callers: values are ControlValue, failures ControlError, the control's events, repaint and
// size requests arrive at a ControlSink. Whatever a control hands back is checked before it
// is used (names, counts, value types, string sizes, sizes of the control), and what breaks
// the interface's rules is refused and reported to the sink's OnFault, never followed.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <variant>
#include <vector>

#include "storyloom/control.h"

namespace storyloom {

class DynamicLibrary;

// A value passed to or from a control. The alternatives are the interface's value kinds:
// empty, 16-bit integer, 32-bit integer, double, UTF-8 text, boolean.
using ControlValue =
    std::variant<std::monostate, std::int16_t, std::int32_t, double, std::string, bool>;

// A failure as a script sees it (Err.Number, Err.Description).
struct ControlError {
    std::int32_t number = 0;
    std::string description;
};

struct ControlResult {
    bool ok = true;
    ControlValue value;  // a property's value or a method's result
    ControlError error;  // when !ok
};

struct EventParameter {
    std::string name;
    ControlValue value;
};

struct ControlSize {
    int width = 0;
    int height = 0;
    bool operator==(const ControlSize&) const = default;
};

// Largest width or height accepted from a control.
inline constexpr int kMaxControlSide = 16384;

// Errors the player gives on its own.
inline constexpr std::int32_t kErrNotSupported = 438;  // no such property or method
inline constexpr std::int32_t kErrUnsupportedValue = 458;
inline constexpr std::int32_t kErrInvalidCall = 5;
inline constexpr std::int32_t kErrObjectGone = 91;
inline constexpr std::int32_t kErrCannotCreate = 429;

// Receives what a control instance tells the player. Called on the user-interface thread,
// always from inside a call into the instance. Must not throw.
class ControlSink {
  public:
    virtual ~ControlSink() = default;
    virtual void OnEvent(const std::string& name,
                         const std::vector<EventParameter>& parameters) = 0;
    virtual void OnRepaint() {}
    virtual void OnResize(ControlSize) {}
    // Ticks wanted every `intervalMs` milliseconds (0: none); deliver them with Tick().
    virtual void OnTimerRequest(std::uint32_t) {}
    // The control broke a rule of the interface; what it asked for was refused.
    virtual void OnFault(const std::string&) {}
};

class ControlInstance;

class ControlLibrary : public std::enable_shared_from_this<ControlLibrary> {
  public:
    struct Class {
        std::string name;
        const sl_control_class* functions = nullptr;
        std::uint32_t size = 0;  // struct_size the library reported
    };

    // Checks a table that a library's entry point returned and copies what the player keeps
    // of it; nullptr and the reason in `error` when it breaks the interface's rules. Reads
    // the library's memory: the loader calls it on its guarded thread.
    static std::shared_ptr<ControlLibrary> FromTable(const sl_library* table, std::string& error);
    // Keeps `code` (the library the table came from) loaded as long as this object lives.
    void HoldCode(std::unique_ptr<DynamicLibrary> code);

    ~ControlLibrary();

    const std::string& Name() const { return name_; }
    const std::string& Version() const { return version_; }
    const std::vector<Class>& Classes() const { return classes_; }
    // The class named `controlName` (ASCII case ignored), nullptr when there is none.
    const Class* Find(std::string_view controlName) const;
    // "Library.Control" for every control class.
    std::vector<std::string> ProgIds() const;

    // A new instance of the control named `controlName`; nullptr and `error` on failure.
    // `sink` must stay alive until the instance is closed or gone.
    std::shared_ptr<ControlInstance> Create(std::string_view controlName, ControlSink& sink,
                                            ControlError& error);

  private:
    ControlLibrary() = default;
    std::string name_;
    std::string version_;
    std::vector<Class> classes_;
    std::unique_ptr<DynamicLibrary> code_;
};

// One control. Not copyable; owned through shared_ptr (a call that is running keeps it
// alive, so that a script that removes the control from inside one of its events is safe).
class ControlInstance : public std::enable_shared_from_this<ControlInstance> {
  public:
    ~ControlInstance();
    ControlInstance(const ControlInstance&) = delete;
    ControlInstance& operator=(const ControlInstance&) = delete;

    const std::string& ProgId() const { return progId_; }

    // The control's size as it reports it now ({0, 0} once closed).
    ControlSize Size();
    // Asks for a size; returns the size the control took.
    ControlSize SetSize(ControlSize size);
    // Paints the control into `pixels` (premultiplied ARGB32, `stride` bytes per row, at
    // least width x height), which is cleared to transparent first.
    void Paint(std::uint32_t* pixels, int width, int height, int stride);
    // kind: SL_MOUSE_DOWN, SL_MOUSE_UP, SL_MOUSE_MOVE or SL_MOUSE_DOUBLE_CLICK.
    void Mouse(int kind, int x, int y, int button, int shift);
    ControlResult GetProperty(std::string_view name);
    ControlResult SetProperty(std::string_view name, const ControlValue& value);
    ControlResult CallMethod(std::string_view name, std::span<const ControlValue> arguments);
    // One tick of the timer the control asked for.
    void Tick();

    // Destroys the control: at once, or, when one of its calls is running (the script
    // removes it from inside its own event), as soon as the outermost call returns. Calls
    // after this fail with error 91; the sink hears nothing more.
    void Close();
    bool Closed() const { return phase_ == Phase::Closing || phase_ == Phase::Closed; }

  private:
    friend class ControlLibrary;
    enum class Phase { Creating, Live, Closing, Closed };
    class CallScope;

    ControlInstance(std::shared_ptr<ControlLibrary> library, const ControlLibrary::Class& cls,
                    ControlSink& sink);
    bool Has(std::size_t offset, std::size_t size) const;
    void DestroyNow();
    void Fault(const std::string& what);
    bool Listening() const;
    ControlResult Finish(sl_status status, const sl_variant* result, const sl_error& error);
    static ControlResult Unsupported(std::string_view name);
    static ControlResult Gone();

    // Host functions.
    static ControlInstance* Owner(const sl_host* host);
    static sl_status RaiseEvent(const sl_host* host, const char* name, const sl_event_param* params,
                                std::uint32_t count);
    static void Invalidate(const sl_host* host);
    static void SizeChanged(const sl_host* host, std::int32_t width, std::int32_t height);
    static void SetTimer(const sl_host* host, std::uint32_t intervalMs);

    std::shared_ptr<ControlLibrary> library_;
    const sl_control_class* functions_;
    std::uint32_t classSize_;
    std::string progId_;
    ControlSink* sink_;
    sl_host host_{};
    sl_instance* native_ = nullptr;
    Phase phase_ = Phase::Creating;
    int depth_ = 0;  // calls into the control now running
    std::thread::id thread_;
};

// Text from a control made safe to keep: invalid UTF-8 becomes U+FFFD.
std::string SanitizedUtf8(std::string_view bytes);

}  // namespace storyloom
