// The printer queues of a CUPS server: their list with paper sizes, and the jobs sent to one.
// Only the server of the user's CUPS settings is asked ($CUPS_SERVER, client.conf: a local
// socket or a host), never printers found on the network.
#pragma once
#include <string>
#include <vector>

typedef struct _http_s http_t;

// A paper size a queue offers: its PWG media name ("iso_a4_210x297mm"), the name shown
// ("A4") and the portrait size in metres.
struct TPaperSize {
    std::string media;
    std::string name;
    double width = 0;
    double height = 0;
};

struct TPrintQueue {
    std::string name;
    std::string info;
    bool isDefault = false;
    bool accepting = true;
    std::vector<TPaperSize> papers;
    std::string defaultMedia;  // PWG media name, empty when the queue names none
    bool landscapeDefault = false;
};

// The paper size of a PWG media name, or false for a name that is no size.
bool PaperForMedia(const std::string& media, TPaperSize& paper);

// How a sent job stands. A job the server stopped (a failed filter, a device it could not
// open) waits for someone to mend the printer.
enum class TJobState { Pending, Completed, Cancelled, Aborted, Stopped };

// One connection to the server; texts are UTF-8 as CUPS gives them.
class TPrintServer {
public:
    TPrintServer() = default;
    ~TPrintServer();
    TPrintServer(const TPrintServer&) = delete;
    TPrintServer& operator=(const TPrintServer&) = delete;

    // False with the reason when no server answers.
    bool Connect(std::string& error);
    bool Connected() const { return http_ != nullptr; }
    // The server's name as the settings give it (a socket path or a host).
    static std::string ServerName();
    // The queues, the default one first; empty when the server has none.
    std::vector<TPrintQueue> Queues();
    // Sends a PDF document as one job; the job's number, or 0 with the server's reason.
    int Submit(const std::string& queue, const std::string& title, const std::string& media,
               const std::string& pdf, std::string& error);
    // The state of a sent job; one that did not complete has the server's reason.
    TJobState JobState(const std::string& queue, int job, std::string& reason);
    // False with the reason when the server refuses.
    bool Cancel(const std::string& queue, int job, std::string& error);

private:
    http_t* http_ = nullptr;
};
