// The element core at the scale of map data: creation by name and property access by
// name over a registry of a few hundred classes, each beside its direct-call baseline;
// freeing many owner-tracking children, name lookups among many children and queued
// messages, each at growing sizes (the per-item cost is the figure to compare).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/kernel.h"
#include "kernel/messages.h"
#include "kernel/property_access.h"
#include "platform/forms.h"
#include "platform/host.h"

namespace {

constexpr int kClasses = 400;

class TBenchView : public TOwnerEntity {
    ZARIX_CLASS(TBenchView, TOwnerEntity)
public:
    static void Publish(PropertyTable& t) {
        t.Int<TBenchView>("Scale", &TBenchView::scale, [](TBenchView* v, int32_t x) { v->scale = x; });
        t.Float<TBenchView>("Rotation", &TBenchView::rotation, [](TBenchView* v, double x) { v->rotation = x; });
        t.Str<TBenchView>("Caption", &TBenchView::caption, [](TBenchView* v, const std::string& x) { v->caption = x; });
        t.Bool<TBenchView>("Visible", &TBenchView::visible, [](TBenchView* v, bool x) { v->visible = x; });
    }
    [[gnu::noinline]] virtual int32_t GetScale() { return scale; }
    [[gnu::noinline]] virtual void SetScale(int32_t v) { scale = v; }
    [[gnu::noinline]] virtual std::string GetCaption() { return caption; }
    [[gnu::noinline]] virtual void SetCaption(const std::string& v) { caption = v; }
    int32_t scale = 0;
    double rotation = 0;
    std::string caption;
    bool visible = false;
};

// Class names of the filled registry, made once.
const std::vector<std::string>& BenchNames() {
    static const std::vector<std::string> names = [] {
        RegisterKernelClasses();
        RegisterZarixClass<TBenchView>();
        std::vector<std::string> out;
        for (int i = 0; i < kClasses; ++i) {
            // Spread over the alphabet so that lookups bisect a mixed registry.
            std::string name = "T";
            name += static_cast<char>('A' + (i * 7) % 26);
            name += "Bench" + std::to_string(i);
            TClassInfo* ci = rtti_detail::NewClassInfo(name.c_str(), TBenchView::StaticClass(),
                                                       TBenchView::StaticClass()->NewBlank, sizeof(TBenchView));
            RegisterZarixClass(ci);
            out.push_back(name);
        }
        return out;
    }();
    return names;
}

void BM_CreateElementByName(benchmark::State& state) {
    const std::vector<std::string>& names = BenchNames();
    size_t i = 0;
    for (auto _ : state) {
        TElement* e = CreateElementByName(names[i++ % names.size()]);
        benchmark::DoNotOptimize(e);
        Free(e);
    }
}
BENCHMARK(BM_CreateElementByName);

void BM_CreateElementByNameWithoutT(benchmark::State& state) {
    const std::vector<std::string>& names = BenchNames();
    std::vector<std::string> bare;
    for (const std::string& n : names) bare.push_back(n.substr(1));
    size_t i = 0;
    for (auto _ : state) {
        TElement* e = CreateElementByName(bare[i++ % bare.size()]);
        benchmark::DoNotOptimize(e);
        Free(e);
    }
}
BENCHMARK(BM_CreateElementByNameWithoutT);

void BM_GetZarixClass(benchmark::State& state) {
    const std::vector<std::string>& names = BenchNames();
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(GetZarixClass(names[i++ % names.size()]));
}
BENCHMARK(BM_GetZarixClass);

void BM_RegistryPropertyIndex(benchmark::State& state) {
    BenchNames();
    TZarixClass* entry = ZarixClasses->GetZarixClassByName("TBenchView");
    const char* props[] = {"ID", "Count", "Scale", "visible", "Missing"};
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(entry->PropertyIndex(props[i++ % 5]));
}
BENCHMARK(BM_RegistryPropertyIndex);

void BM_PropertyStringByName(benchmark::State& state) {
    BenchNames();
    TElement* e = CreateElementByName("BenchView");
    const char* props[] = {"Name", "Scale", "Caption", "Visible"};
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(e->GetPropertyStringByName(props[i++ % 4]));
    Free(e);
}
BENCHMARK(BM_PropertyStringByName);

// ---- the baselines of creation and property access ------------------------------------

void BM_NewAndFree(benchmark::State& state) {
    BenchNames();
    for (auto _ : state) {
        TElement* e = TBenchView::New();
        benchmark::DoNotOptimize(e);
        Free(e);
    }
}
BENCHMARK(BM_NewAndFree);

void BM_DirectVirtualGetSet(benchmark::State& state) {
    BenchNames();
    TBenchView* v = TBenchView::New();
    TBenchView* volatile hidden = v;
    int32_t x = 0;
    for (auto _ : state) {
        TBenchView* w = hidden;
        w->SetScale(x++);
        benchmark::DoNotOptimize(w->GetScale());
    }
    Free(v);
}
BENCHMARK(BM_DirectVirtualGetSet);

// The same with a string: the floor of a string property's copy in and out.
void BM_DirectVirtualGetSetString(benchmark::State& state) {
    BenchNames();
    TBenchView* v = TBenchView::New();
    TBenchView* volatile hidden = v;
    const std::string text = "map";
    for (auto _ : state) {
        TBenchView* w = hidden;
        w->SetCaption(text);
        benchmark::DoNotOptimize(w->GetCaption());
    }
    Free(v);
}
BENCHMARK(BM_DirectVirtualGetSetString);

// Reads and writes one property by name through the type information; range(0): 0
// integer, 1 float, 2 string.
void BM_PropertyGetSetByName(benchmark::State& state) {
    BenchNames();
    TBenchView* v = TBenchView::New();
    const std::string names[] = {"Scale", "Rotation", "Caption"};
    const std::string& name = names[state.range(0)];
    const std::string text = "map";
    int64_t x = 0;
    for (auto _ : state) {
        const TPropInfo* p = GetPropInfo(v, name);
        switch (state.range(0)) {
            case 0:
                SetOrdProp(v, *p, x++);
                benchmark::DoNotOptimize(GetOrdProp(v, *GetPropInfo(v, name)));
                break;
            case 1:
                SetFloatProp(v, *p, static_cast<double>(x++));
                benchmark::DoNotOptimize(GetFloatProp(v, *GetPropInfo(v, name)));
                break;
            default:
                SetStrProp(v, *p, text);
                benchmark::DoNotOptimize(GetStrProp(v, *GetPropInfo(v, name)));
                break;
        }
    }
    Free(v);
}
BENCHMARK(BM_PropertyGetSetByName)->DenseRange(0, 2);

// One property as text by name: range(0) 0 integer, 1 string; range(1) 0 read, 1 write.
void BM_PropertyTextByName(benchmark::State& state) {
    BenchNames();
    TBenchView* v = TBenchView::New();
    const std::string name = state.range(0) == 0 ? "Scale" : "Caption";
    const std::string text = state.range(0) == 0 ? "25000" : "Legend";
    bool write = state.range(1) != 0;
    for (auto _ : state) {
        if (write) benchmark::DoNotOptimize(SetPropStringByName(v, name, text));
        else benchmark::DoNotOptimize(GetPropStringByName(v, name));
    }
    Free(v);
}
BENCHMARK(BM_PropertyTextByName)->ArgsProduct({{0, 1}, {0, 1}});

void BM_GetPropIndex(benchmark::State& state) {
    BenchNames();
    TBenchView* v = TBenchView::New();
    const std::string names[] = {"Scale", "caption", "OwnersCount", "Missing"};
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(GetPropIndex(v, names[i++ % 4]));
    Free(v);
}
BENCHMARK(BM_GetPropIndex);

// ---- growing sizes -----------------------------------------------------------------------

// Freeing an entity of N owner-tracking children; the time is per child.
void BM_FreeOwnerChildren(benchmark::State& state) {
    BenchNames();
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TOwnerEntity* parent = TOwnerEntity::New();
        for (int i = 0; i < n; ++i) parent->AddElement(TOwnerElement::New());
        state.ResumeTiming();
        Free(parent);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FreeOwnerChildren)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMicrosecond);

// Posting K messages to one receiver and dispatching them all; the time is per message.
void BM_PostAndDispatch(benchmark::State& state) {
    BenchNames();
    const int k = static_cast<int>(state.range(0));
    TOwnerEntity* receiver = TOwnerEntity::New();
    TOwnerElement* sender = TOwnerElement::New();
    int64_t handled = 0;
    Application().OnMessage = [&](TMsg& m, bool& done) {
        if (TZarixMessage* zm = ElementMessageOf(m.message, m.lParam)) {
            handled += zm->Message;
            done = true;
            Free(zm);
        }
    };
    for (auto _ : state) {
        for (int i = 0; i < k; ++i) sender->PostMsg(1, receiver, nullptr, false);
        Application().ProcessMessages();
    }
    Application().OnMessage = nullptr;
    benchmark::DoNotOptimize(handled);
    Free(sender);
    Free(receiver);
    state.SetItemsProcessed(state.iterations() * k);
}
BENCHMARK(BM_PostAndDispatch)->Arg(1)->Arg(10)->Arg(1000)->Arg(10000);

// Making N name-sorted sub-entities by CreateSubEntity, names in shuffled order; the
// time is per child (each insertion also moves the list's tail).
void BM_CreateSubEntity(benchmark::State& state) {
    BenchNames();
    const int n = static_cast<int>(state.range(0));
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back("layer " + std::to_string((i * 7919) % n));
    for (auto _ : state) {
        TOwnerEntity* parent = TOwnerEntity::New();
        for (const std::string& name : names) parent->CreateSubEntity(TOwnerEntity::StaticClass(), name);
        state.PauseTiming();
        Free(parent);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// Finding each of N sub-entities again by CreateSubEntity, in another letter case; the
// time is per lookup.
void BM_FindSubEntity(benchmark::State& state) {
    BenchNames();
    const int n = static_cast<int>(state.range(0));
    std::vector<std::string> names;
    TOwnerEntity* parent = TOwnerEntity::New();
    for (int i = 0; i < n; ++i) {
        std::string name = "layer " + std::to_string((i * 7919) % n);
        parent->CreateSubEntity(TOwnerEntity::StaticClass(), name);
        names.push_back(AnsiUpperCase(name));
    }
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(parent->CreateSubEntity(nullptr, names[i++ % names.size()]));
    Free(parent);
}
BENCHMARK(BM_FindSubEntity)->Arg(1000)->Arg(10000)->Arg(100000);

BENCHMARK(BM_CreateSubEntity)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
