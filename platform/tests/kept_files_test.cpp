// Files the user keeps: on the disk before they take their name, without touching the
// process's umask. fsync and umask are watched by standing in for them in this program.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/classes.h"
#include "test_support.h"

namespace {
std::vector<std::string> synced;  // what each fsync named
int umaskCalls = 0;
}  // namespace

extern "C" int fsync(int fd) {
    char name[4096];
    ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), name, sizeof name);
    if (n > 0) synced.emplace_back(name, static_cast<size_t>(n));
    static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}

extern "C" mode_t umask(mode_t mask) noexcept {
    ++umaskCalls;
    static auto real = reinterpret_cast<mode_t (*)(mode_t)>(dlsym(RTLD_NEXT, "umask"));
    return real(mask);
}

namespace {

TEST(KeptFiles, ReachTheDiskBeforeTheirNameAndLeaveTheUmask) {
    namespace fs = std::filesystem;
    TempDir tmp("kept_");
    ASSERT_FALSE(tmp.Path().empty());
    const std::string folder = fs::canonical(tmp.Path()).string();
    const mode_t old = umask(027);
    const int calls = umaskCalls;
    for (bool replacing : {false, true}) {
        synced.clear();
        TStringList l;
        l.Add("kept");
        l.SaveToFile(tmp.Path("kept.txt"));
        // The file under its temporary name, then the folder that holds the new name.
        ASSERT_EQ(synced.size(), 2u) << replacing;
        EXPECT_EQ(synced[0].rfind(folder + "/kept.txt.~", 0), 0u) << synced[0];
        EXPECT_EQ(synced[1], folder);
        EXPECT_EQ(fs::status(tmp.Path("kept.txt")).permissions(), fs::perms(0640));
    }
    EXPECT_EQ(umaskCalls, calls);
    umask(old);
}

// Small pieces wait in the stream's buffer; a write the disk refuses when they go out
// still fails the file and leaves the old one.
TEST(KeptFiles, PiecesArriveInOrderAndALateFailureKeepsTheOldFile) {
    TempDir tmp("kept_");
    const std::string path = tmp.Path("out.bin");
    std::string expected;
    {
        TReplacingFileStream f(path);
        for (int i = 0; i < 3000; ++i) {
            // Mostly small pieces, now and then one larger than the buffer is kept for.
            std::string piece = i % 500 == 7 ? std::string(40000, char('a' + i % 26)) : std::to_string(i) + ";";
            f.WriteBuffer(piece.data(), static_cast<int64_t>(piece.size()));
            expected += piece;
        }
        EXPECT_EQ(f.Size(), static_cast<int64_t>(expected.size()));
        f.Commit();
    }
    EXPECT_EQ(ReadFile(path), expected);

    bool raised = false;
    try {
        FileSizeLimit limit(1000);
        TReplacingFileStream f(path);
        for (int i = 0; i < 200; ++i) f.WriteBuffer("0123456789", 10);  // all still in the buffer
        f.Commit();
    } catch (const Exception&) {
        raised = true;
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.Path()), {}), 1);
}

}  // namespace
