// Feeds arbitrary bytes to the check-set loader and runs what loads over a tiny data set
// (the first features of each sample layer) into a protocol file. A damaged file must give
// the loader's error and no run; a loaded set must run without a crash and leave the
// working area empty. Check sets naming interprets or tools that are not checks are not
// run (they could start anything a class does), nor layer lines that leave the data folder.
#include <gdal.h>
#include <gdal_utils.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "checker/check_interprets.h"
#include "checker/check_set_run.h"
#include "checker/check_tools.h"
#include "composition/modelfile.h"
#include "composition/text_devices.h"
#include "fuzz_support.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"

namespace {

ScriptedHost gHost;
std::string gFile, gData, gProtocol;

// The first five features of every sample layer, into the scratch data folder.
void MakeTinyData() {
    GDALAllRegister();
    GDALDatasetH src = GDALOpenEx(SUITE_SAMPLE_DATA "/ostravsko.gpkg", GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    if (!src) std::abort();
    const char* args[] = {"-f", "GPKG", "-where", "fid <= 5", nullptr};
    GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(const_cast<char**>(args), nullptr);
    GDALDatasetH out = GDALVectorTranslate((gData + "/ostravsko.gpkg").c_str(), nullptr, 1, &src, options, nullptr);
    GDALVectorTranslateOptionsFree(options);
    if (!out) std::abort();
    GDALClose(out);
    GDALClose(src);
}

void Init() {
    RegisterCheckerClasses();
    SetUserHost(&gHost);
    World = TWorld::New();
    gFile = fuzz::ScratchPath("set.zrx");
    gData = fuzz::ScratchPath("data");
    gProtocol = fuzz::ScratchPath("protocol.txt");
    ForceDirectories(gData + "/vrstvy");
    MakeTinyData();
}

bool OnlyChecks(TElement* element) {
    if (auto* entity = As<TEntity>(element)) {
        for (int32_t i = 0; i < entity->ElementsCount(); ++i)
            if (!OnlyChecks(entity->Get(i))) return false;
    }
    if (auto* tool = As<TToolModel>(element)) {
        TElementClass cls = GetZarixClass(tool->ElementClassName);
        bool interpret = cls && (cls->InheritsFrom(TCheckInterpret::StaticClass()) ||
                                 cls->InheritsFrom(TTextDeviceInterpret::StaticClass()));
        bool check = cls && cls->InheritsFrom(TCheckTool::StaticClass());
        if (cls && !interpret && !check) return false;
    }
    if (auto* list = As<TStringListElement>(element)) {
        for (int32_t i = 0; i < list->ElementsCount(); ++i) {
            std::string value = list->GetString(i);
            if (value.find_first_of("/\\%:") != std::string::npos || value.find("..") != std::string::npos)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (Init(), true);
    (void)ready;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::Note(fuzz::Escaped(bytes.substr(0, 200)));
    fuzz::WriteBytes(gFile, bytes);

    TLoad* load = TLoad::New(gFile);
    TElement* loaded = nullptr;
    try {
        load->DoIt();
        loaded = load->Output;
    } catch (const Exception&) {
        FUZZ_CHECK(load->Output == nullptr);
    }
    Free(load);
    if (auto* set = As<TInterpretNodeEntity>(loaded); set && OnlyChecks(set)) {
        TTextFileDevice* device = TTextFileDevice::New();
        TInterpretNodeEntityInterpret* run = TInterpretNodeEntityInterpret::New();
        try {
            device->SetFileName(gProtocol);
            run->DataDirectory = gData;
            run->SetDevice(device);
            run->SetInput(set);
            run->DoIt();
        } catch (const Exception&) {
        }
        TOwnerEntity* work = run->GetWorkingArea();
        FUZZ_CHECK(work && work->ElementsCount() == 0);
        Free(run);
        Free(device);
    }
    Free(loaded);
    Application().ProcessMessages();
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
