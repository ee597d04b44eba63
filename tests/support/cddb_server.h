#pragma once
// The loopback disc database (cddb_server.py) for a test: started with
// python3 on a free port of 127.0.0.1, ready when the constructor returns,
// killed by the destructor. Faults are scripted through its control file;
// what it received is read back from its request and submission logs, one
// JSON object a line.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace qv::testing {

class CddbServer
{
public:
    // discs: a folder of <category>/<disc id> xmcd files or a JSON file (see
    // the script); tls: HTTPS with the script's self-signed certificate.
    explicit CddbServer(const std::string& discs, bool tls = false)
        : scheme_(tls ? "https" : "http")
    {
        char pattern[] = "/tmp/qv-cddb-XXXXXX";
        if (!::mkdtemp(pattern))
            return;
        folder_ = pattern;
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        const std::string script = scriptPath();
        const std::string control = file("control.json"), submissions = file("submissions.jsonl"),
                          requests = file("requests.jsonl");
        std::vector<std::string> args = {"python3", script, "--discs", discs, "--control", control, "--submissions",
            submissions, "--requests", requests};
        if (tls)
            args.insert(args.end(), {"--tls", supportFolder() + "/cddb_loopback.pem"});
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ) != 0)
            pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        port_ = pid_ ? readPort(out[0]) : 0;
        ::close(out[0]);
    }

    ~CddbServer()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (!folder_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(folder_, ec);
        }
    }
    CddbServer(const CddbServer&) = delete;
    CddbServer& operator=(const CddbServer&) = delete;

    bool running() const { return port_ > 0; }
    int port() const { return port_; }
    std::string base() const { return scheme_ + "://127.0.0.1:" + std::to_string(port_); }
    std::string queryUrl() const { return base() + "/~cddb/cddb.cgi"; }
    std::string submitUrl() const { return base() + "/~cddb/submit.cgi"; }

    // Every later request answers as the script's <answer> in JSON says
    // ("\"403\"", "{\"code\": 211, \"matches\": [...]}"), until cleared.
    void setFault(const std::string& answerJson, int delaySeconds = 10) const
    {
        std::ofstream(file("control.json")) << "{\"fault\": " << answerJson << ", \"delay\": " << delaySeconds << "}";
    }
    void clearFault() const { std::ofstream(file("control.json")) << ""; }

    std::vector<std::string> requests() const { return lines(file("requests.jsonl")); }
    std::vector<std::string> submissions() const { return lines(file("submissions.jsonl")); }

    static std::string scriptPath() { return supportFolder() + "/cddb_server.py"; }

    static std::string supportFolder()
    {
        const char* root = std::getenv("QV_SOURCE_DIR");
#ifdef QV_SOURCE_TREE
        if (!root)
            root = QV_SOURCE_TREE;
#endif
        return std::string(root ? root : ".") + "/tests/support";
    }

private:
    std::string file(const char* name) const
    {
        return folder_ + "/" + name;
    }

    static std::vector<std::string> lines(const std::string& path)
    {
        std::vector<std::string> out;
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }

    // The first line the server prints is its port; it has 20 s to start.
    static int readPort(int fd)
    {
        std::string text;
        char ch;
        pollfd p{fd, POLLIN, 0};
        while (text.find('\n') == std::string::npos && ::poll(&p, 1, 20000) > 0 && ::read(fd, &ch, 1) == 1)
            text += ch;
        return std::atoi(text.c_str());
    }

    std::string scheme_;
    std::string folder_;
    pid_t pid_ = 0;
    int port_ = 0;
};

} // namespace qv::testing
