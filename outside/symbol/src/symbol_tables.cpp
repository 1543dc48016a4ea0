// Reading the symbol tables.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "kernel/class_registry.h"
#include "kernel/tools.h"
#include "platform/classes.h"
#include "platform/sysutils.h"
#include "symbol/symbol.h"

std::string PathOfLibraries;

namespace {

// Sizes beyond this many millimetres are no symbol but a mistake in the table.
constexpr double kMaxMillimetres = 1000;
constexpr double kMinSpacing = 0.1;

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size() || line[i] == '#') break;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '#') ++j;
        words.push_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

bool ReadInt(const std::string& w, int32_t& v) {
    auto r = std::from_chars(w.data(), w.data() + w.size(), v);
    return r.ec == std::errc() && r.ptr == w.data() + w.size();
}

// A number with "." or ",", finite and within the table's limits.
bool ReadNumber(std::string w, double& v) {
    std::replace(w.begin(), w.end(), ',', '.');
    if (!w.empty() && w[0] == '+') w.erase(0, 1);
    auto r = std::from_chars(w.data(), w.data() + w.size(), v);
    return r.ec == std::errc() && r.ptr == w.data() + w.size() && std::isfinite(v) &&
           std::fabs(v) <= kMaxMillimetres;
}

// Reads words[first..] into the values; the reason names the first bad one.
struct TWordReader {
    const std::vector<std::string>& words;
    std::string& error;

    bool Count(size_t least, size_t most) {
        if (words.size() >= least && words.size() <= most) return true;
        error = Cz("nesprávný počet údajů");
        return false;
    }
    bool Code(size_t i, int32_t& v) {
        if (i < words.size() && ReadInt(words[i], v) && v >= 1) return true;
        error = Cz("kód musí být celé číslo od 1: ") + Word(i);
        return false;
    }
    bool Color(size_t i, int32_t& v) {
        if (i < words.size() && ReadInt(words[i], v) && v >= -1 && v <= 0xFFFF) return true;
        error = Cz("barva musí být číslo od -1 do 65535: ") + Word(i);
        return false;
    }
    bool Flag(size_t i, bool& v) {
        if (i < words.size() && (words[i] == "0" || words[i] == "1")) {
            v = words[i] == "1";
            return true;
        }
        error = Cz("příznak musí být 0 nebo 1: ") + Word(i);
        return false;
    }
    bool Number(size_t i, double& v, double least = -kMaxMillimetres) {
        if (i < words.size() && ReadNumber(words[i], v) && v >= least) return true;
        error = Cz("nesprávné číslo: ") + Word(i);
        return false;
    }
    std::string Word(size_t i) const { return i < words.size() ? words[i] : std::string(); }
    std::string Rest(size_t i) const {
        std::string t;
        for (; i < words.size(); ++i) t += (t.empty() ? "" : " ") + words[i];
        return t;
    }
};

std::string NeedSymbol(const char* what) { return Cz("chybí záhlaví značky před řádkem ") + what; }

}  // namespace

// ---- symbols -----------------------------------------------------------------------------

TColor TSymbolColor::Effective(TColor fallback) const {
    if (UserColored) return Color;
    if (ColorIndex < 0) return fallback;
    return DejBarvicku(static_cast<uint16_t>(ColorIndex));
}

void TZnacka::Publish(PropertyTable& t) {
    t.Int<TZnacka>("Code", &TZnacka::Code, [](TZnacka* o, int32_t v) { o->Code = v; });
    t.Str<TZnacka>("Title", &TZnacka::Title, [](TZnacka* o, const std::string& v) { o->Title = v; });
}

// ---- TSymbolTable ------------------------------------------------------------------------

void TSymbolTable::Clear() {
    for (TZnacka* s : FSymbols) Free(s);
    FSymbols.clear();
    FLayerCodes.clear();
    FMessages.clear();
    FCurrent = nullptr;
}

void TSymbolTable::Destroy() {
    Clear();
    inherited::Destroy();
}

void TSymbolTable::LoadFromFile(const std::string& path) {
    TStringList lines;
    lines.LoadFromFile(path);
    LoadLines(lines, path);
}

void TSymbolTable::LoadFromText(const std::string& text, const std::string& fileName) {
    TStringList lines;
    lines.SetText(text);
    LoadLines(lines, fileName);
}

void TSymbolTable::LoadLines(const TStringList& lines, const std::string& fileName) {
    Clear();
    for (int i = 0; i < lines.Count(); ++i) {
        std::vector<std::string> words = SplitWords(lines[i]);
        if (words.empty()) continue;
        words[0] = AnsiUpperCase(words[0]);
        std::string error;
        if (ReadCommonLine(words, error) || (error.empty() && ReadLine(words, error))) continue;
        if (error.empty()) error = Cz("neznámý řádek");
        std::string report = Cz("Soubor ") + fileName + Cz(", řádek ") + std::to_string(i + 1) + ": " + error;
        FMessages.push_back(report);
        PostTextMsg(tm_TextNote, report, nullptr);
    }
    FCurrent = nullptr;
}

bool TSymbolTable::ReadLine(const std::vector<std::string>&, std::string&) { return false; }

bool TSymbolTable::ReadCommonLine(const std::vector<std::string>& words, std::string& error) {
    if (words[0] != "LAYER") return false;
    TWordReader r{words, error};
    int32_t code = 0;
    if (!r.Count(3, 3) || !r.Code(2, code)) return false;
    std::string name = AnsiUpperCase(words[1]);
    auto it = std::find_if(FLayerCodes.begin(), FLayerCodes.end(), [&](const auto& p) { return p.first == name; });
    if (it != FLayerCodes.end()) it->second = code;
    else FLayerCodes.emplace_back(name, code);
    return true;
}

bool TSymbolTable::AddSymbol(TZnacka* symbol, std::string& error) {
    auto it = std::lower_bound(FSymbols.begin(), FSymbols.end(), symbol->Code,
                               [](TZnacka* s, int32_t code) { return s->Code < code; });
    if (it != FSymbols.end() && (*it)->Code == symbol->Code) {
        error = Cz("kód už má jiná značka: ") + std::to_string(symbol->Code);
        Free(symbol);
        FCurrent = nullptr;
        return false;
    }
    FSymbols.insert(it, symbol);
    FCurrent = symbol;
    return true;
}

TZnacka* TSymbolTable::Find(int32_t code) const {
    auto it = std::lower_bound(FSymbols.begin(), FSymbols.end(), code,
                               [](TZnacka* s, int32_t c) { return s->Code < c; });
    return it != FSymbols.end() && (*it)->Code == code ? *it : nullptr;
}

int32_t TSymbolTable::LayerCode(const std::string& className) const {
    if (FLayerCodes.empty()) return 0;
    std::string name = AnsiUpperCase(className);
    for (const auto& [layer, code] : FLayerCodes)
        if (layer == name) return code;
    return 0;
}

int32_t TSymbolTable::LayerCode(TElement* element) const {
    return element && !FLayerCodes.empty() ? LayerCode(element->ClassName()) : 0;
}

void TSymbolTable::SetDevice(TDevice* device) {
    FDevice = device;
    FDeviceSerial = device ? device->Serial() : 0;
}

double TSymbolTable::PixelsPerMillimetre() const {
    TDevice* d = GetDevice();
    TPageProjection* p = d ? d->GetProjection() : nullptr;
    T_Page* page = d ? d->GetPage() : nullptr;
    if (!p || !page || !p->GetIsOK()) return 0;
    double vs = p->GetVirtualScale() > 0 ? p->GetVirtualScale() : p->GetScale();
    return page->GetPixelsPerMetreX() / 1000.0 * vs / p->GetScale();
}

bool TSymbolTable::Outside(TRectEntity* element) const {
    if (FRegion.IsEmpty() || !element) return false;
    return !FRegion.IsOverlap(element->Rect());
}

// ---- the three tables --------------------------------------------------------------------

TPlosnaZnacka* TAreaSymbols::VratZnackuDleKodu(int32_t code) const { return As<TPlosnaZnacka>(Find(code)); }

bool TAreaSymbols::ReadLine(const std::vector<std::string>& words, std::string& error) {
    TWordReader r{words, error};
    const std::string& key = words[0];
    if (key == "AREA") {
        auto* s = TPlosnaZnacka::New();
        if (!r.Count(4, 1000) || !r.Code(1, s->Code) || !r.Color(2, s->Fill.ColorIndex) ||
            !r.Flag(3, s->FillBackground)) {
            Free(s);
            return false;
        }
        s->Title = r.Rest(4);
        return AddSymbol(s, error);
    }
    auto* s = As<TPlosnaZnacka>(Current());
    if (key == "HATCH") {
        TPatternGroup g;
        if (!s) error = NeedSymbol("HATCH");
        else if (r.Count(3, 3) && r.Number(1, g.Angle) && r.Number(2, g.Spacing, kMinSpacing)) {
            s->Groups.push_back(g);
            return true;
        }
        return false;
    }
    if (key == "LINE") {
        TPatternItem item;
        if (!s || s->Groups.empty()) error = NeedSymbol("LINE");
        else if (r.Count(4, 4) && r.Number(1, item.Offset) && r.Number(2, item.Width, 0) && r.Color(3, item.ColorIndex)) {
            s->Groups.back().Items.push_back(item);
            return true;
        }
        return false;
    }
    return false;
}

TLiniovaZnacka* TLineSymbols::VratZnackuDleKodu(int32_t code) const { return As<TLiniovaZnacka>(Find(code)); }

bool TLineSymbols::ReadLine(const std::vector<std::string>& words, std::string& error) {
    TWordReader r{words, error};
    const std::string& key = words[0];
    if (key == "LINE") {
        auto* s = TLiniovaZnacka::New();
        if (!r.Count(2, 1000) || !r.Code(1, s->Code)) {
            Free(s);
            return false;
        }
        s->Title = r.Rest(2);
        return AddSymbol(s, error);
    }
    if (key == "STROKE") {
        auto* s = As<TLiniovaZnacka>(Current());
        TLineComponent c;
        if (!s) {
            error = NeedSymbol("STROKE");
            return false;
        }
        if (!r.Count(4, 24) || !r.Number(1, c.Offset) || !r.Number(2, c.Width, 0) || !r.Color(3, c.ColorIndex))
            return false;
        if ((words.size() - 4) % 2) {
            error = Cz("úseky a mezery musí být v párech");
            return false;
        }
        for (size_t i = 4; i < words.size(); ++i) {
            double v = 0;
            if (!r.Number(i, v, kMinSpacing)) return false;
            c.Dashes.push_back(v);
        }
        s->Components.push_back(std::move(c));
        return true;
    }
    return false;
}

TBodovaZnacka* TPointSymbols::VratZnackuDleKodu(int32_t code) const { return As<TBodovaZnacka>(Find(code)); }

bool TPointSymbols::ReadLine(const std::vector<std::string>& words, std::string& error) {
    TWordReader r{words, error};
    const std::string& key = words[0];
    if (key == "POINT") {
        auto* s = TBodovaZnacka::New();
        if (!r.Count(2, 1000) || !r.Code(1, s->Code)) {
            Free(s);
            return false;
        }
        s->Title = r.Rest(2);
        return AddSymbol(s, error);
    }
    if (key != "CIRCLE" && key != "POLYLINE" && key != "POLYGON") return false;
    auto* s = As<TBodovaZnacka>(Current());
    if (!s) {
        error = NeedSymbol(key.c_str());
        return false;
    }
    TPointShape shape;
    if (key == "CIRCLE") {
        T2DPoint c;
        shape.Kind = TPointShape::Circle;
        if (!r.Count(7, 7) || !r.Number(1, c.X) || !r.Number(2, c.Y) || !r.Number(3, shape.Radius, 0) ||
            !r.Number(4, shape.Width, 0) || !r.Color(5, shape.ColorIndex) || !r.Flag(6, shape.Filled))
            return false;
        shape.Points.push_back(c);
    } else {
        bool polygon = key == "POLYGON";
        shape.Kind = polygon ? TPointShape::Polygon : TPointShape::Line;
        size_t first = polygon ? 4 : 3;
        if (!r.Number(1, shape.Width, 0) || !r.Color(2, shape.ColorIndex) || (polygon && !r.Flag(3, shape.Filled)))
            return false;
        if (words.size() < first + 4 || (words.size() - first) % 2) {
            error = Cz("souřadnice musí být v párech, aspoň dva body");
            return false;
        }
        for (size_t i = first; i < words.size(); i += 2) {
            T2DPoint p;
            if (!r.Number(i, p.X) || !r.Number(i + 1, p.Y)) return false;
            shape.Points.push_back(p);
        }
    }
    s->Shapes.push_back(std::move(shape));
    return true;
}

void RegisterSymbolClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TZnacka>();
    RegisterZarixClass<TLiniovaZnacka>();
    RegisterZarixClass<TPlosnaZnacka>();
    RegisterZarixClass<TBodovaZnacka>();
    RegisterZarixClass<TAreaSymbols>();
    RegisterZarixClass<TLineSymbols>();
    RegisterZarixClass<TPointSymbols>();
}
