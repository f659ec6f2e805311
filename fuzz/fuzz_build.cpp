#include "FuzzBuildHarness.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzBuildHarness harness;
    static QuietPrompt prompt;
    if (!harness.ready())
        std::abort();
    if (!harness.keepsPromises(harness.run(data, size, prompt)))
        std::abort();
    return 0;
}
