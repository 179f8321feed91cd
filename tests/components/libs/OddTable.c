/* Entry points whose tables break the interface's rules, one per build (ODD_...). */
#include <storyloom/control.h>

struct sl_instance {
    int unused;
};

static sl_instance g_instance;

static sl_instance* Create(const sl_host* host, sl_error* error) {
    (void)host;
    (void)error;
    return &g_instance;
}
static void Destroy(sl_instance* self) {
    (void)self;
}
static void GetSize(sl_instance* self, int32_t* width, int32_t* height) {
    (void)self;
    *width = 1;
    *height = 1;
}

#if defined(ODD_NO_CREATE)
#define CREATE NULL
#else
#define CREATE Create
#endif

#if defined(ODD_BAD_NAME)
#define CONTROL_NAME "Bad.Name"
#else
#define CONTROL_NAME "Thing"
#endif

static const sl_control_class kThing = {sizeof(sl_control_class),
                                        CONTROL_NAME,
                                        CREATE,
                                        Destroy,
                                        GetSize,
                                        NULL,
                                        NULL,
                                        NULL,
                                        NULL,
                                        NULL,
                                        NULL,
                                        NULL};
static const sl_control_class kSame = {sizeof(sl_control_class),
                                       "THING",
                                       Create,
                                       Destroy,
                                       GetSize,
                                       NULL,
                                       NULL,
                                       NULL,
                                       NULL,
                                       NULL,
                                       NULL,
                                       NULL};
static const sl_control_class* const kClasses[] = {&kThing, &kSame};

#if defined(ODD_VERSION)
#define VERSION ODD_VERSION
#else
#define VERSION SL_CONTROL_ABI_VERSION
#endif
#if defined(ODD_SHORT)
#define SIZE 12u
#else
#define SIZE sizeof(sl_library)
#endif
#if defined(ODD_DUPLICATE)
#define COUNT 2u
#elif defined(ODD_HUGE_COUNT)
#define COUNT 1000000u
#else
#define COUNT 1u
#endif

static const sl_library kLibrary = {SIZE, VERSION, "Odd", "0", COUNT, kClasses};

SL_EXPORT const sl_library* storyloom_control_library(uint32_t host_abi_version) {
    (void)host_abi_version;
#if defined(ODD_NULL)
    return host_abi_version == 0 ? &kLibrary : NULL;
#else
    return &kLibrary;
#endif
}
