#pragma once

#include <cstdint>

// The readiness notification of one I/O thread, a thin layer over the system's epoll: many
// non-blocking descriptors, each with a handler that is called when it is ready, and a wake-up
// that another thread can give. Level-triggered: a handler that leaves data unread is called
// again on the next wait, so no handler has to drain its descriptor in one go.
class EventPoller {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        // `events` holds the bits below that are ready.
        virtual void ready(std::uint32_t events) = 0;
    };

    static const std::uint32_t readable; // data, a close by the peer, an error
    static const std::uint32_t incoming; // a listener's waiting connections
    static const std::uint32_t writable;
    // One waiting thread woken, for a listener shared by several; goes with `incoming` only.
    static const std::uint32_t exclusive;

    EventPoller();
    ~EventPoller();
    EventPoller(const EventPoller &) = delete;
    EventPoller &operator=(const EventPoller &) = delete;

    bool isValid() const { return m_poll >= 0 && m_wake >= 0; }
    // False (errno set) when the system refuses the registration (out of memory, too many).
    bool add(int fd, std::uint32_t events, Handler *handler);
    bool change(int fd, std::uint32_t events, Handler *handler);
    void remove(int fd);

    // Waits at most `timeoutMs` for ready descriptors or a wake-up and calls the handlers of the
    // ready ones. A handler may remove and close its own descriptor, but must stay alive until
    // this call returns.
    void wait(int timeoutMs);
    // Ends the current or next wait at once; any thread.
    void wake();

private:
    void drainWake();

    int m_poll = -1;
    int m_wake = -1;
};
