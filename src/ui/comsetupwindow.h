#pragma once

#include <QWidget>

class Engine;
class IpConnectionGroup;
class LogBook;
class OperatorDialogs;
class Settings;
class TxQueue;

// "Coms Setup": every control that drives the engine. Created once and kept for the whole run;
// closing it only hides it, and the engine keeps running behind it.
class ComSetupWindow : public QWidget {
    Q_OBJECT
public:
    struct Services {
        Settings &settings;
        Engine &engine;
        LogBook &logs;
        OperatorDialogs &dialogs;
        TxQueue &txQueue;
    };

    explicit ComSetupWindow(Services services, QWidget *parent = nullptr);

    IpConnectionGroup *ipConnection() const { return m_ipConnection; }

signals:
    // The window was closed: the settings are to be saved now.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *createTxSetup(Services services);

    Engine &m_engine;
    IpConnectionGroup *m_ipConnection = nullptr;
};
