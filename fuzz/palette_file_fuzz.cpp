// Feeds arbitrary bytes to the palette file reader: the colours it takes, written out and
// read again, come back the same, and a second read of its own file reports no bad line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "kernel/kernel.h"
#include "pelvar/palette.h"
#include "pelvar/pelvar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (RegisterKernelClasses(), RegisterPelvarClasses(), true);
    (void)registered;
    if (size > 16384) return 0;
    static const std::string in = fuzz::ScratchPath("palette.txt"), out = fuzz::ScratchPath("palette-out.txt");
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::Note(fuzz::Escaped(bytes));
    fuzz::WriteBytes(in, bytes);
    TColorPalette* read = TColorPalette::New();
    TColorPalette* again = TColorPalette::New();
    LoadPaletteFile(in, *read);
    SavePaletteFile(out, *read);
    FUZZ_CHECK(LoadPaletteFile(out, *again).empty());
    FUZZ_CHECK(again->GetCount() == read->GetCount());
    for (int32_t i = 0; i < read->GetCount(); ++i) FUZZ_CHECK(again->GetColor(i) == read->GetColor(i));
    Free(read);
    Free(again);
    return 0;
}
