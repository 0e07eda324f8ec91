#pragma once

#include <QObject>
#include <QTimer>

class Engine;
class LedIndicator;
class QPushButton;
class QWidget;

// "START COMS" / "STOP COMS" of line 1, 2 or 5: a click starts or stops the line, and the
// caption always names the action the next click takes.
QPushButton *createStartStopButton(Engine &engine, int line, QWidget *parent);

// The TX and RX lights of a line: each flashes briefly when the started line sends or receives,
// and both go dark when its "STOP COMS" stops it. A port or speed change stops the line but
// leaves its lights as they are. The Tx link (line 5) has no light controller: its lights stay
// dark.
class TrafficLights : public QObject {
    Q_OBJECT
public:
    static constexpr int flashMilliseconds = 150;

    TrafficLights(Engine &engine, int line, QPushButton *startStop, QWidget *parent);

    LedIndicator *txLed() const { return m_txLed; }
    LedIndicator *rxLed() const { return m_rxLed; }

private:
    void flash(bool transmit);
    void switchOff();

    Engine &m_engine;
    int m_line;
    LedIndicator *m_txLed;
    LedIndicator *m_rxLed;
    QTimer m_txTimer;
    QTimer m_rxTimer;
};
