#pragma once

#include <QGroupBox>

class IpServerToggle;
class LogBook;
class QLabel;
class QLineEdit;
class QPushButton;
class Settings;

// "IP Conection": the listening port of the IP network input, the connection log switch, the
// count of open connections, the last account looked up, the DC-09 options, and the START IP /
// STOP IP button.
class IpConnectionGroup : public QGroupBox {
    Q_OBJECT
public:
    IpConnectionGroup(Settings &settings, LogBook &logs, IpServerToggle &toggle,
                      QWidget *parent = nullptr);

    void setSystemText(const QString &text);
    QLineEdit *threadCount() const { return m_threadCount; }
    QLineEdit *findAcc() const { return m_findAcc; }
    QLabel *errorAcc() const { return m_errorAcc; }
    QPushButton *startIp() const { return m_startIp; }

private:
    QLabel *m_system;
    QLineEdit *m_threadCount;
    QLineEdit *m_findAcc;
    QLabel *m_errorAcc;
    QPushButton *m_startIp;
};
