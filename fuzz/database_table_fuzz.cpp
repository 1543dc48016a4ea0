// Feeds arbitrary bytes as a text table (the CSV driver) of a database class whose key is
// the first header name, and walks it to the end: either the table opens and every
// record it counts is an element that finds itself again (its key holding no ";"), or it has no elements, no
// record size and no element at all.
#include <algorithm>
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
        std::string d = fuzz::ScratchPath("database");
        std::filesystem::create_directories(d);
        return d;
    }();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::Note(fuzz::Escaped(bytes));
    fuzz::WriteBytes(dir + "/t.csv", bytes);
    std::string key = bytes.substr(0, bytes.find_first_of(",\r\n"));
    if (key.size() > 30) key.resize(30);

    TDatabaseClass* c = TDatabaseClass::New();
    c->DataSourceType = dstText;
    c->DataSourcePath = dir;
    c->DataSource = "t.csv";
    c->AdressField = key.find(';') == std::string::npos ? key : std::string();
    int32_t n = c->ElementsCount();
    if (n == 0) {
        FUZZ_CHECK(c->GetRecordSize() == 0 || c->LastError().empty());
        FUZZ_CHECK(c->Get(0) == nullptr);
    } else {
        FUZZ_CHECK(c->GetPropertyCount() > 0);
        for (int32_t i = 0; i < n; ++i) {
            TElement* e = c->Get(i);
            FUZZ_CHECK(e != nullptr);
            // An address finds its record unless a key value holds the ";" that ends it.
            const std::string& address = static_cast<TVirtualElement*>(e)->ElementAdress;
            int32_t at = c->IndexOf(e);
            if (std::count(address.begin(), address.end(), ';') == static_cast<long>(c->AdressField.empty() ? 0 : c->KeyCount()))
                FUZZ_CHECK(at >= 0 && at < n);
            e->GetPropertyStringByName(key);
        }
        FUZZ_CHECK(c->Get(n) == nullptr);
    }
    Free(c);
    ClearHostLog();
    return 0;
}
