/*
 * Storyloom control libraries: the C interface between the player and a shared library that
 * provides visual controls ("components") which game scripts create by name at run time.
 *
 * The header compiles as C99 and as C++. A control library is a shared object (.so) that
 * exports one function, the entry point SL_ENTRY_POINT_NAME ("storyloom_control_library"):
 *
 *     SL_EXPORT const sl_library* storyloom_control_library(uint32_t host_abi_version);
 *
 * (in C++, declare it extern "C"). It returns a description of the library (sl_library): its
 * name, its version text and a
 * table of control classes (sl_control_class), each with its name and the functions that
 * create, destroy, size, paint and drive one instance. A game script names a control by its
 * program identifier: the library name, a dot and the control name ("Menulet.
 * MenuletControlRELEASE1"). Names are matched without regard to ASCII case.
 *
 * The player calls the entry point when it registers the library (it then records the
 * program identifiers and lets the library go again) and when a script first creates one of
 * its controls. Both times it loads the library and runs the entry point on a short-lived
 * thread of its own and waits for it at most 10 seconds; a library that takes longer, or
 * that faults meanwhile, is given up for the rest of the run (see "Rules" below).
 *
 * ---------------------------------------------------------------------------------------
 * Versions
 *
 * SL_CONTROL_ABI_VERSION is the interface version. It changes only when the interface
 * changes incompatibly; a player keeps accepting every version it has ever accepted, so a
 * library built today keeps loading. The entry point receives the highest version the
 * player supports and answers with a table of a version that the player supports (a library
 * that cannot serve that player returns NULL). This player supports version 1 only and
 * refuses a table that reports any other version.
 *
 * Compatible growth happens at the end of structures: every structure that one side hands to
 * the other starts with struct_size, the size of the structure as its writer was compiled.
 * Readers use a member only when struct_size covers it (SL_HAS_MEMBER below) and take a
 * documented default otherwise. Writers set struct_size = sizeof(the structure). The player
 * refuses a table whose struct_size is smaller than the version-1 structure.
 *
 * ---------------------------------------------------------------------------------------
 * Threads and re-entrancy
 *
 * Everything except the entry point happens on the player's user-interface thread: the
 * player calls create, destroy and the other class functions there, and a library calls the
 * host functions (sl_host) there, only while one of its class functions is running (an
 * event is always the consequence of a call: a mouse message, a method, a timer tick). The
 * player refuses host calls from any other thread and outside such a call (raise_event
 * answers SL_REFUSED_NOT_NOW, the others do nothing). In create, a control may already ask
 * for a size, a repaint or a timer, but not raise events.
 *
 * Raising an event runs the game's script at once, and the script may call back into the
 * same instance (a method, a property) before raise_event returns: keep no iterator or
 * pointer into your own state across raise_event that such a call could invalidate. The
 * script may also remove the component: the player then destroys the instance only after
 * the outermost of its running class functions has returned, never from inside raise_event.
 *
 * ---------------------------------------------------------------------------------------
 * Rules for a control library (it runs inside the player's process)
 *
 * A library must not:
 *  - do anything in the entry point but return its static table: no allocation that must be
 *    freed, no files, no threads, no waiting. The entry point may be called several times,
 *    from different threads (never at the same time as another of its own calls).
 *  - block: every class function runs on the thread that draws the game; return quickly.
 *  - start threads that call the host, or call the host outside a class function (refused).
 *  - let a C++ exception, longjmp or signal leave any function of this interface.
 *  - end the process (exit, abort, quick_exit, _exit) or change process-wide state: signal
 *    handlers, the current folder, the environment, locale, umask, standard streams, the
 *    floating-point environment, resource limits.
 *  - keep a pointer that the host passed (names, arguments, event parameters, the pixel
 *    buffer, the mouse message) beyond the call that passed it. The sl_host of an instance
 *    is the exception: it stays valid until destroy returns.
 *  - free or write memory the host owns, except the pixel buffer during paint and the
 *    result and error blocks of the call that received them.
 *  - create windows, or rely on an application object of a toolkit: draw into the buffer
 *    the player gives.
 *  - export symbols other than the entry point (build with hidden visibility), so that they
 *    cannot clash with the player's or another library's.
 *
 * What the player does when a library breaks these rules: an entry point that does not
 * return within the limit is abandoned. Its thread cannot be stopped safely inside the
 * process, so it is left running, the library stays loaded until the process ends, nothing
 * in it is called again, and the same file is refused for the rest of the run. A fault
 * (bad memory access, failed assertion, stack overflow) while loading the library or in the
 * entry point ends that thread and is treated the same way. A fault in any other function
 * takes the player down with it: no process can defend itself against code it runs.
 *
 * ---------------------------------------------------------------------------------------
 * A minimal control (the tests hold a complete one that builds as a library):
 *
 *     struct sl_instance { const sl_host* host; };
 *
 *     static sl_instance* Create(const sl_host* host, sl_error* error) {
 *         sl_instance* self = (sl_instance*)calloc(1, sizeof *self);
 *         if (!self) { sl_set_error(error, 7, "Out of memory"); return NULL; }
 *         self->host = host;
 *         return self;
 *     }
 *     static void Destroy(sl_instance* self) { free(self); }
 *     static void GetSize(sl_instance* self, int32_t* w, int32_t* h) { *w = 32; *h = 32; }
 *
 *     static const sl_control_class kSquare = {
 *         sizeof(sl_control_class), "Square", Create, Destroy, GetSize,
 *         NULL, NULL, NULL, NULL, NULL, NULL, NULL};
 *     static const sl_control_class* const kClasses[] = {&kSquare};
 *     static const sl_library kLibrary = {
 *         sizeof(sl_library), SL_CONTROL_ABI_VERSION, "Shapes", "1.0", 1, kClasses};
 *
 *     SL_EXPORT const sl_library* storyloom_control_library(uint32_t host_abi_version) {
 *         return host_abi_version >= 1 ? &kLibrary : NULL;
 *     }
 *
 * A script then creates it as "Shapes.Square".
 */
#ifndef STORYLOOM_CONTROL_H
#define STORYLOOM_CONTROL_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The interface version described by this header. */
#define SL_CONTROL_ABI_VERSION 1u

/* The name of the entry point every control library exports. */
#define SL_ENTRY_POINT_NAME "storyloom_control_library"

#if defined(_WIN32)
#define SL_EXPORT __declspec(dllexport)
#else
#define SL_EXPORT __attribute__((visibility("default")))
#endif

/* True when a structure that reports struct_size `size` contains `member`. */
#define SL_HAS_MEMBER(type, member, size) \
    (offsetof(type, member) + sizeof(((type*)0)->member) <= (size_t)(size))

/* Limits the player enforces on what a library hands it. */
#define SL_MAX_NAME_LENGTH 100u        /* library, control, property, method, event names */
#define SL_MAX_CONTROLS 256u           /* control classes in one library */
#define SL_MAX_EVENT_PARAMS 64u        /* parameters of one event */
#define SL_MAX_STRING_BYTES (1u << 24) /* one string value (16 MiB) */
#define SL_ERROR_TEXT_SIZE 256u        /* sl_error.description, terminating NUL included */

/* ---- Results ------------------------------------------------------------------------ */

typedef int32_t sl_status;
#define SL_OK 0                /* the call succeeded */
#define SL_FAILED 1            /* the call failed; the sl_error block says why */
#define SL_REFUSED_ARGUMENTS 2 /* host function: the arguments broke the rules; nothing done */
#define SL_REFUSED_NOT_NOW                                         \
    3 /* host function: wrong thread, outside a call, or in create \
         or destroy; nothing done */

/* The error of a failed call, as a script sees it: Err.Number and Err.Description. The
   player zero-fills it before each call. A library that fails with number 0 is reported as
   error 5 ("Invalid procedure call or argument"). */
typedef struct sl_error {
    int32_t number;
    char description[SL_ERROR_TEXT_SIZE]; /* UTF-8, NUL-terminated */
} sl_error;

/* ---- Values --------------------------------------------------------------------------- */

/* The type codes are those a script's VarType reports. The layout of sl_variant is fixed
   for good; new kinds of values would come as new type codes, which older players refuse
   as a type mismatch. */
#define SL_EMPTY 0  /* no value; a missing result */
#define SL_INT16 2  /* value.i, -32768 to 32767 (a script's Integer) */
#define SL_INT32 3  /* value.i (a script's Long) */
#define SL_DOUBLE 5 /* value.d */
#define SL_STRING 8 /* value.s: UTF-8, `size` bytes, need not be NUL-terminated */
#define SL_BOOL 11  /* value.b: 0 false, anything else true */

typedef struct sl_string {
    const char* data; /* may be NULL when size is 0 */
    size_t size;
} sl_string;

typedef struct sl_variant {
    int32_t type;
    int32_t reserved; /* 0 */
    union {
        int32_t i;
        double d;
        int32_t b;
        sl_string s;
    } value;
} sl_variant;

/* A named event parameter. The name may be empty ("") but not NULL; scripts reach the
   parameters by position and, when named, by name. */
typedef struct sl_event_param {
    const char* name;
    sl_variant value;
} sl_event_param;

/* ---- What the player hands a control -------------------------------------------------- */

/* Pixel formats of sl_pixels. */
#define SL_PIXELS_ARGB32_PREMULTIPLIED                  \
    1 /* one uint32_t 0xAARRGGBB per pixel, native byte \
         order, colour premultiplied by alpha */

/* The buffer a control paints into: exactly the control's area, top-left corner first. The
   player clears it to transparent (all zero) before calling paint and lays it over the game
   picture afterwards. */
typedef struct sl_pixels {
    uint32_t struct_size;
    int32_t format; /* SL_PIXELS_ARGB32_PREMULTIPLIED */
    int32_t width;  /* > 0 */
    int32_t height; /* > 0 */
    int32_t stride; /* bytes from one row to the next, >= 4 * width */
    void* data;
} sl_pixels;

/* Mouse message kinds. */
#define SL_MOUSE_DOWN 1
#define SL_MOUSE_UP 2
#define SL_MOUSE_MOVE 3
#define SL_MOUSE_DOUBLE_CLICK 4

/* Buttons and shift keys, combinable. */
#define SL_BUTTON_LEFT 1
#define SL_BUTTON_RIGHT 2
#define SL_BUTTON_MIDDLE 4
#define SL_SHIFT_KEY 1
#define SL_CTRL_KEY 2
#define SL_ALT_KEY 4

/* A mouse message. After a button went down on the control, the control keeps receiving the
   moves and the release even outside its area (x and y may then be negative or beyond its
   size). A click is a down and an up of the left button; the control decides what that
   means. */
typedef struct sl_mouse_event {
    uint32_t struct_size;
    int32_t kind;   /* SL_MOUSE_... */
    int32_t x;      /* pixels from the control's left edge */
    int32_t y;      /* pixels from the control's top edge */
    int32_t button; /* down, up, double click: the button concerned; move: the buttons held */
    int32_t shift;  /* SL_SHIFT_KEY | SL_CTRL_KEY | SL_ALT_KEY */
} sl_mouse_event;

/* The player's side of one instance, given to create. Valid until destroy returns. Every
   function takes this block itself as its first argument. */
typedef struct sl_host sl_host;
struct sl_host {
    uint32_t struct_size;
    uint32_t abi_version; /* the interface version the player speaks with this instance */
    void* host_data;      /* the player's; leave it alone */

    /* Raises an event: the player runs the game's handler for it before returning. `name` is
       an identifier (a letter, then letters, digits or "_") of at most SL_MAX_NAME_LENGTH
       bytes; `params` may be NULL when `count` is 0; at most SL_MAX_EVENT_PARAMS. SL_OK when
       the event was delivered (whether or not a script handles it), otherwise an
       SL_REFUSED_... code and nothing happened. Refused in create. */
    sl_status (*raise_event)(const sl_host* host, const char* name, const sl_event_param* params,
                             uint32_t count);

    /* The control's picture changed: the player calls paint again soon. */
    void (*invalidate)(const sl_host* host);

    /* The control changed its own size (width or height may be 0). */
    void (*size_changed)(const sl_host* host, int32_t width, int32_t height);

    /* Asks for timer ticks (the class function `timer`) every interval_ms milliseconds;
       0 stops them. One timer per instance; a new interval replaces the old one. */
    void (*set_timer)(const sl_host* host, uint32_t interval_ms);
};

/* ---- What a library provides --------------------------------------------------------- */

/* An instance of a control; each library defines struct sl_instance for itself. */
typedef struct sl_instance sl_instance;

/* One control class. create, destroy and get_size are required; any other function may be
   NULL (the player then does nothing, or, for properties and methods, fails the script's
   call with error 438, "Object doesn't support this property or method").

   Names of properties and methods come as the script wrote them: compare them without
   regard to ASCII case (sl_name_equals). Arguments and the value of set_property are valid
   during the call only. A string that a library puts into a result must stay valid until the
   player's next call into the same instance (keep it in the instance); the player copies it
   at once. To fail, fill in the sl_error block and return SL_FAILED. */
typedef struct sl_control_class {
    uint32_t struct_size;
    const char* name; /* the control name, an identifier (letters, digits, "_") */

    /* A new instance on the player's surface; NULL (with the error filled in) on failure.
       The instance starts at the size get_size reports. */
    sl_instance* (*create)(const sl_host* host, sl_error* error);
    void (*destroy)(sl_instance* self);

    /* The control's size in pixels. set_size is the script or the player asking for a size;
       the control may keep another, and the player asks get_size afterwards. */
    void (*get_size)(sl_instance* self, int32_t* width, int32_t* height);
    void (*set_size)(sl_instance* self, int32_t width, int32_t height);

    /* Draws the whole control into the buffer (see sl_pixels). */
    void (*paint)(sl_instance* self, const sl_pixels* target);

    /* A mouse message (see sl_mouse_event). */
    void (*mouse)(sl_instance* self, const sl_mouse_event* event);

    sl_status (*get_property)(sl_instance* self, const char* name, sl_variant* result,
                              sl_error* error);
    sl_status (*set_property)(sl_instance* self, const char* name, const sl_variant* value,
                              sl_error* error);

    /* A method call with `count` arguments in script order; `result` starts SL_EMPTY. */
    sl_status (*call_method)(sl_instance* self, const char* name, const sl_variant* args,
                             uint32_t count, sl_variant* result, sl_error* error);

    /* A tick of the timer that set_timer asked for. */
    void (*timer)(sl_instance* self);
} sl_control_class;

/* The library's description, returned by the entry point. It and everything it points to
   must stay valid and unchanged while the library is loaded (static data). */
typedef struct sl_library {
    uint32_t struct_size;
    uint32_t abi_version;   /* SL_CONTROL_ABI_VERSION the table was written for */
    const char* name;       /* the library name, an identifier */
    const char* version;    /* free text for people ("1.00"); may be NULL */
    uint32_t control_count; /* 1 to SL_MAX_CONTROLS */
    const sl_control_class* const* controls;
} sl_library;

/* The entry point's type. */
typedef const sl_library* (*sl_entry_point)(uint32_t host_abi_version);

/* ---- Helpers ------------------------------------------------------------------------- */

/* Equal without regard to ASCII case (names of properties, methods and controls). */
static inline int sl_name_equals(const char* a, const char* b) {
    if (!a || !b) return 0;
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = (char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = (char)(y - 'A' + 'a');
        if (x != y) return 0;
        if (x == '\0') return 1;
    }
}

/* Fills in an error block; the text is cut to fit. */
static inline void sl_set_error(sl_error* error, int32_t number, const char* text) {
    size_t n = 0;
    if (!error) return;
    error->number = number;
    if (text) {
        while (text[n] != '\0' && n + 1 < SL_ERROR_TEXT_SIZE) {
            error->description[n] = text[n];
            ++n;
        }
    }
    error->description[n] = '\0';
}

static inline sl_variant sl_make_int32(int32_t v) {
    sl_variant r;
    r.type = SL_INT32;
    r.reserved = 0;
    r.value.i = v;
    return r;
}

static inline sl_variant sl_make_int16(int16_t v) {
    sl_variant r;
    r.type = SL_INT16;
    r.reserved = 0;
    r.value.i = v;
    return r;
}

static inline sl_variant sl_make_double(double v) {
    sl_variant r;
    r.type = SL_DOUBLE;
    r.reserved = 0;
    r.value.d = v;
    return r;
}

static inline sl_variant sl_make_bool(int v) {
    sl_variant r;
    r.type = SL_BOOL;
    r.reserved = 0;
    r.value.b = v ? 1 : 0;
    return r;
}

/* A string value over bytes the caller keeps alive (see the lifetime rules above). */
static inline sl_variant sl_make_string(const char* data, size_t size) {
    sl_variant r;
    r.type = SL_STRING;
    r.reserved = 0;
    r.value.s.data = data;
    r.value.s.size = size;
    return r;
}

#ifdef __cplusplus
}
#endif

#endif /* STORYLOOM_CONTROL_H */
