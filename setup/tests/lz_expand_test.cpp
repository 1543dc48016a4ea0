#include "setup/lz_expand.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "test_support.h"

namespace setup {
namespace {

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool HaveCompressor() { return std::system("command -v mscompress >/dev/null 2>&1") == 0; }

// The file compressed by the packaged compressor (mscompress writes "<name>_").
std::string Compress(const TempDir& dir, const std::string& name, const std::string& bytes) {
    Write(dir.Path(name), bytes);
    std::string cmd = "cd '" + dir.Path() + "' && mscompress '" + name + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return "";
    return ReadFile(dir.Path(name + "_"));
}

std::string Sample(int kind, size_t size) {
    std::mt19937 gen(static_cast<unsigned>(kind * 7919 + size));
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        switch (kind) {
            case 0: s[i] = static_cast<char>(gen()); break;                    // no repeats
            case 1: s[i] = "abcabcabd "[i % 10]; break;                        // long matches
            case 2: s[i] = static_cast<char>(i < 5000 ? ' ' : gen() % 4); break;  // blanks, as the window starts
            default: s[i] = static_cast<char>(i & 0xFF); break;
        }
    }
    return s;
}

TEST(LZExpandTest, ExpandsWhatThePackagedCompressorMade) {
    if (!HaveCompressor()) GTEST_SKIP() << "mscompress is not installed";
    TempDir dir("lz");
    int n = 0;
    for (int kind = 0; kind < 4; ++kind) {
        // mscompress 0.4 writes wrong data for files under 16 bytes; small streams are made by hand below.
        for (size_t size : {size_t(16), size_t(17), size_t(4096), size_t(4113), size_t(70000)}) {
            std::string plain = Sample(kind, size), name = "f" + std::to_string(n++);
            std::string packed = Compress(dir, name, plain);
            ASSERT_GE(packed.size(), 14u);
            ASSERT_EQ(packed.substr(0, 4), "SZDD");
            EXPECT_EQ(ExpandFile(dir.Path(name + "_"), dir.Path(name + ".out")), int64_t(size));
            EXPECT_EQ(ReadFile(dir.Path(name + ".out")), plain) << kind << " " << size;
            // The same stream from memory.
            std::string out;
            LZStream in{-1, &packed, 0}, target{-1, &out, 0};
            EXPECT_EQ(LZCopy(in, target), int64_t(size));
            EXPECT_EQ(out, plain);
        }
    }
}

TEST(LZExpandTest, SmallStreamsAndTheBlankWindow) {
    const std::string header("SZDD\x88\xF0\x27\x33" "A", 9);
    struct Case { std::string body; std::string expected; };
    for (const Case& c : {Case{std::string("\0\0\0\0\0", 5), ""},
                          Case{std::string("\0\x01\0\0\0\x01" "a", 7), "a"},
                          // A pair at 0 of length 3 reads blanks: the window starts filled with them.
                          Case{std::string("\0\x05\0\0\0\x05" "x\0\0" "y", 10), "x   y"}}) {
        std::string in = header + c.body, out;
        LZStream source{-1, &in, 0}, target{-1, &out, 0};
        EXPECT_EQ(LZCopy(source, target), int64_t(c.expected.size()));
        EXPECT_EQ(out, c.expected);
    }
}

TEST(LZExpandTest, OtherFilesAreCopiedAndFailuresLeaveTheTargetWhole) {
    TempDir dir("lzfail");
    std::string plain = "SZDD is not this\r\nplain text", shortHeader = std::string("SZDD\x88\xF0\x27\x33", 8);
    Write(dir.Path("plain"), plain);
    Write(dir.Path("short"), shortHeader);
    // A header stating 100 bytes and only one literal after it.
    std::string truncated = shortHeader + std::string("A\0d\0\0\0\x01x", 8);
    Write(dir.Path("truncated"), truncated);
    std::string badMode = shortHeader + std::string("Z\0\x01\0\0\0\x01x", 8);
    Write(dir.Path("badmode"), badMode);
    chmod(dir.Path("plain").c_str(), 0750);

    struct Case { const char* source; const char* target; int64_t result; std::string expected; };
    for (const Case& c : {Case{"plain", "t1", int64_t(plain.size()), plain},
                          Case{"short", "t2", 8, shortHeader},
                          Case{"truncated", "t3", LZERROR_READ, "old"},
                          Case{"badmode", "t4", LZERROR_UNKNOWNALG, "old"},
                          Case{"missing", "t5", LZERROR_BADINHANDLE, "old"},
                          Case{"plain", "nofolder/t6", LZERROR_BADOUTHANDLE, ""}}) {
        if (c.expected == "old") Write(dir.Path(c.target), "old");
        EXPECT_EQ(ExpandFile(dir.Path(c.source), dir.Path(c.target)), c.result) << c.source;
        EXPECT_EQ(ReadFile(dir.Path(c.target)), c.expected) << c.source;
    }
    struct stat st;
    ASSERT_EQ(stat(dir.Path("t1").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    // Nothing but the targets is left behind.
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) entries += e.path().filename().string()[0] == '.';
    EXPECT_EQ(entries, 0);
}

}  // namespace
}  // namespace setup
