// The test-host procedures the conformance corpus calls (ok, getVT, testObj ...), provided
// natively so that the corpus files run unchanged.
#pragma once

#include <string>

#include "vbscript/Engine.h"

namespace vbs::tools {

struct TestCounts {
    int passed = 0;
    int failed = 0;
};

// Adds the test host's named items to engine; counts go to counts; failures are printed
// with the file name.
void InstallTestHost(Engine& engine, TestCounts& counts, const std::string& fileName);

}  // namespace vbs::tools
