#pragma once

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <atomic>
#include <functional>
#include <vector>

class ReceiverOutput;

// How the I/O threads hand their work to the user-interface thread: each call adds to a batch,
// and one queued event per batch (not one per item) delivers it there through the signals of
// ReceiverOutput, in the order the calls were made. The connection count and the peer address
// are states, not events: a batch shows their latest value once. "Received Data" is a view of
// refused traffic that a flood must not drown the user interface in: at most shownPerSecond
// texts a second are handed over, each cut to shownBytes, and what is left out is counted and
// shown as one text. Every call is safe from any thread and never waits for the user interface.
class ReceiverHandOver : public QObject {
    Q_OBJECT
public:
    static constexpr int shownPerSecond = 100;
    static constexpr qsizetype shownBytes = 1024;

    explicit ReceiverHandOver(ReceiverOutput &output, QObject *parent = nullptr);

    void messageQueued(const QByteArray &peer, const QByteArray &message, quint64 id);
    void dataShown(const QByteArray &text);
    void watchdogFed();
    void peerShown(const QByteArray &address);
    void errorAccountShown(const QString &text);
    void disconnectLogFailed(int failures);
    // The count is read when the batch is delivered, so the display ends on the latest.
    void connectionCountChanged();
    void setCountSource(std::function<int()> count) { m_countSource = std::move(count); }

    // The connection count as last delivered: what "Connections" shows, and what the tick and
    // the toggle go by, in step with the watchdog feeds delivered before it.
    int shownCount() const { return m_countShown.load(); }
    // Delivers what is waiting now; on the user-interface thread (a stop, after the I/O threads
    // have ended).
    void deliverNow() { deliver(); }

    // Texts not handed to "Received Data" so far, for the rate above.
    quint64 shownLeftOut() const { return m_leftOutTotal; }

private:
    enum class Kind { Queued, Shown, Fed, ErrorAccount, LogFailed };
    struct Item {
        Kind kind;
        QByteArray first;
        QByteArray second;
        QString text;
        quint64 number = 0;
    };

    void add(Item item);
    void postLocked();
    bool admitShownLocked();
    void deliver();
    void emitItem(const Item &item);

    ReceiverOutput &m_output;
    QMutex m_mutex;
    std::vector<Item> m_items;
    bool m_posted = false;
    QByteArray m_peer;
    bool m_peerChanged = false;
    std::function<int()> m_countSource;
    bool m_countChanged = false;
    // The "Received Data" rate: texts handed over in the current second, and those left out.
    qint64 m_shownSecond = -1;
    int m_shownThisSecond = 0;
    quint64 m_leftOut = 0;
    std::atomic<quint64> m_leftOutTotal{0};
    // Read on the user-interface thread only.
    std::atomic<int> m_countShown{0};
};
