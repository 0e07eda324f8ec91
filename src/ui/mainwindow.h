#pragma once

#include <QMainWindow>
#include <QPointer>

class AccountPage;
class Engine;
class QCloseEvent;
struct EventLists;
class EventPages;
class OperatorDialogs;
class QDialog;
class StatusPanel;
class TxQueue;

// The main window: line status, the event lists, the pending transmit queue and the menu.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    struct Services {
        Engine &engine;
        EventLists &lists;
        TxQueue &txQueue;
        OperatorDialogs &dialogs;
    };

    static inline const QString defaultBaseTitle = QStringLiteral("Voduro Version 2.19 (Voduro) ");

    explicit MainWindow(Services services, QWidget *parent = nullptr);

    // The title the window shows after start-up; exported rows and column clicks extend it.
    void setBaseTitle(const QString &title);
    QString baseTitle() const { return m_baseTitle; }

    // The windows the "Setup" menu opens.
    void setComSetupWindow(QWidget *window);
    void setExitPasswordWindow(QDialog *window);

    EventPages *pages() const { return m_pages; }
    // "Polling Accounts": the window takes it as its page index 5.
    void setAccountPage(AccountPage *page);
    AccountPage *accountPage() const { return m_accountPage; }

    void clearEvents(); // "Clear Events"
    void clearPage();   // "Clear Page"
    void toggleComSetup();

signals:
    // The window has closed: the program is to end.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenu();
    QWidget *createCentralArea();

    Services m_services;
    QString m_baseTitle = defaultBaseTitle;
    StatusPanel *m_status = nullptr;
    EventPages *m_pages = nullptr;
    AccountPage *m_accountPage = nullptr;
    QPointer<QWidget> m_comSetup;
    QPointer<QDialog> m_exitPassword;
};
