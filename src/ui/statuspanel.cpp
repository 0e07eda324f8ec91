#include "statuspanel.h"

#include "engine/enginestatus.h"
#include "ledindicator.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace {

QLabel *createLabel(const QString &name, const QString &caption, QWidget *parent) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QFrame *createFrame(QWidget *parent) {
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

QColor targetColor(TxTarget target) {
    switch (target) {
    case TxTarget::Secondary:
        return StatusPanel::secondaryColor;
    case TxTarget::SelfTest:
        return StatusPanel::selfTestColor;
    case TxTarget::Primary:
        break;
    }
    return StatusPanel::primaryColor;
}

} // namespace

StatusPanel::StatusPanel(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("StatusPanel"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createInputLine(1, QStringLiteral("ComLab1"), tr("Zorer-Uda 1")));
    layout->addWidget(createInputLine(2, QStringLiteral("ComLab2"), tr("Zorer-Uda 2")));
    layout->addWidget(createInputLine(3, QStringLiteral("ComLabIP"), tr("IP Network")));
    layout->addWidget(createTxLine());
    showStatus(EngineStatus());
}

QWidget *StatusPanel::createInputLine(int line, const QString &labelName, const QString &caption) {
    QFrame *frame = createFrame(this);
    const auto slot = static_cast<std::size_t>(line);
    m_connected[slot] =
        new LedIndicator(QStringLiteral("ConnectedLED%1").arg(line), primaryColor, frame);
    m_labels[slot] = createLabel(labelName, caption, frame);
    m_padNua[slot] = createLabel(QStringLiteral("Pad_NUA%1").arg(line), noNuaText, frame);
    auto *layout = new QGridLayout(frame);
    layout->addWidget(m_connected[slot], 0, 0);
    layout->addWidget(m_labels[slot], 0, 1);
    layout->addWidget(m_padNua[slot], 1, 0, 1, 2);
    return frame;
}

QWidget *StatusPanel::createTxLine() {
    QFrame *frame = createFrame(this);
    m_txConnected = new LedIndicator(QStringLiteral("ConnectedLED5"), primaryColor, frame);
    m_txCaption = tr("Tx Link");
    m_labels[5] = createLabel(QStringLiteral("ComLabTx"), m_txCaption, frame);
    m_txAddress = createLabel(QStringLiteral("Tx_Address"), noTxAddressText, frame);
    m_comOk = createLabel(QStringLiteral("ComOK"), tr("OK"), frame);
    m_faultLed = new LedIndicator(QStringLiteral("ComFaultLED"), QColor(0xff, 0x00, 0x00), frame);
    auto *layout = new QGridLayout(frame);
    layout->addWidget(m_txConnected, 0, 0);
    layout->addWidget(m_labels[5], 0, 1);
    layout->addWidget(m_txAddress, 1, 0, 1, 2);
    layout->addWidget(new QLabel(tr("Computer"), frame), 0, 2);
    layout->addWidget(m_comOk, 0, 3);
    layout->addWidget(m_faultLed, 1, 3);
    return frame;
}

void StatusPanel::showStatus(const EngineStatus &status) {
    for (std::size_t line = 1; line <= 3; ++line) {
        m_connected[line]->setLit(status.connected[line]);
        m_padNua[line]->setText(status.padNua[line]);
        m_labels[line]->setEnabled(status.labelEnabled[line]);
    }
    m_labels[5]->setEnabled(status.labelEnabled[5]);
    m_txConnected->setLit(status.txConnected);
    m_txConnected->setColor(targetColor(status.txTarget));
    m_txAddress->setText(status.txAddress);
    m_comOk->setText(status.comOk ? tr("OK") : tr("FAULT"));
    m_faultLed->setLit(status.faultLed);
}

void StatusPanel::showDisconnectLogFailures(int failures) {
    // The count follows the caption, not the previous count: "Tx Link12" would read as twelve.
    m_labels[5]->setText(m_txCaption + QString::number(failures));
}
