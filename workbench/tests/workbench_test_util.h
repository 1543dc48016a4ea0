// Shared set-up of the workbench tests: every class registered, a device of a given paper
// size.
#pragma once
#include "device/device.h"
#include "interpret/interpret.h"
#include "kernel/kernel.h"
#include "pelvar/pelvar.h"
#include "workbench/workbench.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace wbtest {

inline void RegisterAll() {
    static bool done = [] {
        RegisterWorkbenchClasses();
        return true;
    }();
    (void)done;
}

// A bitmap device whose page measures width x height metres (1000 pixels a metre).
inline TBitmapDevice* PaperDevice(double width, double height) {
    TBitmapDevice* d = TBitmapDevice::New();
    d->GetPage()->SetResolution(1000, 1000);
    d->SetPageSize(static_cast<int>(width * 1000 + 0.5), static_cast<int>(height * 1000 + 0.5));
    return d;
}

}  // namespace wbtest

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "kernel/world.h"
#include "platform/forms.h"
#include "platform/host.h"

namespace wbtest {

// A universal interpret that counts its drawings; a hook runs inside each while it is
// busy, and it can fail.
class TCountingInterpret : public TUniversalInterpret {
    ZARIX_CLASS(TCountingInterpret, TUniversalInterpret)

public:
    int Draws = 0;
    bool Fail = false;
    std::function<void(int)> During;
    void DoIt() override {
        ++Draws;
        SetBusy(true);
        if (During) During(Draws);
        Application().ProcessMessages();
        SetBusy(false);
        PostMsgToOwners(tm_Done, nullptr, false);
        if (Fail) throw Exception("drawing failed");
    }
};

// A hooked world with a technology as main tool and a scripted user.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterAll();
        ClearHostLog();
        SetUserHost(&host);
        world = TWorld::New();
        World = world;
        world->HookApplication();
        mainTool = TTechnology::New();
        world->SetMainTool(mainTool);
    }
    void TearDown() override {
        Application().ProcessMessages();
        Free(world);
        World = nullptr;
        Application().ProcessMessages();
        SetUserHost(nullptr);
    }
    bool Logged(const std::string& part) const {
        for (const std::string& s : HostLog())
            if (s.find(part) != std::string::npos) return true;
        return false;
    }
    ScriptedHost host;
    TWorld* world = nullptr;
    TTechnology* mainTool = nullptr;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Page objects of a PDF written without object streams.
inline int PdfPageCount(const std::string& pdf) {
    int n = 0;
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
        if (at + 11 >= pdf.size() || pdf[at + 11] != 's') ++n;
    return n;
}

inline std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "wb_" + std::to_string(getpid()) + "_" + name;
}

}  // namespace wbtest
