// layer_check ROOT [STAMP]: prints every #include of the player's sources that breaks the layer
// rules (see LayerRules.h) and exits 1 when there is one; otherwise touches STAMP, if given.
#include <cstdio>
#include <fstream>

#include "LayerRules.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: layer_check ROOT [STAMP]\n");
        return 2;
    }
    const auto violations = layers::CheckTree(argv[1]);
    for (const layers::Violation& v : violations)
        std::fprintf(stderr, "%s:%d: includes \"%s\": %s\n", v.file.c_str(), v.line,
                     v.included.c_str(), v.rule.c_str());
    if (!violations.empty()) {
        std::fprintf(stderr, "layer_check: %zu include(s) break the layer order\n",
                     violations.size());
        return 1;
    }
    if (argc > 2) std::ofstream(argv[2]).put('\n');
    return 0;
}
