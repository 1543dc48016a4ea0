#include "device/printer.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/classes.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/sysutils.h"
#include "platform/scope_exit.h"

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

// Cairo's output into the document of a queue job.
cairo_status_t WriteToString(void* closure, const unsigned char* data, unsigned int length) {
    try {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    } catch (...) {
        return CAIRO_STATUS_WRITE_ERROR;
    }
}

// How often a printing job's state is asked for at most.
constexpr auto kPollEvery = std::chrono::milliseconds(100);
}  // namespace

TPrinter::TPrinter() {
    const char* env = std::getenv("SUITE_PRINT_FILE");
    envFile_ = env && *env;
    fileName_ = envFile_ ? env : "print.pdf";
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
    // A job the server has stays there.
    if (surface_) Abort();
}

void TPrinter::SetFileName(std::string f) {
    fileName_ = std::move(f);
    fileSet_ = true;
}

void TPrinter::SetQueue(std::string queue, std::string media, std::optional<bool> landscape) {
    queue_ = std::move(queue);
    media_ = std::move(media);
    landscape_ = landscape;
    fileSet_ = false;
}

std::vector<TPrintQueue> TPrinter::Queues() {
    TPrintServer server;
    std::string error;
    if (!server.Connect(error)) return {};
    return server.Queues();
}

std::string TPrinter::PrinterName() const { return toQueue_ ? FromOsName(jobQueue_) : std::string("PDF"); }

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
    double w = surface_ ? jobW_ : paperW_;
    int dpi = surface_ ? jobDpi_ : dpi_;
    return static_cast<int>(std::lround(w / kInch * dpi));
}

int TPrinter::PageHeight() const {
    double h = surface_ ? jobH_ : paperH_;
    int dpi = surface_ ? jobDpi_ : dpi_;
    return static_cast<int>(std::lround(h / kInch * dpi));
}

// The queue or the file of the next job and its paper.
void TPrinter::ChooseTarget(double& w, double& h) {
    toQueue_ = false;
    server_.reset();
    docFile_ = jobFile_.empty() ? fileName_ : jobFile_;
    std::string file = "\"" + FromOsName(docFile_) + "\"";
    if (envFile_ || fileSet_ || !jobFile_.empty()) {
        note_ = Cz("Tisk do souboru ") + file + (envFile_ && !fileSet_ && jobFile_.empty() ? " ($SUITE_PRINT_FILE)" : "");
        return;
    }
    auto server = std::make_unique<TPrintServer>();
    std::string error;
    if (!server->Connect(error)) {
        note_ = Cz("Tisk do souboru ") + file + Cz(": tiskový server ") + FromOsName(TPrintServer::ServerName()) +
                Cz(" neodpovídá");
        return;
    }
    std::vector<TPrintQueue> queues = server->Queues();
    if (queues.empty()) {
        note_ = Cz("Tisk do souboru ") + file + Cz(": tiskový server nemá žádnou tiskárnu");
        return;
    }
    auto queue = queues.begin();
    if (!queue_.empty()) {
        queue = std::find_if(queues.begin(), queues.end(), [&](const TPrintQueue& q) { return q.name == queue_; });
        if (queue == queues.end())
            throw EFCreateError(Cz("Tiskárna \"") + FromOsName(queue_) + Cz("\" není na tiskovém serveru"));
    }
    std::string media = queue->defaultMedia;
    if (!media_.empty() &&
        (queue->papers.empty() ||
         std::any_of(queue->papers.begin(), queue->papers.end(), [&](const TPaperSize& p) { return p.media == media_; })))
        media = media_;
    TPaperSize paper;
    if (PaperForMedia(media, paper)) {
        w = paper.width;
        h = paper.height;
        if (landscape_.value_or(queue->landscapeDefault)) std::swap(w, h);
    }
    toQueue_ = true;
    jobQueue_ = queue->name;
    jobMedia_ = media;
    server_ = std::move(server);
    note_ = Cz("Tisk na tiskárnu \"") + FromOsName(jobQueue_) + "\"";
}

void TPrinter::BeginDoc() {
    if (surface_) EndDoc();
    job_ = 0;
    failure_.clear();
    double w = paperW_, h = paperH_;
    {
        auto forget = MakeScopeExit([this] { jobFile_.clear(); });
        ChooseTarget(w, h);
    }
    jobW_ = w;
    jobH_ = h;
    jobDpi_ = dpi_;
    double wPt = jobW_ / kInch * kPointsPerInch;
    double hPt = jobH_ / kInch * kPointsPerInch;
    cairo_surface_t* s = nullptr;
    if (toQueue_) {
        pdf_.clear();
        s = cairo_pdf_surface_create_for_stream(&WriteToString, &pdf_, wPt, hPt);
    } else {
        try {
            file_ = std::make_unique<TReplacingFileStream>(FromOsName(docFile_));
        } catch (const Exception&) {
            throw EFCreateError("Cannot create the print file " + docFile_);
        }
        s = cairo_pdf_surface_create_for_stream(&WriteToFile, file_.get(), wPt, hPt);
    }
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        file_.reset();
        throw EFCreateError("Cannot create the print file " + docFile_);
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
    if (!surface_) return;
    delete canvas_;
    MarkSheet(surface_);
    cairo_surface_show_page(surface_);
    ++page_;
    canvas_ = new TCanvas(surface_, PageWidth(), PageHeight(), kPointsPerInch / jobDpi_, jobDpi_);
}

// Whether the whole document was written.
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
    if (!surface_) return;
    bool written = Close();
    if (toQueue_) {
        std::string pdf = std::move(pdf_);
        pdf_.clear();
        if (!written) throw EFCreateError("Cannot write the print job");
        std::string title = title_.empty() ? Application().Title() : title_;
        std::string error;
        job_ = server_->Submit(jobQueue_, ToUtf8(title), jobMedia_, pdf, error);
        if (!job_) throw EFCreateError(FromOsName(error));
        polled_ = {};
        return;
    }
    std::unique_ptr<TReplacingFileStream> file = std::move(file_);
    try {
        if (written) file->Commit();
    } catch (const Exception&) {
        written = false;
    }
    if (!written) throw EFCreateError("Cannot write the print file " + docFile_);
}

void TPrinter::Abort() {
    if (surface_) {
        Close();
        file_.reset();
        pdf_.clear();
        aborted_ = true;
        page_ = 0;
        return;
    }
    if (job_ && Printing()) {
        std::string error;
        server_->Cancel(jobQueue_, job_, error);
        job_ = 0;
        aborted_ = true;
    }
}

// Asks the server how the job stands (not more often than kPollEvery unless now).
void TPrinter::Poll(bool now) const {
    if (!job_ || !server_) return;
    auto t = std::chrono::steady_clock::now();
    if (!now && t - polled_ < kPollEvery) return;
    polled_ = t;
    std::string reason;
    TJobState state = server_->JobState(jobQueue_, job_, reason);
    if (state == TJobState::Pending) return;
    if (state != TJobState::Completed) failure_ = reason.empty() ? std::string("job aborted") : reason;
    job_ = 0;
}

bool TPrinter::Printing() const {
    if (surface_) return true;
    Poll(false);
    return job_ != 0;
}

bool TPrinter::WaitForJob(int milliseconds) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    Poll(true);
    while (job_ && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            kPollEvery, until - std::chrono::steady_clock::now()));
        Poll(true);
    }
    return Printing();
}

TPrinter& Printer() {
    static TPrinter printer;
    return printer;
}
