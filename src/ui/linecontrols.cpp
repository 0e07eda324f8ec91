#include "linecontrols.h"

#include "engine/engine.h"
#include "ledindicator.h"

#include <QCoreApplication>
#include <QPushButton>

namespace {

constexpr int txLine = 5;

QString startStopCaption(bool started) {
    return started ? QCoreApplication::translate("LineControls", "STOP COMS")
                   : QCoreApplication::translate("LineControls", "START COMS");
}

} // namespace

QPushButton *createStartStopButton(Engine &engine, int line, QWidget *parent) {
    auto *button = new QPushButton(startStopCaption(engine.isLineStarted(line)), parent);
    button->setObjectName(QStringLiteral("Start_Stop%1").arg(line));
    QObject::connect(button, &QPushButton::clicked, &engine,
                     [&engine, line] { engine.startStop(line); });
    QObject::connect(&engine, &Engine::lineStateChanged, button,
                     [button, line](int changed, bool started) {
                         if (changed == line)
                             button->setText(startStopCaption(started));
                     });
    return button;
}

TrafficLights::TrafficLights(Engine &engine, int line, QPushButton *startStop, QWidget *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_line(line)
    , m_txLed(
          new LedIndicator(QStringLiteral("TxLED%1").arg(line), QColor(0xff, 0x00, 0x00), parent))
    , m_rxLed(
          new LedIndicator(QStringLiteral("RxLED%1").arg(line), QColor(0x00, 0xff, 0x00), parent)) {
    for (QTimer *timer : {&m_txTimer, &m_rxTimer}) {
        timer->setSingleShot(true);
        timer->setInterval(flashMilliseconds);
    }
    connect(&m_txTimer, &QTimer::timeout, this, [this] { m_txLed->setLit(false); });
    connect(&m_rxTimer, &QTimer::timeout, this, [this] { m_rxLed->setLit(false); });
    if (line == txLine)
        return;
    connect(&engine, &Engine::traffic, this, [this](int trafficLine, bool transmit) {
        if (trafficLine == m_line && m_engine.isLineStarted(m_line))
            flash(transmit);
    });
    // After the engine's own handler of the click, which was connected first.
    connect(startStop, &QPushButton::clicked, this, [this] {
        if (!m_engine.isLineStarted(m_line))
            switchOff();
    });
}

void TrafficLights::flash(bool transmit) {
    (transmit ? m_txLed : m_rxLed)->setLit(true);
    (transmit ? m_txTimer : m_rxTimer).start();
}

void TrafficLights::switchOff() {
    m_txTimer.stop();
    m_rxTimer.stop();
    m_txLed->setLit(false);
    m_rxLed->setLit(false);
}
