#include "platform/scope_exit.h"

#include <cstdio>

void ReportCleanupFailure(const char* what) noexcept {
    std::fprintf(stderr, "cleanup failed: %s\n", what ? what : "unknown exception");
}
