#include "kernel/code_pages.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/sysutils.h"

namespace {

// The 38 letters in table order, and the expected columns.
const std::string kLetters = Cz("ÁÉÍĹÓŔÚÝáéíĺóŕúýČĎĚĽŇÖŘŠŤŮŽčďěľňöřšťůž");
const unsigned char k852[38] = {
    0xB5, 0x90, 0xD6, 0x91, 0xE0, 0xE8, 0xE9, 0xED, 0xA0, 0x82, 0xA1, 0x92, 0xA2,
    0xEA, 0xA3, 0xEC, 0xAC, 0xD2, 0xB7, 0x95, 0xD5, 0xE2, 0xFC, 0xE6, 0x9B, 0xDE,
    0xA6, 0x9F, 0xD4, 0xD8, 0x96, 0xE5, 0x93, 0xFD, 0xE7, 0x9C, 0x85, 0xA7};
const unsigned char kKam[38] = {
    0x8F, 0x90, 0x8B, 0x4C, 0x95, 0xAB, 0x97, 0x9D, 0xA0, 0x82, 0xA1, 0x8D, 0xA2,
    0xAA, 0xA3, 0x98, 0x80, 0x85, 0x89, 0x9C, 0xA5, 0xA7, 0x9E, 0x9B, 0x86, 0xA6,
    0x92, 0x87, 0x83, 0x88, 0x8C, 0xA4, 0x93, 0xA9, 0xA8, 0x9F, 0x96, 0x91};
const std::string kPlain = "AEILORUYaeiloruyCDELNORSTUZcdelnorstuz";

std::string Bytes(const unsigned char* b) { return std::string(reinterpret_cast<const char*>(b), 38); }

std::string AllBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
    return s;
}

// Every byte not in the source column passes unchanged.
void ExpectOthersUnchanged(std::string (*convert)(const std::string&), const std::string& source) {
    std::set<unsigned char> in(source.begin(), source.end());
    std::string all = AllBytes();
    std::string out = convert(all);
    ASSERT_EQ(out.size(), all.size());
    for (int b = 0; b < 256; ++b)
        if (!in.count(static_cast<unsigned char>(b))) {
            EXPECT_EQ(out[b], all[b]) << "byte " << b;
        }
}

}  // namespace

TEST(CpConvert, TableIsComplete) {
    ASSERT_EQ(kLetters.size(), 38u);
    EXPECT_EQ(kLetters.find('?'), std::string::npos);
    EXPECT_EQ(std::set<char>(kLetters.begin(), kLetters.end()).size(), 38u);
}

TEST(CpConvert, WindowsTo852) {
    EXPECT_EQ(WinTo852(kLetters), Bytes(k852));
    // O and o with diaeresis take the 852 codes of O and o with circumflex.
    EXPECT_EQ(WinTo852(Cz("Öö")), "\xE2\x93");
    ExpectOthersUnchanged(WinTo852, kLetters);
    EXPECT_EQ(WinTo852(Cz("äü")), Cz("äü"));
    EXPECT_EQ(WinTo852(""), "");
}

TEST(CpConvert, From852ToWindows) {
    EXPECT_EQ(cp852ToWin(Bytes(k852)), kLetters);
    ExpectOthersUnchanged(cp852ToWin, Bytes(k852));
    EXPECT_EQ(cp852ToWin("\x99\x94"), "\x99\x94");  // 852 O and o with diaeresis
    EXPECT_EQ(cp852ToWin(WinTo852(kLetters + "abc")), kLetters + "abc");
}

TEST(CpConvert, WindowsToKamenicky) {
    EXPECT_EQ(WinToKAM(kLetters), Bytes(kKam));
    EXPECT_EQ(WinToKAM(Cz("Ĺ")), "L");
    ExpectOthersUnchanged(WinToKAM, kLetters);
}

TEST(CpConvert, WindowsToPlainLetters) {
    EXPECT_EQ(WinToIBM(kLetters), kPlain);
    EXPECT_EQ(WinToIBM(Cz("Žluťoučký kůň úpěl")), "Zlutoucky kun upel");
    ExpectOthersUnchanged(WinToIBM, kLetters);
}
