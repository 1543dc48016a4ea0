#include "kernel/code_pages.h"

#include <array>
#include <cstddef>

namespace {

// One row per letter: Windows-1250, code page 852, Kamenicky, plain.
// O and o with diaeresis (0xD6, 0xF6) pair with the 852 and Kamenicky codes of O and o
// with circumflex, and L with acute has no Kamenicky letter (plain L): converted texts
// and files depend on these pairs.
struct Row {
    unsigned char win, cp852, kam, plain;
};

constexpr std::array<Row, 38> kRows = {{
    {0xC1, 0xB5, 0x8F, 'A'},  // A acute
    {0xC9, 0x90, 0x90, 'E'},  // E acute
    {0xCD, 0xD6, 0x8B, 'I'},  // I acute
    {0xC5, 0x91, 0x4C, 'L'},  // L acute
    {0xD3, 0xE0, 0x95, 'O'},  // O acute
    {0xC0, 0xE8, 0xAB, 'R'},  // R acute
    {0xDA, 0xE9, 0x97, 'U'},  // U acute
    {0xDD, 0xED, 0x9D, 'Y'},  // Y acute
    {0xE1, 0xA0, 0xA0, 'a'},  // a acute
    {0xE9, 0x82, 0x82, 'e'},  // e acute
    {0xED, 0xA1, 0xA1, 'i'},  // i acute
    {0xE5, 0x92, 0x8D, 'l'},  // l acute
    {0xF3, 0xA2, 0xA2, 'o'},  // o acute
    {0xE0, 0xEA, 0xAA, 'r'},  // r acute
    {0xFA, 0xA3, 0xA3, 'u'},  // u acute
    {0xFD, 0xEC, 0x98, 'y'},  // y acute
    {0xC8, 0xAC, 0x80, 'C'},  // C caron
    {0xCF, 0xD2, 0x85, 'D'},  // D caron
    {0xCC, 0xB7, 0x89, 'E'},  // E caron
    {0xBC, 0x95, 0x9C, 'L'},  // L caron
    {0xD2, 0xD5, 0xA5, 'N'},  // N caron
    {0xD6, 0xE2, 0xA7, 'O'},  // O diaeresis
    {0xD8, 0xFC, 0x9E, 'R'},  // R caron
    {0x8A, 0xE6, 0x9B, 'S'},  // S caron
    {0x8D, 0x9B, 0x86, 'T'},  // T caron
    {0xD9, 0xDE, 0xA6, 'U'},  // U ring
    {0x8E, 0xA6, 0x92, 'Z'},  // Z caron
    {0xE8, 0x9F, 0x87, 'c'},  // c caron
    {0xEF, 0xD4, 0x83, 'd'},  // d caron
    {0xEC, 0xD8, 0x88, 'e'},  // e caron
    {0xBE, 0x96, 0x8C, 'l'},  // l caron
    {0xF2, 0xE5, 0xA4, 'n'},  // n caron
    {0xF6, 0x93, 0x93, 'o'},  // o diaeresis
    {0xF8, 0xFD, 0xA9, 'r'},  // r caron
    {0x9A, 0xE7, 0xA8, 's'},  // s caron
    {0x9D, 0x9C, 0x9F, 't'},  // t caron
    {0xF9, 0x85, 0x96, 'u'},  // u ring
    {0x9E, 0xA7, 0x91, 'z'},  // z caron
}};

using Column = unsigned char Row::*;

// A 256-byte map: each byte of the source column to the target byte of its first row.
struct Map {
    std::array<unsigned char, 256> to{};
    Map(Column from, Column target) {
        for (std::size_t b = 0; b < to.size(); ++b) to[b] = static_cast<unsigned char>(b);
        for (std::size_t r = kRows.size(); r-- > 0;) to[kRows[r].*from] = kRows[r].*target;
    }
    std::string operator()(const std::string& text) const {
        std::string out(text);
        for (char& c : out) c = static_cast<char>(to[static_cast<unsigned char>(c)]);
        return out;
    }
};

}  // namespace

std::string WinTo852(const std::string& text) {
    static const Map map(&Row::win, &Row::cp852);
    return map(text);
}

std::string cp852ToWin(const std::string& text) {
    static const Map map(&Row::cp852, &Row::win);
    return map(text);
}

std::string WinToKAM(const std::string& text) {
    static const Map map(&Row::win, &Row::kam);
    return map(text);
}

std::string WinToIBM(const std::string& text) {
    static const Map map(&Row::win, &Row::plain);
    return map(text);
}
