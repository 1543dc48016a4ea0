// Helpers shared by the kernel tests.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "kernel/e_class.h"
#include "kernel/elements.h"
#include "kernel/zmessage.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/rtti.h"
#include "platform/sysutils.h"

// Frees an element at the end of the scope.
template <class T> struct Owned {
    T* p;
    explicit Owned(T* e) : p(e) {}
    ~Owned() { Free(p); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T* operator->() const { return p; }
    operator T*() const { return p; }
};

// A new folder /tmp/<prefix>XXXXXX, removed with all it holds (write bits restored first)
// at the end. Path() is empty when the folder could not be made.
class TempDir {
public:
    explicit TempDir(const std::string& prefix) {
        std::string tmpl = "/tmp/" + prefix + "XXXXXX";
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

// Frees the element messages still queued and empties the queue.
inline void DropQueue() {
    std::vector<TZarixMessage*> left;
    ForEachQueued([&](TMsg& m) {
        if (TZarixMessage* zm = ElementMessageOf(m.message, m.lParam)) left.push_back(zm);
    });
    RemoveQueuedMessages([](TMsg&) { return true; });
    for (TZarixMessage* zm : left)
        if (IsLive(zm)) Free(zm);
}

// Whether the published property of that name is stored.
inline bool Stored(TPersistent* obj, const char* name) {
    const TPropInfo* p = GetPropInfo(obj, name);
    return p && IsStoredProp(obj, *p);
}

// The names of an entity's children, in order.
inline std::vector<std::string> ChildNames(TEntity* e) {
    std::vector<std::string> names;
    for (int i = 0; i < e->ElementsCount(); ++i) names.push_back(e->Get(i)->GetName());
    return names;
}

// Each class is in the class registry, registered after the one before it.
inline void ExpectRegisteredInOrder(std::initializer_list<const char*> names) {
    int32_t last = -1;
    for (const char* name : names) {
        TZarixClass* entry = ZarixClasses->GetZarixClassByName(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_GT(entry->ID, last) << name;
        last = entry->ID;
    }
}
