#pragma once

#include "common/version.h"

#include <QMainWindow>
#include <QPointer>

class AccountPage;
class Engine;
class QCloseEvent;
struct EventLists;
class EventPages;
class LanguageMenu;
class LogBook;
class OperatorAccess;
class OperatorDialogs;
class PasswordPrompt;
class QDialog;
class QueueClearing;
class QMenu;
class Settings;
class StatusPanel;
class TrayControl;
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
        Settings &settings;
        LogBook &logs; // where cleared queue items are kept
    };

    static inline const QString defaultBaseTitle = versionText + QStringLiteral(" (Voduro) ");

    explicit MainWindow(Services services, QWidget *parent = nullptr);

    // The title the window shows after start-up; exported rows and column clicks extend it.
    void setBaseTitle(const QString &title);
    QString baseTitle() const { return m_baseTitle; }

    // The windows the "Setup" menu opens.
    void setComSetupWindow(QWidget *window);
    void setExitPasswordWindow(QDialog *window);
    // The prompt that asks for the application password at log-on and before closing.
    void setPasswordPrompt(PasswordPrompt *prompt);

    bool isLoggedOn() const;
    void logOnOrOff(); // "Log on" / "Log off"
    TrayControl *tray() const { return m_tray; }

    // The desktop session is ending. Asks for the password when the session manager lets the
    // program ask; false when the end is to be refused. A match ends the program.
    bool sessionMayEnd(bool mayAsk);

    EventPages *pages() const { return m_pages; }
    // "Polling Accounts": the window takes it as its page index 5.
    void setAccountPage(AccountPage *page);
    AccountPage *accountPage() const { return m_accountPage; }

    // The window's place and the operator's column widths from the settings (after they are
    // read, before the window is shown), and back into them (before they are written).
    void restoreLayout();
    void storeLayout();

    void clearEvents(); // "Clear Events"
    void clearPage();   // "Clear Page"
    void toggleComSetup();

signals:
    // The window has closed: the program is to end.
    void closed();
    // The operator logged on (true) or off (false).
    void loggedOnChanged(bool loggedOn);
    // A language was chosen for the next start; the live settings hold it already.
    void languageChosen(const QString &language);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QueueClearing queueClearing() const;
    void createMenu();
    void showLoggedOn(bool loggedOn);
    QWidget *createCentralArea();

    Services m_services;
    QString m_baseTitle = defaultBaseTitle;
    StatusPanel *m_status = nullptr;
    EventPages *m_pages = nullptr;
    AccountPage *m_accountPage = nullptr;
    QPointer<QWidget> m_comSetup;
    QPointer<QDialog> m_exitPassword;
    OperatorAccess *m_access = nullptr;
    TrayControl *m_tray = nullptr;
    QMenu *m_languageMenu = nullptr;
    QMenu *m_setupMenu = nullptr;
    QAction *m_logOn = nullptr;
    bool m_everShown = false; // a window never shown has no place of the operator's to keep
};
