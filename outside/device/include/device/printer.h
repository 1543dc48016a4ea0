// The printer: a print job writes a PDF file, one page per printer sheet.
#pragma once
#include <memory>
#include <string>

#include "device/canvas.h"

class TReplacingFileStream;

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The file a job writes (a name of the system); while it runs the pages go to a
    // temporary file of its own beside it, flushed to the disk and renamed on EndDoc and
    // removed by Abort or a failed write. Default: $SUITE_PRINT_FILE, else "print.pdf".
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string f) { fileName_ = std::move(f); }
    std::string PrinterName() const { return "PDF"; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string t) { title_ = std::move(t); }

    // Paper size in metres (A4 portrait by default; $SUITE_PRINT_PAPER "A3", "A4", with
    // "L" behind for landscape) and resolution in dots per inch;
    // changes take effect with the next job.
    double PaperWidth() const { return paperW_; }
    double PaperHeight() const { return paperH_; }
    void SetPaperSize(double widthMetres, double heightMetres);
    int Resolution() const { return dpi_; }
    void SetResolution(int dpi);
    // Printable area in dots.
    int PageWidth() const;
    int PageHeight() const;

    // EFCreateError when the file cannot be made; a running job is ended first.
    void BeginDoc();
    void NewPage();
    // EFCreateError when the file could not be written whole; the old file stays.
    void EndDoc();
    void Abort();
    bool Printing() const { return surface_ != nullptr; }
    bool Aborted() const { return aborted_; }
    // 1 on the first sheet of a job.
    int PageNumber() const { return page_; }
    // The current sheet's canvas, nil outside a job.
    TCanvas* Canvas() { return canvas_; }

private:
    bool Close();
    std::string fileName_;
    std::unique_ptr<TReplacingFileStream> file_;
    std::string title_;
    double paperW_ = 0.21;
    double paperH_ = 0.297;
    int dpi_ = 300;
    int jobDpi_ = 300;
    double jobW_ = 0.21;
    double jobH_ = 0.297;
    cairo_surface_t* surface_ = nullptr;
    TCanvas* canvas_ = nullptr;
    int page_ = 0;
    bool aborted_ = false;
};

// The process's printer.
TPrinter& Printer();
