// Shared by the fuzz targets: a property check that aborts with its condition, and
// scratch files of this process.
#pragma once
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define FUZZ_CHECK(cond)                                                               \
    do {                                                                               \
        if (!(cond)) {                                                                 \
            std::fprintf(stderr, "property violated: %s (%s:%d)\n%s\n", #cond, __FILE__, \
                         __LINE__, fuzz::Context().c_str());                           \
            std::abort();                                                              \
        }                                                                              \
    } while (0)

namespace fuzz {

// What a failed check prints with it (the case at hand, escaped).
inline std::string& Context() {
    static std::string text;
    return text;
}

// Sets the context; FUZZ_TRACE=1 in the environment prints each one as it is set.
inline void Note(const std::string& text) {
    Context() = text;
    static const bool trace = std::getenv("FUZZ_TRACE") != nullptr;
    if (trace) std::fprintf(stderr, "%s\n", text.c_str());
}

// An AddressSanitizer report ends with the context too.
inline const bool kContextOnDeath = (__sanitizer_set_death_callback([] {
                                         std::fprintf(stderr, "%s\n", Context().c_str());
                                     }),
                                     true);

inline std::string Escaped(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c >= 32 && c < 127 && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out + "\"";
}

// A path that only this process uses, in memory where the system has a tmpfs (files
// replaced by renaming are flushed to disk on ext4, which slows a run a hundredfold).
// Removed, with whatever lies below it, when the process exits.
inline std::string ScratchPath(const std::string& name) {
    static std::vector<std::string> made;
    if (made.empty())
        std::atexit([] {
            std::error_code ignored;
            for (const std::string& p : made) std::filesystem::remove_all(p, ignored);
        });
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
    made.push_back(dir + ("fuzz-" + std::to_string(getpid())) + "-" + name);
    return made.back();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace fuzz
