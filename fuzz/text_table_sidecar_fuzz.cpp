// Feeds arbitrary bytes as the ".csvt" sidecar of a text table whose columns are as many as
// the sidecar names (up to 64), and reads the table as a database class. Properties: the
// record and whole sizes are never negative, the whole size is the record size times the
// records (at most the largest integer), and every field of every record reads as text.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

#include "composition/composition.h"
#include "composition/database_classes.h"
#include "fuzz_support.h"
#include "platform/host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = [] {
        RegisterCompositionClasses();
        std::string d = fuzz::ScratchPath("sidecar");
        std::filesystem::create_directories(d);
        return d;
    }();
    if (size > 4096) return 0;
    std::string sidecar(reinterpret_cast<const char*>(data), size);
    fuzz::Note(fuzz::Escaped(sidecar));
    const int columns = static_cast<int>(std::min<size_t>(std::count(sidecar.begin(), sidecar.end(), ',') + 1, 64));
    std::string header, row1, row2;
    for (int c = 0; c < columns; ++c) {
        header += (c ? "," : "") + std::string("F") + std::to_string(c);
        row1 += (c ? "," : "") + std::to_string(c);
        row2 += (c ? ",x" : "-1.5");
    }
    fuzz::WriteBytes(dir + "/t.csv", header + "\n" + row1 + "\n" + row2 + "\n");
    fuzz::WriteBytes(dir + "/t.csvt", sidecar);

    TDatabaseClass* c = TDatabaseClass::New();
    c->DataSourceType = dstText;
    c->DataSourcePath = dir;
    c->DataSource = "t.csv";
    c->AdressField = "F0";
    const int32_t n = c->ElementsCount();
    const int32_t record = c->GetRecordSize();
    FUZZ_CHECK(n >= 0 && record >= 0);
    FUZZ_CHECK(c->GetWholeSize() == static_cast<int32_t>(std::min<int64_t>(int64_t{n} * record, INT32_MAX)));
    for (int32_t i = 0; i < n; ++i) {
        TElement* e = c->Get(i);
        FUZZ_CHECK(e != nullptr);
        for (int f = 0; f < columns; ++f) e->GetPropertyStringByName("F" + std::to_string(f));
    }
    Free(c);
    ClearHostLog();
    return 0;
}
