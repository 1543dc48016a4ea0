// Expansion of files compressed with the Microsoft "COMPRESS" format (SZDD) through
// libmspack; any other file is copied unchanged.
#pragma once
#include <cstdint>
#include <string>

namespace setup {

// Negative results of LZCopy.
constexpr int64_t LZERROR_BADINHANDLE = -1, LZERROR_BADOUTHANDLE = -2, LZERROR_READ = -3,
                  LZERROR_WRITE = -4, LZERROR_GLOBALLOC = -5, LZERROR_BADVALUE = -7,
                  LZERROR_UNKNOWNALG = -8;

// A source or target of LZCopy: an open file descriptor or a byte buffer.
struct LZStream {
    int fd = -1;
    std::string* buffer = nullptr;  // used when fd < 0
    size_t position = 0;            // of the buffer
};

// Expands (or copies) the whole source into the target from their current positions.
// Answers the bytes written or a negative LZERROR_ code. An SZDD file whose data ends
// before its stated length is an LZERROR_READ.
int64_t LZCopy(LZStream& source, LZStream& target);

// Installs one file: the source is opened first, expanded into a temporary file beside
// the target and renamed over it on success, so a failure leaves an existing target whole.
// The target keeps the source's permission bits. Paths are suite paths.
int64_t ExpandFile(const std::string& source, const std::string& target);

}  // namespace setup
