// Menulet: a control library with one control, MenuletControlRELEASE1, a horizontal strip of
// up to five picture buttons. A game creates it as "Menulet.MenuletControlRELEASE1", shows the
// buttons it wants with ShowButton, hides them with HideAllButtons and hears a click on a
// visible button as the event ButtonClick with the button's number.
//
// Whoever changes what this control does must also change its name (MenuletControlRELEASEx),
// so that it does not interfere with other versions of the same control in other games.
#include <storyloom/control.h>

#include <QImage>
#include <QPainter>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "ButtonPictures.h"

using menulet::ButtonPicture;
using menulet::kButtonCount;

struct sl_instance {
    const sl_host* host = nullptr;
    bool visible[kButtonCount] = {true, true, true, true, true};  // as designed: all shown
    int left[kButtonCount] = {};
    int width = 0;
    int height = 0;
    int pressed = 0;  // the button the left mouse button went down on, 0 for none
};

namespace {

// ---- Errors, worded as the script engine words them ---------------------------------------

sl_status Fail(sl_error* error, int32_t number, const std::string& text) {
    sl_set_error(error, number, text.c_str());
    return SL_FAILED;
}

sl_status NotSupported(sl_error* error) {
    return Fail(error, 438, "Object doesn't support this property or method");
}

// A script value as a 32-bit integer, the way the script engine converts it to Long:
// numbers rounded half to even, True -1, Empty 0, text that reads as a number.
sl_status ToLong(const sl_variant& value, int32_t& out, sl_error* error) {
    double number = 0;
    switch (value.type) {
        case SL_EMPTY:
            out = 0;
            return SL_OK;
        case SL_INT16:
        case SL_INT32:
            out = value.value.i;
            return SL_OK;
        case SL_BOOL:
            out = value.value.b ? -1 : 0;
            return SL_OK;
        case SL_DOUBLE:
            number = value.value.d;
            break;
        case SL_STRING: {
            std::string_view text(value.value.s.data ? value.value.s.data : "",
                                  value.value.s.data ? value.value.s.size : 0);
            while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
                text.remove_prefix(1);
            }
            while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
                text.remove_suffix(1);
            }
            if (!text.empty() && text.front() == '+') text.remove_prefix(1);
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
                return Fail(error, 13, "Type mismatch");
            }
            break;
        }
        default:
            return Fail(error, 13, "Type mismatch");
    }
    const double rounded = std::nearbyint(number);  // the default rounding: half to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        return Fail(error, 6, "Overflow");
    }
    out = int32_t(rounded);
    return SL_OK;
}

// ---- The strip ------------------------------------------------------------------------

template <typename Fn>
void TellHost(const sl_instance* self, Fn fn) {
    if (self->host) fn(*self->host);
}

// Visible buttons side by side from the left in number order, no gaps; the strip as high as
// button 1 and as wide as the visible buttons together (0 with none).
void Arrange(sl_instance* self) {
    self->height = ButtonPicture(1).height();
    int x = 0;
    for (int i = 0; i < kButtonCount; ++i) {
        if (!self->visible[i]) continue;
        self->left[i] = x;
        x += ButtonPicture(i + 1).width();
    }
    self->width = x;
    TellHost(self, [&](const sl_host& host) {
        if (SL_HAS_MEMBER(sl_host, size_changed, host.struct_size) && host.size_changed) {
            host.size_changed(&host, self->width, self->height);
        }
        if (SL_HAS_MEMBER(sl_host, invalidate, host.struct_size) && host.invalidate) {
            host.invalidate(&host);
        }
    });
}

// The visible button at (x, y), 0 for none.
int ButtonAt(const sl_instance* self, int x, int y) {
    if (y < 0 || y >= self->height) return 0;
    for (int i = 0; i < kButtonCount; ++i) {
        if (self->visible[i] && x >= self->left[i] &&
            x < self->left[i] + ButtonPicture(i + 1).width() && y < ButtonPicture(i + 1).height()) {
            return i + 1;
        }
    }
    return 0;
}

void RaiseButtonClick(sl_instance* self, int number) {
    TellHost(self, [&](const sl_host& host) {
        if (!SL_HAS_MEMBER(sl_host, raise_event, host.struct_size) || !host.raise_event) return;
        sl_event_param param;
        param.name = "ButtonNumber";
        param.value = sl_make_int16(int16_t(number));
        host.raise_event(&host, "ButtonClick", &param, 1);
    });
}

// ---- Class functions ----------------------------------------------------------------

sl_instance* Create(const sl_host* host, sl_error* error) {
    auto* self = new (std::nothrow) sl_instance;
    if (!self) {
        sl_set_error(error, 7, "Out of memory");
        return nullptr;
    }
    self->host = host;
    Arrange(self);
    return self;
}

void Destroy(sl_instance* self) {
    delete self;
}

void GetSize(sl_instance* self, int32_t* width, int32_t* height) {
    *width = self->width;
    *height = self->height;
}

// The size a script gives the component stays until the buttons are arranged again.
void SetSize(sl_instance* self, int32_t width, int32_t height) {
    self->width = width < 0 ? 0 : width;
    self->height = height < 0 ? 0 : height;
}

void Paint(sl_instance* self, const sl_pixels* target) {
    if (!target || !SL_HAS_MEMBER(sl_pixels, data, target->struct_size) || !target->data ||
        target->format != SL_PIXELS_ARGB32_PREMULTIPLIED || target->width <= 0 ||
        target->height <= 0 || target->stride < target->width * 4) {
        return;
    }
    QImage canvas(static_cast<uchar*>(target->data), target->width, target->height, target->stride,
                  QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    for (int i = 0; i < kButtonCount; ++i) {
        if (self->visible[i]) painter.drawImage(self->left[i], 0, ButtonPicture(i + 1));
    }
}

// A click is the left button going down on a visible button and coming up on the same one.
// The second press of a double click arrives as a double click, not as a press, so a double
// click makes one ButtonClick.
void Mouse(sl_instance* self, const sl_mouse_event* event) {
    if (!event || !SL_HAS_MEMBER(sl_mouse_event, shift, event->struct_size)) return;
    if (event->button != SL_BUTTON_LEFT) return;
    if (event->kind == SL_MOUSE_DOWN) {
        self->pressed = ButtonAt(self, event->x, event->y);
    } else if (event->kind == SL_MOUSE_UP) {
        const int pressed = self->pressed;
        self->pressed = 0;
        if (pressed != 0 && ButtonAt(self, event->x, event->y) == pressed) {
            RaiseButtonClick(self, pressed);
        }
    }
}

sl_status GetProperty(sl_instance*, const char*, sl_variant*, sl_error* error) {
    return NotSupported(error);
}

sl_status SetProperty(sl_instance*, const char*, const sl_variant*, sl_error* error) {
    return NotSupported(error);
}

sl_status CallMethod(sl_instance* self, const char* name, const sl_variant* args, uint32_t count,
                     sl_variant*, sl_error* error) {
    if (sl_name_equals(name, "ShowButton")) {
        if (count == 0) return Fail(error, 449, "Argument not optional");
        if (count > 1) {
            return Fail(error, 450, "Wrong number of arguments or invalid property assignment");
        }
        int32_t number = 0;
        if (ToLong(args[0], number, error) != SL_OK) return SL_FAILED;
        if (number < 1 || number > kButtonCount) {
            return Fail(error, 340,
                        "Control array element '" + std::to_string(number) + "' doesn't exist");
        }
        self->visible[number - 1] = true;
        Arrange(self);
        return SL_OK;
    }
    if (sl_name_equals(name, "HideAllButtons")) {
        if (count != 0) {
            return Fail(error, 450, "Wrong number of arguments or invalid property assignment");
        }
        for (bool& v : self->visible) v = false;
        Arrange(self);
        return SL_OK;
    }
    return NotSupported(error);
}

const sl_control_class kMenuletControl = {sizeof(sl_control_class),
                                          "MenuletControlRELEASE1",
                                          Create,
                                          Destroy,
                                          GetSize,
                                          SetSize,
                                          Paint,
                                          Mouse,
                                          GetProperty,
                                          SetProperty,
                                          CallMethod,
                                          nullptr};

const sl_control_class* const kControls[] = {&kMenuletControl};

const sl_library kLibrary = {sizeof(sl_library), SL_CONTROL_ABI_VERSION, "Menulet", "1.00", 1,
                             kControls};

}  // namespace

extern "C" SL_EXPORT const sl_library* storyloom_control_library(uint32_t host_abi_version) {
    return host_abi_version >= 1 ? &kLibrary : nullptr;
}
