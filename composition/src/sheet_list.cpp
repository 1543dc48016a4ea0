// The sheet list "MAPLSMO.txt": the 1:50000 sheets of a sheet system, one a line.
#include "composition/map_spaces.h"
#include "platform/classes.h"
#include "platform/sysutils.h"

namespace {

size_t SkipBlanks(const std::string& line, size_t p) {
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
    return p;
}

std::string Field(const std::string& line, size_t at, size_t count) {
    return at < line.size() ? line.substr(at, count) : "";
}

}  // namespace

void TSMO::ReadSheetList(const std::string& path) {
    TStringList lines;
    try {
        lines.LoadFromFile(path);
    } catch (const EStreamError& e) {
        throw EInOutError(e.Message());
    }
    ReadSheetLines(lines, path);
}

void TSMO::ReadSheetLines(const TStringList& lines, const std::string& fileName) {
    if (lines.Count() < 2) return;
    // The second line fixes where the fields stand.
    const std::string& first = lines[1];
    size_t colAt = SkipBlanks(first, 0);
    size_t rowAt = SkipBlanks(first, colAt + 2);
    size_t abbrAt = SkipBlanks(first, rowAt + 2);
    size_t nameAt = SkipBlanks(first, abbrAt + 4);
    for (int i = 1; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        int32_t col, row;
        try {
            col = StrToInt(Field(line, colAt, 2));
            row = StrToInt(Field(line, rowAt, 2));
        } catch (const EConvertError& e) {
            throw EConvertError(fileName + " (" + Cz("řádek ") + IntToStr(i + 1) + "): " + e.Message());
        }
        AddSheetFromList(col, row, Field(line, nameAt, 30), Field(line, abbrAt, 4));
    }
}
