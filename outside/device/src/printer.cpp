#include "device/printer.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/classes.h"
#include "platform/files.h"
#include "platform/sysutils.h"

namespace {
constexpr double kInch = 0.0254;
constexpr double kPointsPerInch = 72.0;
// A blank sheet is still a sheet: a white speck keeps the page in the file.
void MarkSheet(cairo_surface_t* s) {
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, 0.01, 0.01);
    cairo_fill(cr);
    cairo_destroy(cr);
}

// Cairo's output into the job's file; a failed write is cairo's write error.
cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
    try {
        static_cast<TReplacingFileStream*>(closure)->WriteBuffer(data, length);
        return CAIRO_STATUS_SUCCESS;
    } catch (...) {
        return CAIRO_STATUS_WRITE_ERROR;
    }
}
}  // namespace

TPrinter::TPrinter() {
    const char* env = std::getenv("SUITE_PRINT_FILE");
    fileName_ = (env && *env) ? env : "print.pdf";
    // The paper the printer holds: "A4" or "A3", "L" behind for landscape.
    if (const char* paper = std::getenv("SUITE_PRINT_PAPER")) {
        std::string p(paper);
        bool landscape = p.size() == 3 && (p[2] == 'L' || p[2] == 'l');
        if (landscape) p.pop_back();
        double w = 0, h = 0;
        if (p == "A4" || p == "a4") w = 0.210, h = 0.297;
        else if (p == "A3" || p == "a3") w = 0.297, h = 0.420;
        if (landscape) std::swap(w, h);
        SetPaperSize(w, h);
    }
}

TPrinter::~TPrinter() {
    if (Printing()) Abort();
}

void TPrinter::SetPaperSize(double widthMetres, double heightMetres) {
    if (widthMetres > 0 && heightMetres > 0) {
        paperW_ = widthMetres;
        paperH_ = heightMetres;
    }
}

void TPrinter::SetResolution(int dpi) {
    if (dpi > 0) dpi_ = dpi;
}

int TPrinter::PageWidth() const {
    double w = Printing() ? jobW_ : paperW_;
    int dpi = Printing() ? jobDpi_ : dpi_;
    return static_cast<int>(std::lround(w / kInch * dpi));
}

int TPrinter::PageHeight() const {
    double h = Printing() ? jobH_ : paperH_;
    int dpi = Printing() ? jobDpi_ : dpi_;
    return static_cast<int>(std::lround(h / kInch * dpi));
}

void TPrinter::BeginDoc() {
    if (Printing()) EndDoc();
    jobW_ = paperW_;
    jobH_ = paperH_;
    jobDpi_ = dpi_;
    try {
        file_ = std::make_unique<TReplacingFileStream>(FromOsName(fileName_));
    } catch (const Exception&) {
        throw EFCreateError("Cannot create the print file " + fileName_);
    }
    double wPt = jobW_ / kInch * kPointsPerInch;
    double hPt = jobH_ / kInch * kPointsPerInch;
    cairo_surface_t* s = cairo_pdf_surface_create_for_stream(&WriteToFile, file_.get(), wPt, hPt);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        file_.reset();
        throw EFCreateError("Cannot create the print file " + fileName_);
    }
    // Plain page objects, so that readers without object streams can count the pages.
    cairo_pdf_surface_restrict_to_version(s, CAIRO_PDF_VERSION_1_4);
    if (!title_.empty()) cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_TITLE, ToUtf8(title_).c_str());
    surface_ = s;
    aborted_ = false;
    page_ = 1;
    canvas_ = new TCanvas(surface_, PageWidth(), PageHeight(), kPointsPerInch / jobDpi_, jobDpi_);
}

void TPrinter::NewPage() {
    if (!Printing()) return;
    delete canvas_;
    MarkSheet(surface_);
    cairo_surface_show_page(surface_);
    ++page_;
    canvas_ = new TCanvas(surface_, PageWidth(), PageHeight(), kPointsPerInch / jobDpi_, jobDpi_);
}

// Whether the whole document reached the temporary file.
bool TPrinter::Close() {
    delete canvas_;
    canvas_ = nullptr;
    MarkSheet(surface_);
    cairo_surface_finish(surface_);
    bool written = cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    return written;
}

void TPrinter::EndDoc() {
    if (!Printing()) return;
    bool written = Close();
    std::unique_ptr<TReplacingFileStream> file = std::move(file_);
    try {
        if (written) file->Commit();
    } catch (const Exception&) {
        written = false;
    }
    if (!written) throw EFCreateError("Cannot write the print file " + fileName_);
}

void TPrinter::Abort() {
    if (!Printing()) return;
    Close();
    file_.reset();
    aborted_ = true;
    page_ = 0;
}

TPrinter& Printer() {
    static TPrinter printer;
    return printer;
}
