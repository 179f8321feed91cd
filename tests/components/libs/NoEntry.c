/* A shared library without the control entry point. */
#include <storyloom/control.h>

SL_EXPORT int storyloom_something_else(void) {
    return 1;
}
