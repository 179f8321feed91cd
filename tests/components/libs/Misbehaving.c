/* Libraries that fault or hang while being loaded or registered, one per build:
   CRASH_NULL, CRASH_ABORT, CRASH_STACK (in the entry point), CRASH_CONSTRUCTOR (while the
   system loads it), HANG_ENTRY, HANG_CONSTRUCTOR. */
#define _POSIX_C_SOURCE 200809L
#include <stdlib.h>
#include <storyloom/control.h>
#include <time.h>

static void SleepForever(void) {
    for (;;) {
        struct timespec second = {1, 0};
        nanosleep(&second, NULL);
    }
}

static volatile int g_zero = 0;
static volatile long g_depth_limit = 1L << 40;

/* Each frame reads the one before it, so that no frame can be given up early. */
static int Deep(long n, volatile char* previous) {
    volatile char pad[1024];
    pad[0] = (char)(previous[0] + 1);
    if (n > g_depth_limit) return pad[0];
    return Deep(n + 1, pad) + pad[0];
}

#if defined(CRASH_CONSTRUCTOR)
__attribute__((constructor)) static void Boom(void) {
    *(volatile int*)(long)g_zero = 1;
}
#endif
#if defined(HANG_CONSTRUCTOR)
__attribute__((constructor)) static void Stall(void) {
    SleepForever();
}
#endif

SL_EXPORT const sl_library* storyloom_control_library(uint32_t host_abi_version) {
    (void)host_abi_version;
#if defined(CRASH_NULL)
    *(volatile int*)(long)g_zero = 1;
#elif defined(CRASH_ABORT)
    abort();
#elif defined(CRASH_STACK)
    {
        volatile char start[1] = {0};
        return (const sl_library*)(long)Deep(0, start);
    }
#elif defined(HANG_ENTRY)
    SleepForever();
#endif
    (void)Deep;
    (void)SleepForever;
    return NULL;
}
