#pragma once

#include <QWidget>
#include <array>

struct EngineStatus;
class LedIndicator;
class QLabel;

// The main window's line status: Zorer-Uda 1 and 2 and the IP network with their caller, and
// the transmit link with its target, address and fault state.
class StatusPanel : public QWidget {
    Q_OBJECT
public:
    static inline const QColor primaryColor{0x00, 0xff, 0x00};
    static inline const QColor secondaryColor{0xff, 0xff, 0x00};
    static inline const QColor selfTestColor{0x00, 0x00, 0xff};

    explicit StatusPanel(QWidget *parent = nullptr);

    void showStatus(const EngineStatus &status);
    // Disconnections of IP panels that the connection log could not record, counted on the Tx
    // link's label.
    void showDisconnectLogFailures(int failures);

private:
    QWidget *createInputLine(int line, const QString &labelName, const QString &caption);
    QWidget *createTxLine();

    std::array<LedIndicator *, 4> m_connected{}; // ConnectedLED1..3, index 0 unused
    std::array<QLabel *, 4> m_padNua{};          // Pad_NUA1..3
    std::array<QLabel *, 6> m_labels{};          // ComLab1, ComLab2, ComLabIP (3), ComLabTx (5)
    LedIndicator *m_txConnected = nullptr;
    QLabel *m_txAddress = nullptr;
    QLabel *m_comOk = nullptr;
    LedIndicator *m_faultLed = nullptr;
    QString m_txCaption; // "Tx Link" in the language of the run
};
