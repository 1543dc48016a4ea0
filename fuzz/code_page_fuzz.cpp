// The code-page converters against their table: same length, table letters mapped by
// their first row, every other byte unchanged, and Windows-1250 -> 852 -> Windows-1250
// (and 852 -> Windows-1250 -> 852) gives back every byte that the way out did not leave
// in the other column.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "kernel/code_pages.h"

namespace {

// Windows-1250, code page 852, Kamenicky, plain; one row per letter.
constexpr unsigned char kTable[38][4] = {
    {0xC1, 0xB5, 0x8F, 'A'}, {0xC9, 0x90, 0x90, 'E'}, {0xCD, 0xD6, 0x8B, 'I'},
    {0xC5, 0x91, 0x4C, 'L'}, {0xD3, 0xE0, 0x95, 'O'}, {0xC0, 0xE8, 0xAB, 'R'},
    {0xDA, 0xE9, 0x97, 'U'}, {0xDD, 0xED, 0x9D, 'Y'}, {0xE1, 0xA0, 0xA0, 'a'},
    {0xE9, 0x82, 0x82, 'e'}, {0xED, 0xA1, 0xA1, 'i'}, {0xE5, 0x92, 0x8D, 'l'},
    {0xF3, 0xA2, 0xA2, 'o'}, {0xE0, 0xEA, 0xAA, 'r'}, {0xFA, 0xA3, 0xA3, 'u'},
    {0xFD, 0xEC, 0x98, 'y'}, {0xC8, 0xAC, 0x80, 'C'}, {0xCF, 0xD2, 0x85, 'D'},
    {0xCC, 0xB7, 0x89, 'E'}, {0xBC, 0x95, 0x9C, 'L'}, {0xD2, 0xD5, 0xA5, 'N'},
    {0xD6, 0xE2, 0xA7, 'O'}, {0xD8, 0xFC, 0x9E, 'R'}, {0x8A, 0xE6, 0x9B, 'S'},
    {0x8D, 0x9B, 0x86, 'T'}, {0xD9, 0xDE, 0xA6, 'U'}, {0x8E, 0xA6, 0x92, 'Z'},
    {0xE8, 0x9F, 0x87, 'c'}, {0xEF, 0xD4, 0x83, 'd'}, {0xEC, 0xD8, 0x88, 'e'},
    {0xBE, 0x96, 0x8C, 'l'}, {0xF2, 0xE5, 0xA4, 'n'}, {0xF6, 0x93, 0x93, 'o'},
    {0xF8, 0xFD, 0xA9, 'r'}, {0x9A, 0xE7, 0xA8, 's'}, {0x9D, 0x9C, 0x9F, 't'},
    {0xF9, 0x85, 0x96, 'u'}, {0x9E, 0xA7, 0x91, 'z'},
};

// The byte a conversion from column `from` to column `to` gives.
unsigned char Expected(unsigned char c, int from, int to) {
    for (const auto& row : kTable)
        if (row[from] == c) return row[to];
    return c;
}

bool InColumn(unsigned char c, int column) {
    for (const auto& row : kTable)
        if (row[column] == c) return true;
    return false;
}

void CheckConversion(const std::string& in, const std::string& out, int from, int to) {
    FUZZ_CHECK(out.size() == in.size());
    for (size_t i = 0; i < in.size(); ++i)
        FUZZ_CHECK(static_cast<unsigned char>(out[i]) ==
                   Expected(static_cast<unsigned char>(in[i]), from, to));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string to852 = WinTo852(text);
    const std::string toWin = cp852ToWin(text);
    CheckConversion(text, to852, 0, 1);
    CheckConversion(text, toWin, 1, 0);
    CheckConversion(text, WinToKAM(text), 0, 2);
    CheckConversion(text, WinToIBM(text), 0, 3);

    const std::string back = cp852ToWin(to852);
    const std::string forth = WinTo852(toWin);
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = data[i];
        if (InColumn(c, 0) || !InColumn(c, 1)) FUZZ_CHECK(static_cast<unsigned char>(back[i]) == c);
        if (InColumn(c, 1) || !InColumn(c, 0)) FUZZ_CHECK(static_cast<unsigned char>(forth[i]) == c);
    }
    return 0;
}
