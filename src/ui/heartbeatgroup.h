#pragma once

#include <QGroupBox>

class DigitKeyFilter;
class QGridLayout;
class QLineEdit;
class Settings;

// "Heart Beat": the receiver number and line written into every automation line, and the
// transmit link's attempts, time-out, heartbeat, terminator and fault-warning interval.
class HeartBeatGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit HeartBeatGroup(Settings &settings, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addReceiverAccount(Settings &settings);
    QLineEdit *addNumberField(const QString &name, const QString &caption, const QString &unit,
                              int maxLength);

    QGridLayout *m_layout;
    DigitKeyFilter *m_keyFilter;
    int m_rows = 0;
    QLineEdit *m_rxNo = nullptr;
};
