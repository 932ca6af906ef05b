// libFuzzer target: arbitrary bytes as a dictionary file.
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    RunDictionaryFile(data, size);
    return 0;
}
