/* "ProbeLib": a control library that uses every part of the interface, for the tests.
   "ProbeLib.Probe" has properties of every value kind, methods, mouse handling, painting,
   size, a timer and events, plus methods that break the rules on purpose; "ProbeLib.Plain"
   has only what is required. probe_raise_late raises an event outside any call. */
#include <stdlib.h>
#include <storyloom/control.h>
#include <string.h>

struct sl_instance {
    const sl_host* host;
    int32_t width, height;
    int32_t count;
    int16_t small;
    double ratio;
    char* caption;
    size_t caption_size;
    int enabled;
    uint32_t colour;
    int in_call;
    int32_t ticks;
    int32_t pauses, resumes; /* PauseComponent / ResumeComponent calls */
    char* result; /* string results stay here until the next call */
};

static int32_t g_live = 0;
static int32_t g_destroyed_in_call = 0;
static const sl_host* g_last_host = NULL;

static sl_status Fail(sl_error* error, int32_t number, const char* text) {
    sl_set_error(error, number, text);
    return SL_FAILED;
}

static int IsInteger(const sl_variant* v) {
    return v->type == SL_INT16 || v->type == SL_INT32;
}

static char* Copy(const char* data, size_t size) {
    char* copy = (char*)malloc(size + 1);
    if (!copy) return NULL;
    if (size) memcpy(copy, data, size);
    copy[size] = '\0';
    return copy;
}

static sl_instance* Create(const sl_host* host, sl_error* error) {
    sl_instance* self = (sl_instance*)calloc(1, sizeof *self);
    if (!self) {
        sl_set_error(error, 7, "Out of memory");
        return NULL;
    }
    self->host = host;
    self->width = 40;
    self->height = 30;
    self->colour = 0xFF3366CCu;
    self->ratio = 0.5;
    g_last_host = host;
    ++g_live;
    return self;
}

static void Destroy(sl_instance* self) {
    if (self->in_call) ++g_destroyed_in_call;
    if (g_last_host == self->host) g_last_host = NULL;
    free(self->caption);
    free(self->result);
    free(self);
    --g_live;
}

static void GetSize(sl_instance* self, int32_t* width, int32_t* height) {
    *width = self->width;
    *height = self->height;
}

/* Takes any size up to 500 x 500. */
static void SetSize(sl_instance* self, int32_t width, int32_t height) {
    self->width = width > 500 ? 500 : width;
    self->height = height > 500 ? 500 : height;
}

/* Its colour with a black frame one pixel wide. */
static void Paint(sl_instance* self, const sl_pixels* target) {
    int32_t x, y;
    if (target->struct_size < sizeof(sl_pixels) ||
        target->format != SL_PIXELS_ARGB32_PREMULTIPLIED) {
        return;
    }
    for (y = 0; y < target->height; ++y) {
        uint32_t* row = (uint32_t*)((char*)target->data + (size_t)y * (size_t)target->stride);
        for (x = 0; x < target->width; ++x) {
            const int edge = x == 0 || y == 0 || x == target->width - 1 || y == target->height - 1;
            row[x] = edge ? 0xFF000000u : self->colour;
        }
    }
}

static void Mouse(sl_instance* self, const sl_mouse_event* event) {
    sl_event_param params[4];
    const char* name = event->kind == SL_MOUSE_DOWN ? "MouseDown"
                       : event->kind == SL_MOUSE_UP ? "MouseUp"
                                                    : NULL;
    if (!name) return;
    params[0].name = "Button";
    params[0].value = sl_make_int16((int16_t)event->button);
    params[1].name = "Shift";
    params[1].value = sl_make_int16((int16_t)event->shift);
    params[2].name = "X";
    params[2].value = sl_make_int32(event->x);
    params[3].name = "Y";
    params[3].value = sl_make_int32(event->y);
    self->host->raise_event(self->host, name, params, 4);
}

static sl_status GetProperty(sl_instance* self, const char* name, sl_variant* result,
                             sl_error* error) {
    if (sl_name_equals(name, "Count")) {
        *result = sl_make_int32(self->count);
    } else if (sl_name_equals(name, "Small")) {
        *result = sl_make_int16(self->small);
    } else if (sl_name_equals(name, "Ratio")) {
        *result = sl_make_double(self->ratio);
    } else if (sl_name_equals(name, "Caption")) {
        *result = sl_make_string(self->caption, self->caption_size);
    } else if (sl_name_equals(name, "Enabled")) {
        *result = sl_make_bool(self->enabled);
    } else if (sl_name_equals(name, "Colour")) {
        *result = sl_make_int32((int32_t)self->colour);
    } else if (sl_name_equals(name, "Ticks")) {
        *result = sl_make_int32(self->ticks);
    } else if (sl_name_equals(name, "Pauses")) {
        *result = sl_make_int32(self->pauses);
    } else if (sl_name_equals(name, "Resumes")) {
        *result = sl_make_int32(self->resumes);
    } else if (sl_name_equals(name, "Live")) {
        *result = sl_make_int32(g_live);
    } else if (sl_name_equals(name, "DestroyedInCall")) {
        *result = sl_make_int32(g_destroyed_in_call);
    } else {
        return Fail(error, 438, "Object doesn't support this property or method");
    }
    return SL_OK;
}

static sl_status SetProperty(sl_instance* self, const char* name, const sl_variant* value,
                             sl_error* error) {
    if (sl_name_equals(name, "Count") && IsInteger(value)) {
        self->count = value->value.i;
    } else if (sl_name_equals(name, "Small") && value->type == SL_INT16) {
        self->small = (int16_t)value->value.i;
    } else if (sl_name_equals(name, "Ratio") && value->type == SL_DOUBLE) {
        self->ratio = value->value.d;
    } else if (sl_name_equals(name, "Caption") && value->type == SL_STRING) {
        char* copy = Copy(value->value.s.data, value->value.s.size);
        if (!copy) return Fail(error, 7, "Out of memory");
        free(self->caption);
        self->caption = copy;
        self->caption_size = value->value.s.size;
    } else if (sl_name_equals(name, "Enabled") && value->type == SL_BOOL) {
        self->enabled = value->value.b != 0;
    } else if (sl_name_equals(name, "Colour") && IsInteger(value)) {
        self->colour = (uint32_t)value->value.i;
    } else if (sl_name_equals(name, "Count") || sl_name_equals(name, "Small") ||
               sl_name_equals(name, "Ratio") || sl_name_equals(name, "Caption") ||
               sl_name_equals(name, "Enabled") || sl_name_equals(name, "Colour")) {
        return Fail(error, 13, "Type mismatch");
    } else {
        return Fail(error, 438, "Object doesn't support this property or method");
    }
    return SL_OK;
}

/* Events that break the rules, by number; returns what the player answered. */
static sl_status RaiseBad(sl_instance* self, int32_t mode) {
    const sl_host* h = self->host;
    sl_event_param p[1];
    p[0].name = "P";
    p[0].value = sl_make_int32(1);
    switch (mode) {
        case 1:
            return h->raise_event(h, NULL, p, 1);
        case 2:
            return h->raise_event(h, "", p, 1);
        case 3:
            return h->raise_event(h, "Odd", NULL, 3);
        case 4:
            return h->raise_event(h, "Odd", p, 1000000u);
        case 5:
            p[0].name = NULL;
            return h->raise_event(h, "Odd", p, 1);
        case 6:
            p[0].value.type = 99;
            return h->raise_event(h, "Odd", p, 1);
        case 7:
            p[0].value = sl_make_int16(1);
            p[0].value.value.i = 70000;
            return h->raise_event(h, "Odd", p, 1);
        case 8:
            p[0].value = sl_make_string(NULL, 5);
            return h->raise_event(h, "Odd", p, 1);
        case 9:
            p[0].value = sl_make_string("x", (size_t)SL_MAX_STRING_BYTES + 1);
            return h->raise_event(h, "Odd", p, 1);
        case 10:
            return h->raise_event(h, "Bad Name", p, 1);
        default: {
            sl_host forged = *h; /* a copy is not the player's block */
            return forged.raise_event(&forged, "Odd", p, 1);
        }
    }
}

/* A result that breaks the rules, by number. */
static void ReturnBad(int32_t mode, sl_variant* result) {
    switch (mode) {
        case 1:
            result->type = 99;
            break;
        case 2:
            *result = sl_make_string(NULL, 5);
            break;
        case 3:
            *result = sl_make_int16(1);
            result->value.i = 70000;
            break;
        default:
            *result = sl_make_string("x", (size_t)SL_MAX_STRING_BYTES + 1);
            break;
    }
}

static sl_status CallMethod(sl_instance* self, const char* name, const sl_variant* args,
                            uint32_t count, sl_variant* result, sl_error* error) {
    const sl_host* h = self->host;
    if (sl_name_equals(name, "Add")) {
        long long sum;
        if (count != 2) return Fail(error, 450, "Wrong number of arguments");
        if (!IsInteger(&args[0]) || !IsInteger(&args[1])) return Fail(error, 13, "Type mismatch");
        sum = (long long)args[0].value.i + args[1].value.i;
        if (sum > INT32_MAX || sum < INT32_MIN) return Fail(error, 6, "Overflow");
        *result = sl_make_int32((int32_t)sum);
    } else if (sl_name_equals(name, "Echo")) {
        if (count != 1) return Fail(error, 450, "Wrong number of arguments");
        *result = args[0];
        if (args[0].type == SL_STRING) { /* the argument goes away: keep a copy */
            free(self->result);
            self->result = Copy(args[0].value.s.data, args[0].value.s.size);
            if (!self->result) return Fail(error, 7, "Out of memory");
            result->value.s.data = self->result;
        }
    } else if (sl_name_equals(name, "Fire")) {
        sl_event_param p[5];
        p[0].name = "Text";
        p[0].value = sl_make_string(self->caption, self->caption_size);
        p[1].name = "Number";
        p[1].value = sl_make_int32(self->count);
        p[2].name = "Ratio";
        p[2].value = sl_make_double(self->ratio);
        p[3].name = "Flag";
        p[3].value = sl_make_bool(self->enabled);
        p[4].name = "";
        p[4].value = sl_make_int16(self->small);
        *result = sl_make_int32(h->raise_event(h, "Fired", p, 5));
    } else if (sl_name_equals(name, "FireAndSurvive")) {
        /* Raises an event, then reads its own state: the player must not have destroyed it. */
        self->in_call = 1;
        h->raise_event(h, "Fired", NULL, 0);
        self->in_call = 0;
        *result = sl_make_int32(self->count);
    } else if (sl_name_equals(name, "Bad")) {
        if (count != 1 || !IsInteger(&args[0])) return Fail(error, 13, "Type mismatch");
        *result = sl_make_int32(RaiseBad(self, args[0].value.i));
    } else if (sl_name_equals(name, "ReturnBad")) {
        if (count != 1 || !IsInteger(&args[0])) return Fail(error, 13, "Type mismatch");
        ReturnBad(args[0].value.i, result);
    } else if (sl_name_equals(name, "PauseComponent")) {
        ++self->pauses;
    } else if (sl_name_equals(name, "ResumeComponent")) {
        ++self->resumes;
    } else if (sl_name_equals(name, "FireMany")) {
        /* The most parameters an event may have, with odd names and every kind of value. */
        sl_event_param p[SL_MAX_EVENT_PARAMS];
        uint32_t i;
        for (i = 0; i < SL_MAX_EVENT_PARAMS; ++i) {
            p[i].name = i % 3 == 0 ? "" : i % 3 == 1 ? "Same" : "count";
            switch (i % 6) {
                case 0: p[i].value = sl_make_int16((int16_t)-32768); break;
                case 1: p[i].value = sl_make_int32(INT32_MIN); break;
                case 2: p[i].value = sl_make_double(-0.0); break;
                case 3: p[i].value = sl_make_string("\xff\xfe", 2); break;
                case 4: p[i].value = sl_make_bool(7); break;
                default: p[i].value.type = SL_EMPTY; p[i].value.reserved = 0; break;
            }
        }
        *result = sl_make_int32(h->raise_event(h, "Many", p, SL_MAX_EVENT_PARAMS));
    } else if (sl_name_equals(name, "Fail")) {
        return Fail(error, 1234, "Probe failure");
    } else if (sl_name_equals(name, "FailBare")) {
        return SL_FAILED;
    } else if (sl_name_equals(name, "Resize")) {
        if (count != 2 || !IsInteger(&args[0]) || !IsInteger(&args[1])) {
            return Fail(error, 13, "Type mismatch");
        }
        h->size_changed(h, args[0].value.i, args[1].value.i);
    } else if (sl_name_equals(name, "Repaint")) {
        h->invalidate(h);
    } else if (sl_name_equals(name, "StartTimer")) {
        if (count != 1 || !IsInteger(&args[0])) return Fail(error, 13, "Type mismatch");
        h->set_timer(h, (uint32_t)args[0].value.i);
    } else {
        return Fail(error, 438, "Object doesn't support this property or method");
    }
    return SL_OK;
}

static void Timer(sl_instance* self) {
    sl_event_param p[1];
    ++self->ticks;
    p[0].name = "Count";
    p[0].value = sl_make_int32(self->ticks);
    self->host->raise_event(self->host, "Tick", p, 1);
}

static sl_instance* CreatePlain(const sl_host* host, sl_error* error) {
    sl_instance* self = Create(host, error);
    if (self) {
        self->width = 10;
        self->height = 10;
    }
    return self;
}

static sl_instance* CreateRefused(const sl_host* host, sl_error* error) {
    (void)host;
    sl_set_error(error, 1001, "Refused: no licence");
    return NULL;
}

static const sl_control_class kProbe = {sizeof(sl_control_class),
                                        "Probe",
                                        Create,
                                        Destroy,
                                        GetSize,
                                        SetSize,
                                        Paint,
                                        Mouse,
                                        GetProperty,
                                        SetProperty,
                                        CallMethod,
                                        Timer};
static const sl_control_class kPlain = {sizeof(sl_control_class),
                                        "Plain",
                                        CreatePlain,
                                        Destroy,
                                        GetSize,
                                        NULL,
                                        NULL,
                                        NULL,
                                        NULL,
                                        NULL,
                                        NULL,
                                        NULL};
static const sl_control_class kRefused = {sizeof(sl_control_class),
                                          "Refused",
                                          CreateRefused,
                                          Destroy,
                                          GetSize,
                                          NULL,
                                          NULL,
                                          NULL,
                                          NULL,
                                          NULL,
                                          NULL,
                                          NULL};
static const sl_control_class* const kClasses[] = {&kProbe, &kPlain, &kRefused};
static const sl_library kLibrary = {
    sizeof(sl_library), SL_CONTROL_ABI_VERSION, "ProbeLib", "2.5", 3, kClasses};

SL_EXPORT const sl_library* storyloom_control_library(uint32_t host_abi_version) {
    return host_abi_version >= 1 ? &kLibrary : NULL;
}

/* An event outside any call into the control, as a library with a thread of its own might. */
SL_EXPORT sl_status probe_raise_late(void) {
    if (!g_last_host) return -1;
    return g_last_host->raise_event(g_last_host, "Late", NULL, 0);
}
