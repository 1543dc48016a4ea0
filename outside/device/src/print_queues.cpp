#include "device/print_queues.h"

#include <cups/cups.h>
#include <cups/pwg.h>

#include <algorithm>

namespace {

constexpr int kConnectMs = 3000;

std::string Text(const char* s) { return s ? s : ""; }

std::string PrinterUri(const std::string& queue) {
    char uri[1024];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                     queue.c_str());
    return uri;
}

// The first string of an attribute, or the empty text.
std::string FirstString(ipp_t* response, const char* name, ipp_tag_t tag) {
    ipp_attribute_t* a = ippFindAttribute(response, name, tag);
    return a ? Text(ippGetString(a, 0, nullptr)) : std::string();
}

}  // namespace

bool PaperForMedia(const std::string& media, TPaperSize& paper) {
    pwg_media_t* m = pwgMediaForPWG(media.c_str());
    if (!m || m->width <= 0 || m->length <= 0) return false;
    paper.media = media;
    paper.name = m->ppd ? m->ppd : media;
    // Hundredths of a millimetre.
    paper.width = m->width / 100000.0;
    paper.height = m->length / 100000.0;
    return true;
}

TPrintServer::~TPrintServer() {
    if (http_) httpClose(http_);
}

std::string TPrintServer::ServerName() { return Text(cupsServer()); }

bool TPrintServer::Connect(std::string& error) {
    if (http_) return true;
    http_ = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectMs, nullptr);
    if (!http_) {
        error = Text(cupsLastErrorString());
        return false;
    }
    return true;
}

std::vector<TPrintQueue> TPrintServer::Queues() {
    std::vector<TPrintQueue> queues;
    if (!http_) return queues;
    static const char* const wanted[] = {"printer-name",  "printer-info",  "printer-is-accepting-jobs",
                                         "media-supported", "media-default", "orientation-requested-default"};
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(wanted)), nullptr, wanted);
    ipp_t* response = cupsDoRequest(http_, request, "/");
    if (!response) return queues;
    TPrintQueue q;
    auto flush = [&] {
        if (!q.name.empty()) queues.push_back(std::move(q));
        q = TPrintQueue{};
    };
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        const char* name = ippGetName(a);
        if (!name) {
            flush();
            continue;
        }
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER) continue;
        std::string n = name;
        if (n == "printer-name") q.name = Text(ippGetString(a, 0, nullptr));
        else if (n == "printer-info") q.info = Text(ippGetString(a, 0, nullptr));
        else if (n == "printer-is-accepting-jobs") q.accepting = ippGetBoolean(a, 0);
        else if (n == "media-default") q.defaultMedia = Text(ippGetString(a, 0, nullptr));
        else if (n == "orientation-requested-default")
            q.landscapeDefault = ippGetInteger(a, 0) == IPP_ORIENT_LANDSCAPE;
        else if (n == "media-supported")
            for (int i = 0; i < ippGetCount(a); ++i) {
                TPaperSize paper;
                if (PaperForMedia(Text(ippGetString(a, i, nullptr)), paper)) q.papers.push_back(paper);
            }
    }
    flush();
    ippDelete(response);
    std::string def = Text(cupsGetDefault2(http_));
    for (TPrintQueue& queue : queues) queue.isDefault = !def.empty() && queue.name == def;
    std::stable_partition(queues.begin(), queues.end(), [](const TPrintQueue& x) { return x.isDefault; });
    return queues;
}

int TPrintServer::Submit(const std::string& queue, const std::string& title, const std::string& media,
                         const std::string& pdf, std::string& error) {
    if (!http_) return 0;
    int options = 0;
    cups_option_t* option = nullptr;
    if (!media.empty()) options = cupsAddOption("media", media.c_str(), options, &option);
    int job = cupsCreateJob(http_, queue.c_str(), title.c_str(), options, option);
    cupsFreeOptions(options, option);
    if (job <= 0) {
        error = Text(cupsLastErrorString());
        return 0;
    }
    bool sent = cupsStartDocument(http_, queue.c_str(), job, title.c_str(), CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    for (size_t at = 0; sent && at < pdf.size(); at += 65536) {
        size_t n = std::min<size_t>(65536, pdf.size() - at);
        sent = cupsWriteRequestData(http_, pdf.data() + at, n) == HTTP_STATUS_CONTINUE;
    }
    if (cupsFinishDocument(http_, queue.c_str()) > IPP_STATUS_OK_EVENTS_COMPLETE || !sent) {
        error = Text(cupsLastErrorString());
        cupsCancelJob2(http_, queue.c_str(), job, 0);
        return 0;
    }
    return job;
}

TJobState TPrintServer::JobState(const std::string& queue, int job, std::string& reason) {
    if (!http_) return TJobState::Aborted;
    static const char* const wanted[] = {"job-state", "job-state-reasons", "job-printer-state-message"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, PrinterUri(queue).c_str());
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(wanted)), nullptr, wanted);
    ipp_t* response = cupsDoRequest(http_, request, "/");
    if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        reason = Text(cupsLastErrorString());
        if (response) ippDelete(response);
        return TJobState::Aborted;
    }
    ipp_attribute_t* state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
    int value = state ? ippGetInteger(state, 0) : IPP_JSTATE_PENDING;
    TJobState result = value == IPP_JSTATE_COMPLETED  ? TJobState::Completed
                       : value == IPP_JSTATE_CANCELED ? TJobState::Cancelled
                       : value == IPP_JSTATE_ABORTED  ? TJobState::Aborted
                       : value == IPP_JSTATE_STOPPED  ? TJobState::Stopped
                                                      : TJobState::Pending;
    if (result != TJobState::Pending && result != TJobState::Completed) {
        reason = FirstString(response, "job-printer-state-message", IPP_TAG_TEXT);
        if (reason.empty())
            if (ipp_attribute_t* why = ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD)) {
                for (int i = 0; i < ippGetCount(why); ++i)
                    reason += (i ? ", " : "") + Text(ippGetString(why, i, nullptr));
            }
    }
    ippDelete(response);
    return result;
}

bool TPrintServer::Cancel(const std::string& queue, int job, std::string& error) {
    if (!http_) return false;
    if (cupsCancelJob2(http_, queue.c_str(), job, 0) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        error = Text(cupsLastErrorString());
        return false;
    }
    return true;
}
