#include "enginewiring.h"

#include "receiveroutput.h"

#include "engine/engine.h"

void connectReceiverToEngine(ReceiverOutput &output, Engine &engine) {
    QObject::connect(&output, &ReceiverOutput::messageQueued, &engine,
                     [&engine](const QByteArray &peer, const QByteArray &message, quint64 id) {
                         engine.pendingMessages().append(peer, message, id);
                     });
    QObject::connect(&output, &ReceiverOutput::dataShown, &engine,
                     [&engine](const QByteArray &text) {
                         if (engine.setupWindowOpen())
                             engine.receivedData().append(text);
                     });
    QObject::connect(&output, &ReceiverOutput::watchdogFed, &engine, &Engine::feedIpWatchdog);
    QObject::connect(&output, &ReceiverOutput::peerShown, &engine, &Engine::showIpPeer);
}
