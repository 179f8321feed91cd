/* A minimal control library: one control, "Shapes.Square", a 32 x 32 square in its colour
   that raises "Clicked" (with the position) when the left mouse button comes up on it. */
#include <stdlib.h>
#include <storyloom/control.h>

struct sl_instance {
    const sl_host* host;
    uint32_t colour;
};

static sl_instance* Create(const sl_host* host, sl_error* error) {
    sl_instance* self = (sl_instance*)calloc(1, sizeof *self);
    if (!self) {
        sl_set_error(error, 7, "Out of memory");
        return NULL;
    }
    self->host = host;
    self->colour = 0xFF208040u;
    return self;
}

static void Destroy(sl_instance* self) {
    free(self);
}

static void GetSize(sl_instance* self, int32_t* width, int32_t* height) {
    (void)self;
    *width = 32;
    *height = 32;
}

static void Paint(sl_instance* self, const sl_pixels* target) {
    int32_t x, y;
    for (y = 0; y < target->height; ++y) {
        uint32_t* row = (uint32_t*)((char*)target->data + (size_t)y * (size_t)target->stride);
        for (x = 0; x < target->width; ++x) row[x] = self->colour;
    }
}

static void Mouse(sl_instance* self, const sl_mouse_event* event) {
    sl_event_param params[2];
    if (event->kind != SL_MOUSE_UP || event->button != SL_BUTTON_LEFT) return;
    params[0].name = "X";
    params[0].value = sl_make_int32(event->x);
    params[1].name = "Y";
    params[1].value = sl_make_int32(event->y);
    self->host->raise_event(self->host, "Clicked", params, 2);
}

static const sl_control_class kSquare = {sizeof(sl_control_class),
                                         "Square",
                                         Create,
                                         Destroy,
                                         GetSize,
                                         NULL,
                                         Paint,
                                         Mouse,
                                         NULL,
                                         NULL,
                                         NULL,
                                         NULL};
static const sl_control_class* const kClasses[] = {&kSquare};
static const sl_library kLibrary = {
    sizeof(sl_library), SL_CONTROL_ABI_VERSION, "Shapes", "1.0", 1, kClasses};

SL_EXPORT const sl_library* storyloom_control_library(uint32_t host_abi_version) {
    return host_abi_version >= 1 ? &kLibrary : NULL;
}
