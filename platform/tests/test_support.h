// Helpers shared by the platform tests and the tests of the folders built on it.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/host.h"
#include "platform/sysutils.h"

// A new folder <test temp dir>/<prefix>XXXXXX, removed with all it holds (write bits
// restored first) at the end. Path() is empty when the folder could not be made.
class TempDir {
public:
    explicit TempDir(const std::string& prefix) {
        std::string tmpl = ::testing::TempDir() + prefix + "XXXXXX";
        if (mkdtemp(tmpl.data())) path_ = tmpl;
    }
    ~TempDir() {
        if (path_.empty()) return;
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (it->is_symlink(ec)) continue;
            fs::perms add = it->is_directory(ec) ? fs::perms::owner_all : fs::perms::owner_write;
            fs::permissions(it->path(), add, fs::perm_options::add, ec);
        }
        ec.clear();
        fs::remove_all(path_, ec);
        if (ec) ADD_FAILURE() << "cannot remove " << path_ << ": " << ec.message();
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string Path(const std::string& rel) const { return path_ + "/" + rel; }

private:
    std::string path_;
};

// A full disk: the process may write no file beyond a few KB while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = saved_;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

// A file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets the locale decimal separator for one scope.
class SeparatorScope {
public:
    explicit SeparatorScope(char c) : old_(DecimalSeparator()) { SetDecimalSeparator(c); }
    ~SeparatorScope() { SetDecimalSeparator(old_); }
    SeparatorScope(const SeparatorScope&) = delete;
    SeparatorScope& operator=(const SeparatorScope&) = delete;

private:
    char old_;
};

// A scripted user host that is the host in use, with the host log emptied, while it lives.
class InstalledHost : public ScriptedHost {
public:
    InstalledHost() {
        SetUserHost(this);
        ClearHostLog();
    }
    ~InstalledHost() { SetUserHost(nullptr); }
    InstalledHost(const InstalledHost&) = delete;
    InstalledHost& operator=(const InstalledHost&) = delete;
};
