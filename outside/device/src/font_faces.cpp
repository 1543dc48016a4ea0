#include "device/font_faces.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <map>
#include <mutex>
#include <tuple>

#include "platform/sysutils.h"

namespace {

constexpr const char* kDefaultFamily = "Liberation Sans";

// The font names of the suite and its templates, upper-cased, and the families drawn for
// them (metric-compatible with the faces the names stand for).
struct FamilyOf {
    const char* Name;
    const char* Family;
};
constexpr FamilyOf kFamilies[] = {
    {"ARIAL", "Liberation Sans"},           {"ARIAL CE", "Liberation Sans"},
    {"HELVETICA", "Liberation Sans"},       {"MS SANS SERIF", "Liberation Sans"},
    {"SYSTEM", "Liberation Sans"},          {"TIMES NEW ROMAN", "Liberation Serif"},
    {"TIMES NEW ROMAN CE", "Liberation Serif"}, {"TIMES", "Liberation Serif"},
    {"COURIER NEW", "Liberation Mono"},     {"COURIER NEW CE", "Liberation Mono"},
    {"COURIER", "Liberation Mono"},
};

bool HasFamily(FcPattern* match, const std::string& family) {
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        if (FcStrCmpIgnoreCase(value, reinterpret_cast<const FcChar8*>(family.c_str())) == 0) return true;
    return false;
}

// The installed face fontconfig answers for the family and style; nil when it has none of
// that family and exact is asked.
FcPattern* MatchFamily(const std::string& family, bool bold, bool italic, bool exact) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match && exact && !HasFamily(match, family)) {
        FcPatternDestroy(match);
        match = nullptr;
    }
    return match;
}

// The face's Windows ascent and descent in ems (its OS/2 table), else its own ascender and
// descender.
void ReadMetrics(FcPattern* match, TFontFace& face) {
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) return;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return;
    FT_Face ft = nullptr;
    if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &ft) == 0) {
        double em = ft->units_per_EM;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        if (em > 0 && os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            face.Ascent = os2->usWinAscent / em;
            face.Descent = os2->usWinDescent / em;
        } else if (em > 0 && ft->ascender > 0) {
            face.Ascent = ft->ascender / em;
            face.Descent = -ft->descender / em;
        }
        FT_Done_Face(ft);
    }
    FT_Done_FreeType(library);
}

TFontFace MakeFace(const std::string& name, bool bold, bool italic) {
    std::string family = MappedFontFamily(name);
    FcPattern* match = MatchFamily(family, bold, italic, true);
    if (!match) match = MatchFamily(kDefaultFamily, bold, italic, false);
    TFontFace face;
    if (!match) {
        // No font at all: Cairo's own fallback.
        face.Face = cairo_toy_font_face_create("", italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        return face;
    }
    FcChar8* drawn = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &drawn) == FcResultMatch) face.Family = reinterpret_cast<char*>(drawn);
    ReadMetrics(match, face);
    face.Face = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
    return face;
}

std::mutex gFacesLock;
std::map<std::tuple<std::string, bool, bool>, TFontFace>* gFaces = nullptr;

}  // namespace

std::string MappedFontFamily(const std::string& name) {
    std::string key = AnsiUpperCase(Trim(name));
    if (key.empty()) return kDefaultFamily;
    for (const FamilyOf& f : kFamilies)
        if (key == f.Name) return f.Family;
    return ToUtf8(Trim(name));
}

const TFontFace& FontFaceFor(const std::string& name, bool bold, bool italic) {
    std::lock_guard<std::mutex> lock(gFacesLock);
    if (!gFaces) {
        gFaces = new std::map<std::tuple<std::string, bool, bool>, TFontFace>;
        EnsureFontCleanup();
    }
    auto key = std::make_tuple(AnsiUpperCase(name), bold, italic);
    auto it = gFaces->find(key);
    if (it == gFaces->end()) it = gFaces->emplace(key, MakeFace(name, bold, italic)).first;
    return it->second;
}

void ReleaseFontFaces() {
    std::lock_guard<std::mutex> lock(gFacesLock);
    if (!gFaces) return;
    for (auto& [key, face] : *gFaces)
        if (face.Face) cairo_font_face_destroy(face.Face);
    delete gFaces;
    gFaces = nullptr;
}
