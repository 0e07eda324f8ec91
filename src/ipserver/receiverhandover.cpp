#include "receiverhandover.h"

#include "receiveroutput.h"

#include "common/steadyclock.h"

#include <QMetaObject>
#include <utility>

namespace {

QByteArray leftOutText(quint64 count) {
    return "[" + QByteArray::number(count) + " not shown]";
}

} // namespace

ReceiverHandOver::ReceiverHandOver(ReceiverOutput &output, QObject *parent)
    : QObject(parent)
    , m_output(output) {}

void ReceiverHandOver::messageQueued(const QByteArray &peer, const QByteArray &message,
                                     quint64 id) {
    add({Kind::Queued, peer, message, {}, id});
}

void ReceiverHandOver::dataShown(const QByteArray &text) {
    QMutexLocker lock(&m_mutex);
    if (!admitShownLocked())
        return;
    m_items.push_back({Kind::Shown, text.left(shownBytes), {}, {}, 0});
    postLocked();
}

void ReceiverHandOver::watchdogFed() {
    add({Kind::Fed, {}, {}, {}, 0});
}

void ReceiverHandOver::errorAccountShown(const QString &text) {
    add({Kind::ErrorAccount, {}, {}, text, 0});
}

void ReceiverHandOver::disconnectLogFailed(int failures) {
    add({Kind::LogFailed, {}, {}, {}, quint64(failures)});
}

void ReceiverHandOver::peerShown(const QByteArray &address) {
    QMutexLocker lock(&m_mutex);
    m_peer = address;
    m_peerChanged = true;
    postLocked();
}

void ReceiverHandOver::connectionCountChanged() {
    QMutexLocker lock(&m_mutex);
    m_countChanged = true;
    postLocked();
}

void ReceiverHandOver::add(Item item) {
    QMutexLocker lock(&m_mutex);
    m_items.push_back(std::move(item));
    postLocked();
}

void ReceiverHandOver::postLocked() {
    if (m_posted)
        return;
    m_posted = true;
    QMetaObject::invokeMethod(this, &ReceiverHandOver::deliver, Qt::QueuedConnection);
}

// A new second first shows how many texts the last ones left out.
bool ReceiverHandOver::admitShownLocked() {
    const qint64 second = steadyNowSeconds();
    if (second != m_shownSecond) {
        m_shownSecond = second;
        m_shownThisSecond = 0;
        if (m_leftOut > 0) {
            m_items.push_back({Kind::Shown, leftOutText(m_leftOut), {}, {}, 0});
            m_leftOut = 0;
            ++m_shownThisSecond;
        }
    }
    if (m_shownThisSecond >= shownPerSecond) {
        ++m_leftOut;
        ++m_leftOutTotal;
        return false;
    }
    ++m_shownThisSecond;
    return true;
}

void ReceiverHandOver::deliver() {
    std::vector<Item> items;
    QByteArray peer;
    bool peerChanged = false;
    bool countChanged = false;
    {
        QMutexLocker lock(&m_mutex);
        m_posted = false;
        items.swap(m_items);
        peer = m_peer;
        peerChanged = std::exchange(m_peerChanged, false);
        countChanged = std::exchange(m_countChanged, false);
    }
    bool queued = false;
    for (const Item &item : items) {
        emitItem(item);
        queued = queued || item.kind == Kind::Queued;
    }
    if (peerChanged)
        emit m_output.peerShown(QString::fromLatin1(peer));
    const int count = countChanged && m_countSource ? m_countSource() : m_countShown.load();
    if (count != m_countShown) {
        m_countShown = count;
        emit m_output.threadCountChanged(QString::number(count));
    }
    if (queued)
        emit m_output.messagesArrived();
}

void ReceiverHandOver::emitItem(const Item &item) {
    switch (item.kind) {
    case Kind::Queued:
        emit m_output.messageQueued(item.first, item.second, item.number);
        break;
    case Kind::Shown:
        emit m_output.dataShown(item.first);
        break;
    case Kind::Fed:
        emit m_output.watchdogFed();
        break;
    case Kind::ErrorAccount:
        emit m_output.errorAccountShown(item.text);
        break;
    case Kind::LogFailed:
        emit m_output.disconnectLogFailed(int(item.number));
        break;
    }
}
