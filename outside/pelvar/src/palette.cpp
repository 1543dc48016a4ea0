#include "pelvar/palette.h"

#include <charconv>

#include "kernel/class_registry.h"
#include "kernel/string_routines.h"
#include "platform/classes.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "kernel/element_holder.h"

namespace {

std::string& PaletteFileName() {
    static std::string name;
    return name;
}

const char* const kFilter = "Barevná paleta|*.PAL;*.TXT";

bool ReadPart(std::string_view text, int& value) {
    text = std::string_view(text.data(), text.size());
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "red,green,blue" with each part 0..255.
bool ReadColor(std::string_view text, TColor& color) {
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        size_t comma = i < 2 ? text.find(',') : text.size();
        if (comma == std::string_view::npos) return false;
        if (!ReadPart(text.substr(0, comma), parts[i]) || parts[i] < 0 || parts[i] > 255) return false;
        text.remove_prefix(i < 2 ? comma + 1 : comma);
    }
    color = static_cast<TColor>(parts[0] | (parts[1] << 8) | (parts[2] << 16));
    return true;
}

std::string ColorText(TColor c) {
    return IntToStr(c & 0xFF) + "," + IntToStr((c >> 8) & 0xFF) + "," + IntToStr((c >> 16) & 0xFF);
}

}  // namespace

TColorPalette* CurrentPalette() {
    static TColorPalette* palette = TColorPalette::New();
    return palette;
}

const std::string& GetPaletteFile() { return PaletteFileName(); }

void SetPaletteFile(const std::string& fileName) {
    PaletteFileName() = fileName;
    if (fileName.empty() || !FileExists(fileName)) return;
    TColorPalette* palette = CurrentPalette();
    for (const std::string& bad : LoadPaletteFile(fileName, *palette)) palette->PostTextMsg(tm_TextNote, bad, nullptr);
    ApplyCurrentPalette();
}

std::vector<std::string> LoadPaletteFile(const std::string& fileName, TColorPalette& palette) {
    TStringList lines;
    lines.LoadFromFile(fileName);
    std::vector<std::string> bad;
    for (int i = 0; i < lines.Count(); ++i) {
        std::string_view line = lines[i];
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        if (line.empty() || line.front() == ';') continue;
        size_t eq = line.find('=');
        int index = 0;
        TColor color = 0;
        if (eq == std::string_view::npos || !ReadPart(line.substr(0, eq), index) || index < 0 || index > 65535 ||
            !ReadColor(line.substr(eq + 1), color)) {
            bad.push_back(fileName + ": line " + IntToStr(i + 1) + ": " + lines[i]);
            continue;
        }
        palette.SetColor(index, color);
    }
    return bad;
}

void SavePaletteFile(const std::string& fileName, const TColorPalette& palette) {
    TStringList lines;
    for (int32_t i = 0; i < palette.GetCount(); ++i) lines.Add(IntToStr(i) + "=" + ColorText(palette.GetColor(i)));
    lines.SaveToFile(fileName);
}

// ---- the dialog -----------------------------------------------------------------------

namespace {

void FillGrid(TControl& grid, const TColorPalette& palette) {
    grid.ColCount = 2;
    grid.RowCount = 0;
    for (int32_t i = 0; i < palette.GetCount(); ++i) {
        grid.SetCell(0, i, IntToStr(i));
        grid.SetCell(1, i, ColorText(palette.GetColor(i)));
    }
}

// The grid's colours into the palette; a cell that is no colour keeps the old one.
void ReadGrid(const TControl& grid, TColorPalette& palette) {
    for (int i = 0; i < grid.RowCount; ++i) {
        TColor color = 0;
        if (ReadColor(grid.Cell(1, i), color)) palette.SetColor(i, color);
    }
}

}  // namespace

void TColorPaletteDialog::DoIt() {
    TElementHolder<TColorPalette> copy(TColorPalette::New());
    TForm form("TColorPaletteDialog");
    copy->Assign(CurrentPalette());
    form.Caption = Cz("Barevná paleta");
    TControl& grid = form.Add(TControlKind::Grid, "Colors");
    FillGrid(grid, *copy);
    form.Add(TControlKind::Edit, "ed_File").Text = GetPaletteFile();
    form.Add(TControlKind::Button, "b_Load", Cz("Načíst")).OnClick = [&](TControl&) {
        std::string file = form["ed_File"].Text;
        if (!GetUserHost().SelectFile(Cz(kFilter), ExtractFileDir(file), file)) return;
        try {
            ReadGrid(grid, *copy);
            for (const std::string& bad : LoadPaletteFile(file, *copy)) ShowErrorMessage(bad);
            form["ed_File"].Text = file;
            FillGrid(grid, *copy);
        } catch (Exception& e) {
            ShowErrorMessage(e.Message());
        }
    };
    form.Add(TControlKind::Button, "b_Save", Cz("Uložit")).OnClick = [&](TControl&) {
        std::string file = form["ed_File"].Text;
        if (!GetUserHost().SelectFile(Cz(kFilter), ExtractFileDir(file), file)) return;
        try {
            ReadGrid(grid, *copy);
            SavePaletteFile(file, *copy);
            form["ed_File"].Text = file;
        } catch (Exception& e) {
            ShowErrorMessage(e.Message());
        }
    };
    form.Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    form.Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
    if (form.ShowModal() == mrOk) {
        ReadGrid(grid, *copy);
        CurrentPalette()->Assign(copy.Get());
        PaletteFileName() = form["ed_File"].Text;
        ApplyCurrentPalette();
    }
}

void RegisterPaletteUnit() { RegisterZarixClass<TColorPaletteDialog>(); }
