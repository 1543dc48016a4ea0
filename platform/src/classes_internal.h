// File helpers shared by the string lists, memory streams and ini files.
#pragma once
#include <string>
#include <string_view>

#include "platform/classes.h"

namespace platform_internal {

// The path handed to the operating system for a path the suite was given.
std::string HostPath(const std::string& path);

// The whole file; EFOpenError naming the file when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// false when the file cannot be read (missing, a folder, no access); errno tells why.
bool TryReadWholeFile(const std::string& path, std::string& bytes);
// The whole file into a memory stream's buffer, in one read; EFOpenError as above.
void ReadWholeFileInto(const std::string& path, platform_detail::Bytes& bytes);

// Writes the bytes to a temporary file beside the target and renames it over the target,
// so a failure leaves the old file; a symbolic link is kept and its target replaced.
// EFCreateError naming the file on failure.
void ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace platform_internal
