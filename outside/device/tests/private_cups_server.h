// A CUPS server of a test's own: cupsd in a temporary folder, listening only on a socket
// file there, with queues whose device is a file of that folder. Stopped and removed at
// the end. Tests skip when cupsd is not installed.
#pragma once
#include <cups/cups.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

class PrivateCupsServer {
public:
    static constexpr const char* kCupsd = "/usr/sbin/cupsd";
    static constexpr const char* kFilter = "/usr/lib/cups/filter/gziptoany";

    struct Queue {
        std::string name;
        bool isDefault = false;
        bool accepting = true;
        bool stopped = false;  // holds its jobs
        // The device's file below the server's folder "out" (a missing folder makes the
        // job fail there).
        std::string file;
    };

    // Why the test cannot run here, or empty.
    static std::string Missing() {
        if (access(kCupsd, X_OK) != 0) return std::string("cupsd is not installed (") + kCupsd + ")";
        if (access(kFilter, X_OK) != 0) return std::string("the CUPS filter ") + kFilter + " is not installed";
        return {};
    }

    ~PrivateCupsServer() { Stop(); }

    // False with the server's log when it does not answer within ten seconds.
    bool Start(const std::vector<Queue>& queues, std::string& why) {
        char pattern[] = "/tmp/suite_cups_XXXXXX";
        if (!mkdtemp(pattern)) {
            why = "no temporary folder";
            return false;
        }
        dir_ = pattern;
        chmod(dir_.c_str(), 0755);  // the server's filters run as another user
        for (const char* sub : {"ppd", "spool", "cache", "state", "log"}) std::filesystem::create_directory(dir_ + "/" + sub);
        std::filesystem::create_directory(Out());
        chmod(Out().c_str(), 01777);
        Write("cupsd.conf", "Listen " + Socket() +
                                "\nBrowsing No\nBrowseLocalProtocols none\nWebInterface No\nLogLevel info\n"
                                "ErrorPolicy abort-job\nDefaultAuthType None\n"
                                "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                                "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n");
        Write("cups-files.conf", "FileDevice Yes\nServerRoot " + dir_ + "\nRequestRoot " + dir_ + "/spool\nCacheDir " +
                                     dir_ + "/cache\nStateDir " + dir_ + "/state\nTempDir " + dir_ +
                                     "/spool\nErrorLog " + dir_ + "/log/error_log\nAccessLog " + dir_ +
                                     "/log/access_log\nPageLog " + dir_ + "/log/page_log\nPrintcap " + dir_ + "/printcap\n");
        std::string printers;
        for (const Queue& q : queues) {
            const char* tag = q.isDefault ? "DefaultPrinter" : "Printer";
            printers += std::string("<") + tag + " " + q.name + ">\nInfo " + q.name + "\nDeviceURI file://" + Out() + "/" +
                        q.file + "\nState " + (q.stopped ? "Stopped" : "Idle") + "\nAccepting " + (q.accepting ? "Yes" : "No") + "\nShared No\n</" + tag +
                        ">\n";
            Write("ppd/" + q.name + ".ppd", Ppd(q.name));
        }
        Write("printers.conf", printers);
        pid_ = fork();
        if (pid_ == 0) {
            std::string out = dir_ + "/log/cupsd.txt";
            freopen(out.c_str(), "w", stdout);
            freopen(out.c_str(), "a", stderr);
            execl(kCupsd, kCupsd, "-f", "-c", (dir_ + "/cupsd.conf").c_str(), "-s", (dir_ + "/cups-files.conf").c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200; ++i) {
            if (Answers()) {
                Use();
                return true;
            }
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        why = "cupsd did not start: " + Read(dir_ + "/log/cupsd.txt") + Read(dir_ + "/log/error_log");
        return false;
    }

    // The server for the printer of this process (and the programs it starts).
    void Use() {
        setenv("CUPS_SERVER", Socket().c_str(), 1);
        cupsSetServer(Socket().c_str());
    }

    // A socket no server listens on: no server answers.
    static void UseNone(const std::string& folder) {
        std::string none = folder + "/none.sock";
        setenv("CUPS_SERVER", none.c_str(), 1);
        cupsSetServer(none.c_str());
    }

    static void Forget() {
        unsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }

    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        if (!dir_.empty()) {
            Forget();
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
            dir_.clear();
        }
    }

    std::string Socket() const { return dir_ + "/cups.sock"; }
    std::string Out() const { return dir_ + "/out"; }
    std::string Log() const { return Read(dir_ + "/log/error_log"); }

    // The file a queue's device wrote, once the server has closed it.
    std::string OutFile(const std::string& file) const { return Read(Out() + "/" + file); }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    bool Answers() const {
        if (!std::filesystem::exists(Socket())) return false;
        http_t* http = httpConnect2(Socket().c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 1000, nullptr);
        if (!http) return false;
        httpClose(http);
        return true;
    }

    void Write(const std::string& name, const std::string& text) const { std::ofstream(dir_ + "/" + name) << text; }

    // A printer of A4 and A3 sheets that takes PDF as it is.
    static std::string Ppd(const std::string& name) {
        return "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
               "*LanguageEncoding: ISOLatin1\n*PCFileName: \"SHEETS.PPD\"\n*Manufacturer: \"Test\"\n*Product: \"(" +
               name + ")\"\n*ModelName: \"" + name + "\"\n*ShortNickName: \"" + name + "\"\n*NickName: \"" + name +
               "\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: True\n"
               "*DefaultColorSpace: RGB\n*FileSystem: False\n*Throughput: \"1\"\n*LandscapeOrientation: Plus90\n"
               "*TTRasterizer: Type42\n*cupsFilter2: \"application/pdf application/pdf 0 gziptoany\"\n"
               "*OpenUI *PageSize/Media Size: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n"
               "*DefaultPageSize: A4\n*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
               "*PageSize A3/A3: \"<</PageSize[842 1191]>>setpagedevice\"\n*CloseUI: *PageSize\n"
               "*OpenUI *PageRegion: PickOne\n*OrderDependency: 10 AnySetup *PageRegion\n*DefaultPageRegion: A4\n"
               "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
               "*PageRegion A3/A3: \"<</PageSize[842 1191]>>setpagedevice\"\n*CloseUI: *PageRegion\n"
               "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"0 0 595 842\"\n"
               "*ImageableArea A3/A3: \"0 0 842 1191\"\n*DefaultPaperDimension: A4\n"
               "*PaperDimension A4/A4: \"595 842\"\n*PaperDimension A3/A3: \"842 1191\"\n";
    }

    std::string dir_;
    pid_t pid_ = -1;
};
