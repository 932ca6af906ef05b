// Replay builds have no libFuzzer: its mutation hook is never called there, but the block
// mutator still refers to it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t *, std::size_t, std::size_t) {
    std::abort();
}
