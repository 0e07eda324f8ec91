// The event loop under the IP receiver's I/O threads: Qt's own (a QSocketNotifier per
// connection in a QThread's event loop) against epoll under a thin layer of ours
// (EventPoller). One connection answers a byte at a time while N others stay silent, as most
// panels do between polls; the round trip of that byte, p50 and p99, for N up to 9,000 (two
// descriptors each, within a hard limit of 20,000).
//
//   bench_eventloop [round trips per case, default 2000]

#include "ipserver/eventpoller.h"
#include "loopbackpanels.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>

using namespace loopback;

namespace {

struct Pairs {
    std::vector<int> idle; // the ends the loop watches
    std::vector<int> far;  // the other ends, kept open and silent
    int active = -1;       // the loop's end of the answering pair
    int driver = -1;       // the bench's end of it

    explicit Pairs(int count) {
        for (int i = 0; i <= count; ++i) {
            int ends[2];
            ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends);
            (i == count ? active : idle.emplace_back()) = ends[0];
            (i == count ? driver : far.emplace_back()) = ends[1];
        }
        ::fcntl(driver, F_SETFL, 0); // the bench waits for each answer
    }
    ~Pairs() {
        for (int fd : idle)
            ::close(fd);
        for (int fd : far)
            ::close(fd);
        ::close(active);
        ::close(driver);
    }
};

void answer(int fd) {
    char byte;
    while (::read(fd, &byte, 1) == 1)
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
}

Figures roundTrips(int driver, int count) {
    std::vector<double> samples;
    for (int i = 0; i < count; ++i) {
        const double start = nowMs();
        char byte = 'x';
        [[maybe_unused]] const ssize_t written = ::write(driver, &byte, 1);
        [[maybe_unused]] const ssize_t got = ::read(driver, &byte, 1);
        samples.push_back((nowMs() - start) * 1000.0);
    }
    return figures(samples);
}

Figures withQt(Pairs &pairs, int count) {
    QThread thread;
    std::vector<QSocketNotifier *> notifiers;
    QObject context;
    context.moveToThread(&thread);
    thread.start();
    QMetaObject::invokeMethod(
        &context,
        [&] {
            for (int fd : pairs.idle)
                notifiers.push_back(new QSocketNotifier(fd, QSocketNotifier::Read, &context));
            auto *active = new QSocketNotifier(pairs.active, QSocketNotifier::Read, &context);
            QObject::connect(active, &QSocketNotifier::activated,
                             [&pairs] { answer(pairs.active); });
        },
        Qt::BlockingQueuedConnection);
    const Figures result = roundTrips(pairs.driver, count);
    QMetaObject::invokeMethod(
        &context, [&] { qDeleteAll(context.children()); }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
    return result;
}

Figures withEpoll(Pairs &pairs, int count) {
    struct Answer : EventPoller::Handler {
        int fd;
        void ready(std::uint32_t) override { answer(fd); }
    };
    EventPoller poller;
    Answer idle, active;
    idle.fd = -1;
    active.fd = pairs.active;
    for (int fd : pairs.idle)
        poller.add(fd, EventPoller::readable, &idle);
    poller.add(pairs.active, EventPoller::readable, &active);
    std::atomic<bool> stop{false};
    std::thread loop([&] {
        while (!stop)
            poller.wait(100);
    });
    const Figures result = roundTrips(pairs.driver, count);
    stop = true;
    poller.wake();
    loop.join();
    return result;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    rlimit limit{100000, 100000}; // 20,000 descriptors and more; past the hard limit where allowed
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    std::printf("round trip of one byte, microseconds, %d per case\n", count);
    for (int silent : {0, 100, 1000, 9000}) {
        Pairs pairs(silent);
        const Figures qt = withQt(pairs, count);
        const Figures epoll = withEpoll(pairs, count);
        std::printf("%6d silent: Qt p50 %7.1f p99 %7.1f | epoll p50 %7.1f p99 %7.1f\n", silent,
                    qt.p50, qt.p99, epoll.p50, epoll.p99);
    }
    return 0;
}
