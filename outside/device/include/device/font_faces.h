// The faces the canvas writes with. Each font name the suite uses maps to a family that
// scripts/setup.sh installs ("Arial" to "Liberation Sans", ...), which fontconfig is asked
// for by name; whatever else a machine has installed under "Arial" is never chosen. Text is
// placed from the chosen face's own ascent, so it lands the same whichever face is drawn.
#pragma once
#include <string>

typedef struct _cairo_font_face cairo_font_face_t;

struct TFontFace {
    cairo_font_face_t* Face = nullptr;  // held by the cache for the process
    std::string Family;                 // the family drawn with (UTF-8)
    // Above and below the base line in ems, as Windows places text (the face's Windows
    // ascent and descent); 0 when the face does not tell.
    double Ascent = 0;
    double Descent = 0;
};

// The family a font name (Windows-1250) stands for: the mapped family for the names the
// suite knows, the default family for an empty name, else the name itself.
std::string MappedFontFamily(const std::string& name);

// The face for a font name and style, looked up once per process. A name whose family is
// not installed is drawn with the default family.
const TFontFace& FontFaceFor(const std::string& name, bool bold, bool italic);

// Frees the cached faces (at the process's end, before Cairo's and fontconfig's caches).
void ReleaseFontFaces();

// Registers, once, the emptying of the font caches at the process's end.
void EnsureFontCleanup();
