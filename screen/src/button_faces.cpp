#include "screen/button_faces.h"

#include <cstring>

#include "platform/forms.h"
#include "platform/sysutils.h"

namespace {

// Short captions of the speed buttons that carry a hint, by their hint.
struct ByHint {
    const char* hint;
    const char* caption;
};
constexpr ByHint kByHint[] = {
    {"Vytvoření nové kontroly", "Nová"},
    {"Načtení existující kontroly ze souboru", "Otevřít"},
    {"Přidání všech kontrolních uzlů z jiného souboru kontrol", "Připojit"},
    {"Uložení aktuální kontroly do aktuálního souboru", "Uložit"},
    {"Uložení kontroly pod novým názvem", "Uložit jako"},
    {"Zrušení vybraného uzlu", "Zrušit uzel"},
    {"Editace datového modelu", "Datový model"},
    {"Přidání kontroly adresářové struktury", "Složky"},
    {"Posunutí uzlu o jeden nahoru", "Nahoru"},
    {"Posunutí uzlu o jeden dolů", "Dolů"},
    {"Výběr objektů pro editaci", "Výběr"},
    {"Vložení nového objektu rámeček", "Rámeček"},
    {"Vložení nového objektu View", "View"},
    {"Vložení nového objektu Text", "Text"},
    {"Vložení nového objektu Textový blok", "Textový blok"},
    {"Vložení nového objektu Obrázek", "Obrázek"},
    {"Změna a přesun výřezu", "Výřez"},
    {"Poloha a rozměry objektu", "Poloha"},
    {"Parametry čar", "Čáry"},
    {"Výplň", "Výplň"},
    {"Rychlé, informativní zobrazení", "Rychle"},
};

// Buttons without a hint, by their role (the control's name), with what they do.
struct ByRole {
    const char* name;
    const char* caption;
    const char* tip;
};
constexpr ByRole kByRole[] = {
    {"b_50", "1:50 000", "Listy 1:50 000"},
    {"b_25", "1:25 000", "Listy 1:25 000"},
    {"b_10", "1:10 000", "Listy 1:10 000"},
    {"b_5", "1:5 000", "Listy 1:5 000"},
    {"b_2", "1:2 000", "Listy 1:2 000"},
    {"b_U", "Uživatelské", "Uživatelské mapové prostory"},
    {"b_ZM", "ZM", "Listy základní mapy (pravým tlačítkem měřítko, barva a síla rámů)"},
    {"b_Texty", "Texty", "Názvy listů"},
    {"b_Fill", "Výplň", "Výplň vybraných listů"},
    {"b_Viewer", "Výřez", "Změna a přesun výřezu"},
    {"b_GuideSelector", "Výběr", "Výběr listů"},
    {"b_MakeDetail", "Detail", "Výběr listů podrobnějšího měřítka"},
    {"b_NewUserSpace", "Nový prostor", "Nový uživatelský mapový prostor"},
    {"b_EditUserSpace", "Úprava prostoru", "Úprava uživatelských mapových prostorů"},
    {"b_Size", "Rozměry", "Poloha a rozměry mapového prostoru"},
    {"BitBtn2", "Import", "Import vektorové kresby"},
    {"btn_Link", "Připojit", "Připojení přetaženého prvku"},
    {"b_AddFromPalette", "Přidat", "Přidání kontroly z nabídky do uzlu"},
    {"BitBtn3", "Odebrat", "Odebrání kontroly z uzlu"},
    {"b_Font", "Písmo", "Písmo textu"},
    {"b_VarTexts", "Proměnné texty", "Proměnné texty šablony"},
};

bool EndsWith(const std::string& s, const char* end) {
    size_t n = std::strlen(end);
    return s.size() >= n && SameText(s.substr(s.size() - n), end);
}

}  // namespace

ButtonFace FaceOf(const TControl& button) {
    // A speed button may keep its hint in its text.
    std::string hint = !button.Hint.empty() ? button.Hint : button.Caption.empty() ? button.Text : std::string();
    if (!button.Caption.empty()) return {button.Caption, hint};
    for (const ByHint& h : kByHint)
        if (!hint.empty() && hint == Cz(h.hint)) return {Cz(h.caption), hint};
    for (const ByRole& r : kByRole)
        if (SameText(button.Name, r.name)) return {Cz(r.caption), hint.empty() ? Cz(r.tip) : hint};
    // Spin buttons beside an edit.
    if (EndsWith(button.Name, "Up")) return {Cz("▲"), hint};
    if (EndsWith(button.Name, "Down")) return {Cz("▼"), hint};
    // Else the hint's first word.
    std::string word = hint.substr(0, hint.find(' '));
    return {word.empty() ? std::string("...") : word, hint};
}

std::string WindowCaption(const TForm& form) {
    if (!form.Caption.empty()) return form.Caption;
    return Application().Title();
}
