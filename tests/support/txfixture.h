#pragma once

#include "support/enginefixture.h"
#include "support/fakeipserver.h"

#include <QDeadlineTimer>
#include <optional>

struct Send {
    int tick;
    TxTarget target;
    bool operator==(const Send &) const = default;
};

// The transmit link driven tick by tick against loopback receivers.
struct TxFixture : EngineFixture {
    int tickNumber = 0;
    QList<Send> sends;

    TxFixture() {
        QObject::connect(&engine.txLink(), &TxLink::sent, &engine, [this] {
            sends.append({tickNumber, engine.status().txTarget});
        });
    }

    void useTcp(quint16 primary, std::optional<quint16> secondary = std::nullopt) {
        settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
        settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
        settings.setText(SettingKey::TxIpPort, QString::number(primary));
        settings.setText(SettingKey::TxIpAdd2, secondary ? QStringLiteral("127.0.0.1") : QString());
        settings.setText(SettingKey::TxIpPort2,
                         secondary ? QString::number(*secondary) : QString());
        engine.startStop(5);
    }

    // The link on "Com1", mapped to the device (a pseudo-terminal); started when `start` is set.
    void useSerial(const QString &device, bool start = true) {
        settings.setDevice(0, device);
        settings.setInteger(SettingKey::TxNum, 0);
        if (start)
            engine.startStop(5);
    }

    // A producer queues a line the way the decoder does.
    void queue(const QByteArray &line) {
        txQueue.append(line);
        engine.txLink().reloadAttemptsIfIdle();
    }

    void run(int count) {
        for (int i = 0; i < count; ++i) {
            settle(1);
            ++tickNumber;
            engine.tick();
        }
    }

    // Ticks until the condition holds (at most `limit` ticks); true when it did.
    template <typename Condition> bool runUntil(Condition condition, int limit) {
        for (int i = 0; i < limit && !condition(); ++i)
            run(1);
        return condition();
    }

    bool replyArrives() {
        QDeadlineTimer deadline(10000);
        while (engine.slot(5).rxText.isEmpty() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return !engine.slot(5).rxText.isEmpty();
    }

    static QList<int> ticksOf(const QList<Send> &list) {
        QList<int> result;
        for (const Send &send : list)
            result.append(send.tick);
        return result;
    }
};
