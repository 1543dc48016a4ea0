// Writing and reading a model file of one million elements, against writing and reading
// the same bytes raw.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "composition/composition.h"
#include "composition/modelfile.h"
#include "kernel/kernel.h"
#include "kernel/messages.h"
#include "platform/classes.h"
#include "platform/forms.h"
#include "platform/host.h"

namespace {

constexpr int kGroups = 1000;
constexpr int kLeavesPerGroup = 999;  // with the groups and the root: 1 000 001 elements

class TBenchLeaf : public TOwnerElement {
    ZARIX_CLASS(TBenchLeaf, TOwnerElement)
    static void Publish(PropertyTable& t) {
        using C = TBenchLeaf;
        t.Field("Value", &C::Value);
        t.Field("Ratio", &C::Ratio);
        t.Field("Visible", &C::Visible);
    }

public:
    int32_t Value = 0;
    double Ratio = 0;
    bool Visible = false;
};

ScriptedHost gHost;

void Setup() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterKernelClasses();
    RegisterCompositionClasses();
    RegisterZarixClass<TBenchLeaf>();
    SetUserHost(&gHost);
    // Progress messages are dropped.
    Application().OnMessage = [](TMsg& m, bool& handled) {
        if (TZarixMessage* zm = ElementMessageOf(m.message, m.lParam)) {
            handled = true;
            Free(zm);
        }
    };
}

// The tree the benchmarks write: a root of groups of leaves. By properties: the leaves'
// values set through their published properties, as a reader sets them.
TOwnerEntity* MakeTree(bool byProperties = false) {
    const TPropInfo& value = *TBenchLeaf::StaticClass()->FindProp("Value");
    const TPropInfo& ratio = *TBenchLeaf::StaticClass()->FindProp("Ratio");
    const TPropInfo& visible = *TBenchLeaf::StaticClass()->FindProp("Visible");
    TOwnerEntity* r = TOwnerEntity::New();
    r->SetName("root");
    for (int g = 0; g < kGroups; ++g) {
        TOwnerEntity* group = TOwnerEntity::New();
        group->SetName("group " + std::to_string(g));
        for (int i = 0; i < kLeavesPerGroup; ++i) {
            TBenchLeaf* leaf = TBenchLeaf::New();
            if (byProperties) {
                SetOrdProp(leaf, value, g * kLeavesPerGroup + i);
                SetFloatProp(leaf, ratio, i * 0.5);
                SetOrdProp(leaf, visible, i & 1);
            } else {
                leaf->Value = g * kLeavesPerGroup + i;
                leaf->Ratio = i * 0.5;
                leaf->Visible = (i & 1) != 0;
            }
            group->AddElement(leaf);
        }
        r->AddElement(group);
    }
    return r;
}

TOwnerEntity* Tree() {
    static TOwnerEntity* root = [] {
        Setup();
        return MakeTree();
    }();
    return root;
}

// Minor page faults of the process so far: fresh pages the kernel had to hand out.
long PageFaults() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

std::string Path(const char* name) { return "/tmp/modelfile-bench-" + std::to_string(getpid()) + "-" + name; }

void Save(const std::string& path) {
    TSave* saver = TSave::New(path);
    saver->SetInput(Tree());
    saver->DoIt();
    Free(saver);
}

void BM_WriteModel(benchmark::State& state) {
    std::string path = Path("w.zrx");
    Tree();  // made before the timing
    // The first write of the process, which also takes its buffers from the system.
    auto start = std::chrono::steady_clock::now();
    Save(path);
    state.counters["first_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    long faults = PageFaults();
    for (auto _ : state) Save(path);
    state.counters["faults"] = static_cast<double>(PageFaults() - faults) / state.iterations();
    TMemoryStream m;
    m.LoadFromFile(path);
    state.counters["bytes"] = static_cast<double>(m.Size());
    state.SetBytesProcessed(state.iterations() * m.Size());
    std::remove(path.c_str());
}

TElement* Load(const std::string& path) {
    TLoad* loader = TLoad::New(path);
    loader->DoIt();
    TElement* root = loader->Output;
    Free(loader);
    return root;
}

// Both this and the tree made in code are timed once the process holds the memory of
// one tree; the first load, which also takes that memory from the system, is the
// counter first_ms.
void BM_ReadModel(benchmark::State& state) {
    std::string path = Path("r.zrx");
    Save(path);
    TMemoryStream m;
    m.LoadFromFile(path);
    auto start = std::chrono::steady_clock::now();
    Free(Load(path));
    state.counters["first_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    long faults = 0;
    for (auto _ : state) {
        long before = PageFaults();
        TElement* root = Load(path);
        faults += PageFaults() - before;
        state.PauseTiming();
        Free(root);
        state.ResumeTiming();
    }
    state.counters["faults"] = static_cast<double>(faults) / state.iterations();
    state.SetBytesProcessed(state.iterations() * m.Size());
    std::remove(path.c_str());
}

// What a reader cannot do faster: making the same elements in code (range 1: through the
// published properties).
void BM_MakeTree(benchmark::State& state) {
    const bool byProperties = state.range(0) != 0;
    Tree();
    Free(MakeTree(byProperties));
    long faults = 0;
    for (auto _ : state) {
        long before = PageFaults();
        TOwnerEntity* root = MakeTree(byProperties);
        faults += PageFaults() - before;
        state.PauseTiming();
        Free(root);
        state.ResumeTiming();
    }
    state.counters["faults"] = static_cast<double>(faults) / state.iterations();
}

void BM_WriteRawBytes(benchmark::State& state) {
    std::string model = Path("m.zrx");
    std::string path = Path("raw.bin");
    Save(model);
    TMemoryStream m;
    m.LoadFromFile(model);
    long faults = PageFaults();
    for (auto _ : state) m.SaveToFile(path);
    state.counters["faults"] = static_cast<double>(PageFaults() - faults) / state.iterations();
    state.SetBytesProcessed(state.iterations() * m.Size());
    std::remove(model.c_str());
    std::remove(path.c_str());
}

// The file's bytes from the page cache into a new buffer of the file's size: what the
// reader itself does before it parses.
void BM_ReadRawBytes(benchmark::State& state) {
    std::string path = Path("raw2.zrx");
    Save(path);
    int64_t size = 0;
    for (auto _ : state) {
        TMemoryStream m;
        m.LoadFromFile(path);
        size = m.Size();
        benchmark::DoNotOptimize(m.Memory());
    }
    state.SetBytesProcessed(state.iterations() * size);
    std::remove(path.c_str());
}

BENCHMARK(BM_WriteModel)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadModel)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MakeTree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WriteRawBytes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadRawBytes)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
