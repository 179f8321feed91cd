// Stands in for the walkthrough runner until it is built: the option is recognised and says
// so. Replaced by the runner's own file.
#include <cstdio>

#include "Commands.h"

namespace storyloom {

int RunWalkthrough(int, char**) {
    std::fprintf(stderr, "run: --walkthrough is not available in this build\n");
    return 2;
}

}  // namespace storyloom
