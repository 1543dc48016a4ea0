// Feeds arbitrary text to the world-file reader: it either refuses the text with
// EConvertError or gives a finite placement with pixels of some size.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/sysutils.h"
#include "raster/raster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;  // a world file is six short lines
    std::string text(reinterpret_cast<const char*>(data), size);
    fuzz::Note(fuzz::Escaped(text));
    try {
        TWorldFile w = ParseWorldFile(text);
        FUZZ_CHECK(std::isfinite(w.PixelWidth) && std::isfinite(w.PixelHeight));
        FUZZ_CHECK(w.PixelWidth != 0 && w.PixelHeight != 0);
        FUZZ_CHECK(std::isfinite(w.Left) && std::isfinite(w.Top));
    } catch (const EConvertError&) {
    }
    return 0;
}
