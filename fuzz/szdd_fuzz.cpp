// Expands any input as an SZDD file (or copies it): no crash, and no more output than the
// format can make of the input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "setup/lz_expand.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string in(reinterpret_cast<const char*>(data), size), out;
    setup::LZStream source{-1, &in, 0}, target{-1, &out, 0};
    int64_t n = setup::LZCopy(source, target);
    // Each flag byte covers at most 8 pairs of 18 bytes.
    if (n > 0 && static_cast<size_t>(n) > size * 18 + 18) abort();
    if (n >= 0 && static_cast<size_t>(n) != out.size()) abort();
    return 0;
}
