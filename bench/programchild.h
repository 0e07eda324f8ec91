#pragma once

// The processes of the program benchmarks: the real monitor (voduro --headless) in a temporary
// working directory with its settings file, journal on and log files off, and comparison
// servers forked from the bench; what /proc and the monitor's metrics page say about them.

#include "accounts/accountrecord.h"
#include "loopbackpanels.h"

#include <QByteArray>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace loopback {

inline std::string programPath;

inline unsigned short freePort() {
    const int fd = listenLoopback(0);
    const unsigned short port = boundPort(fd);
    ::close(fd);
    return port;
}

inline void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Child {
    pid_t pid = -1;
    std::string dir;
    unsigned short port = 0;
    unsigned short metricsPort = 0;
};

inline bool waitListening(unsigned short port) {
    for (int attempt = 0; attempt < 600; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        const bool up = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        ::close(fd);
        if (up)
            return true;
        ::usleep(50000);
    }
    return false;
}

// What the monitor starts with. Lines added to a section come after the defaults there, and
// the last line of a key counts.
struct MonitorSetup {
    std::string integers, logic, strings;
    std::vector<AccountRecord> accounts;
    std::string dc09Keys;           // Dc09Keys.txt, none when empty
    bool keepStandardError = false; // to standard-error.txt in the working directory
};

inline MonitorSetup defaultSetup() {
    MonitorSetup setup;
    AccountRecord account;
    account.accNum = 5801;
    account.pollDelay = 10;
    setup.accounts.push_back(account);
    return setup;
}

inline void writeMonitorFiles(const Child &monitor, unsigned short automationPort,
                              const MonitorSetup &setup) {
    ::mkdir((monitor.dir + "/config").c_str(), 0700);
    writeFile(monitor.dir + "/config/Voduro.conf",
              "[Integers]\nTx Num=9\nMax Connections=30000\n" + setup.integers +
                  "[Logic]\nTCP Open=1\nTx Open=1\nSave Rx=0\n" + setup.logic +
                  "[Strings]\nTCP Port=" + std::to_string(monitor.port) +
                  "\nTx IP Add=127.0.0.1\nTx IP Port=" + std::to_string(automationPort) +
                  "\nTX Timeout=2\nHeart Beat=0\n" + setup.strings);
    std::string table;
    for (const AccountRecord &account : setup.accounts)
        table += accountImage(account).toStdString();
    writeFile(monitor.dir + "/Accounts.PDB", table);
    if (!setup.dc09Keys.empty()) {
        writeFile(monitor.dir + "/Dc09Keys.txt", setup.dc09Keys);
        ::chmod((monitor.dir + "/Dc09Keys.txt").c_str(), 0600);
    }
}

// The monitor serves its metrics page on a port of its own, read between the phases.
inline Child startMonitor(unsigned short automationPort,
                          const MonitorSetup &setup = defaultSetup()) {
    Child monitor;
    char pattern[] = "/tmp/voduro-bench-XXXXXX";
    monitor.dir = ::mkdtemp(pattern);
    monitor.port = freePort();
    monitor.metricsPort = freePort();
    writeMonitorFiles(monitor, automationPort, setup);
    const std::string metrics = "127.0.0.1:" + std::to_string(monitor.metricsPort);
    monitor.pid = ::fork();
    if (monitor.pid == 0) {
        ::setenv("XDG_CONFIG_HOME", (monitor.dir + "/config").c_str(), 1);
        const std::string errors = setup.keepStandardError ? monitor.dir + "/standard-error.txt"
                                                           : std::string("/dev/null");
        ::dup2(::open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600), 2);
        ::execl(programPath.c_str(), programPath.c_str(), "--headless", "--workdir",
                monitor.dir.c_str(), "--test-listen-address", "127.0.0.1", "--metrics",
                metrics.c_str(), nullptr);
        ::_exit(127);
    }
    if (!waitListening(monitor.port))
        std::printf("the monitor did not start listening\n");
    return monitor;
}

// A comparison server: `serve(port)` in a process of its own.
inline Child startServer(const std::function<int(unsigned short)> &serve) {
    Child server;
    server.port = freePort();
    server.pid = ::fork();
    if (server.pid == 0)
        ::_exit(serve(server.port));
    waitListening(server.port);
    return server;
}

inline Child startEcho() {
    return startServer(runEchoServer);
}

// Milliseconds from SIGTERM to the end of the process.
inline double stop(Child &child) {
    const double start = nowMs();
    ::kill(child.pid, SIGTERM);
    ::waitpid(child.pid, nullptr, 0);
    const double took = nowMs() - start;
    if (!child.dir.empty())
        std::filesystem::remove_all(child.dir);
    return took;
}

// "VmRSS" in MB and "Threads" of a process.
inline std::pair<double, int> residentAndThreads(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    double mb = 0;
    int threads = 0;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            mb = std::atof(line.c_str() + 6) / 1024.0;
        if (line.rfind("Threads:", 0) == 0)
            threads = std::atoi(line.c_str() + 8);
    }
    return {mb, threads};
}

// User and system CPU seconds a process has used so far.
inline double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14) // utime, stime
            ticks += std::atof(field.c_str());
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

inline int openDescriptors(pid_t pid) {
    int count = 0;
    std::error_code error;
    for ([[maybe_unused]] const auto &entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error))
        ++count;
    return count;
}

inline std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// The monitor's metrics page (GET /metrics), empty when it cannot be read within 2 s.
inline std::string metricsPage(const Child &monitor) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval limit{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(monitor.metricsPort);
    std::string reply;
    const std::string request = "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::write(fd, request.data(), request.size()) == ssize_t(request.size())) {
        char chunk[4096];
        ssize_t got;
        std::size_t wanted = std::string::npos; // the headers and the body's length
        while (reply.size() < wanted && (got = ::read(fd, chunk, sizeof chunk)) > 0) {
            reply.append(chunk, std::size_t(got));
            const std::size_t body = reply.find("\r\n\r\n");
            const std::size_t length = reply.find("ontent-Length: ");
            if (body != std::string::npos && length < body)
                wanted = body + 4 + std::size_t(std::atol(reply.c_str() + length + 15));
        }
    }
    ::close(fd);
    return reply;
}

// The value of the sample named exactly so (labels included), 0 when absent.
inline double metric(const std::string &page, const std::string &sample) {
    const std::string key = "\n" + sample + " ";
    const std::size_t at = page.find(key);
    return at == std::string::npos ? 0 : std::atof(page.c_str() + at + key.size());
}

} // namespace loopback
