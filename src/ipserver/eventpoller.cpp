#include "eventpoller.h"

#include <array>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

const std::uint32_t EventPoller::readable = EPOLLIN | EPOLLRDHUP;
const std::uint32_t EventPoller::incoming = EPOLLIN;
const std::uint32_t EventPoller::writable = EPOLLOUT;
const std::uint32_t EventPoller::exclusive = EPOLLEXCLUSIVE;

namespace {

// Enough for the ready descriptors of one wait; the rest are reported by the next.
constexpr int eventsPerWait = 256;

} // namespace

EventPoller::EventPoller()
    : m_poll(::epoll_create1(EPOLL_CLOEXEC))
    , m_wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (!isValid())
        return;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.ptr = nullptr; // the wake-up has no handler
    ::epoll_ctl(m_poll, EPOLL_CTL_ADD, m_wake, &event);
}

EventPoller::~EventPoller() {
    if (m_wake >= 0)
        ::close(m_wake);
    if (m_poll >= 0)
        ::close(m_poll);
}

bool EventPoller::add(int fd, std::uint32_t events, Handler *handler) {
    epoll_event event{};
    event.events = events;
    event.data.ptr = handler;
    return ::epoll_ctl(m_poll, EPOLL_CTL_ADD, fd, &event) == 0;
}

bool EventPoller::change(int fd, std::uint32_t events, Handler *handler) {
    epoll_event event{};
    event.events = events;
    event.data.ptr = handler;
    return ::epoll_ctl(m_poll, EPOLL_CTL_MOD, fd, &event) == 0;
}

void EventPoller::remove(int fd) {
    ::epoll_ctl(m_poll, EPOLL_CTL_DEL, fd, nullptr);
}

void EventPoller::wait(int timeoutMs) {
    std::array<epoll_event, eventsPerWait> events{};
    const int count = ::epoll_wait(m_poll, events.data(), eventsPerWait, timeoutMs);
    for (int i = 0; i < count; ++i) {
        auto *handler = static_cast<Handler *>(events[std::size_t(i)].data.ptr);
        if (handler)
            handler->ready(events[std::size_t(i)].events);
        else
            drainWake();
    }
}

void EventPoller::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
}

void EventPoller::drainWake() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(m_wake, &count, sizeof count);
}
