// The printer: a print job is drawn as PDF, one page per printer sheet, and goes to a CUPS
// queue or into a PDF file.
#pragma once
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/canvas.h"
#include "device/print_queues.h"

class TReplacingFileStream;

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Where a job goes. A file when $SUITE_PRINT_FILE is set or a file was set here, else the
    // chosen CUPS queue (the server's default when none was chosen); a file too when no
    // CUPS server answers or it has no queue.
    //
    // The file (a name of the system): while a job runs the pages go to a temporary file of
    // its own beside it, flushed to the disk and renamed on EndDoc and removed by Abort or a
    // failed write. Default: $SUITE_PRINT_FILE, else "print.pdf".
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string f);
    // A file for the next job only, whatever the printer's target.
    void SetJobFile(std::string f) { jobFile_ = std::move(f); }
    // A queue by its name (empty: the server's default) with a paper (a PWG media name,
    // empty: the queue's) and an orientation (none: the queue's); a file set before is
    // left, $SUITE_PRINT_FILE is not.
    void SetQueue(std::string queue, std::string media, std::optional<bool> landscape);
    const std::string& Queue() const { return queue_; }
    const std::string& Media() const { return media_; }
    std::optional<bool> Landscape() const { return landscape_; }
    // The queues of the CUPS server, the default first; empty when none answers.
    std::vector<TPrintQueue> Queues();

    // The last job's printer (Windows-1250): its queue, or "PDF" for a file.
    std::string PrinterName() const;
    // Whether the last job went to a queue, and a line telling where it went and why.
    bool ToQueue() const { return toQueue_; }
    const std::string& TargetNote() const { return note_; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string t) { title_ = std::move(t); }

    // Paper size in metres of a file job (A4 portrait by default; $SUITE_PRINT_PAPER "A3",
    // "A4", with "L" behind for landscape) and of a queue that names no paper of its own,
    // and the resolution in dots per inch; changes take effect with the next job.
    double PaperWidth() const { return paperW_; }
    double PaperHeight() const { return paperH_; }
    void SetPaperSize(double widthMetres, double heightMetres);
    int Resolution() const { return dpi_; }
    void SetResolution(int dpi);
    // Printable area in dots.
    int PageWidth() const;
    int PageHeight() const;

    // EFCreateError when the file cannot be made or the chosen queue does not exist; a
    // running document is ended first.
    void BeginDoc();
    void NewPage();
    // A file: EFCreateError when it could not be written whole; the old file stays. A
    // queue: the document is sent as one job; EFCreateError with the server's reason when
    // it refuses the job.
    void EndDoc();
    // Drops a running document; a job sent to a queue and still printing is cancelled.
    void Abort();
    // From BeginDoc until the document is written, and for a queue until the server reports
    // its job completed, cancelled, aborted or stopped (a stopped job stays at the server).
    bool Printing() const;
    bool Aborted() const { return aborted_; }
    // Why the server ended the last job without printing it (UTF-8 as it gave it); empty
    // while it prints, after it printed and for a file.
    const std::string& Failure() const { return failure_; }
    // Whether the server holds the last job, not finished when last asked.
    bool JobSent() const { return job_ != 0; }
    // Waits up to the time given while the server prints the job; answers Printing().
    bool WaitForJob(int milliseconds);
    // 1 on the first sheet of a job.
    int PageNumber() const { return page_; }
    // The current sheet's canvas, nil outside a document.
    TCanvas* Canvas() { return canvas_; }

private:
    bool Close();
    void ChooseTarget(double& w, double& h);
    void Poll(bool now) const;
    std::string fileName_;
    std::string jobFile_;
    std::string docFile_;  // the file of the running document
    bool envFile_ = false;
    bool fileSet_ = false;
    std::string queue_;
    std::string media_;
    std::optional<bool> landscape_;
    std::unique_ptr<TReplacingFileStream> file_;
    std::string pdf_;  // the document of a queue job
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
    bool toQueue_ = false;
    std::string note_;
    std::string jobQueue_;
    std::string jobMedia_;
    std::unique_ptr<TPrintServer> server_;
    // The job the server prints.
    mutable int job_ = 0;
    mutable std::string failure_;
    mutable std::chrono::steady_clock::time_point polled_;
};

// The process's printer.
TPrinter& Printer();
