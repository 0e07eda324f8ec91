#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class Engine;
class QMenu;
class QSystemTrayIcon;
class QWidget;
class Settings;

// Running in the tray: with "Run in Tray" checked, minimising the main window hides it (and the
// Coms Setup window when it is open) behind a tray icon; "Restore" in the icon's menu or a
// double-click on the icon brings both back and removes the icon. Where the platform has no
// tray, minimising stays an ordinary minimise: a window hidden with no icon to bring it back
// would be lost to the operator.
class TrayControl : public QObject {
    Q_OBJECT
public:
    TrayControl(QWidget &mainWindow, Settings &settings, Engine &engine);
    ~TrayControl() override;

    void setComSetupWindow(QWidget *window) { m_comSetup = window; }
    // Whether the platform has a tray; QSystemTrayIcon::isSystemTrayAvailable() by default.
    void setTrayAvailable(std::function<bool()> available) { m_available = std::move(available); }

    // The main window has just been minimised.
    void minimised();
    void restore();

    QSystemTrayIcon *icon() const { return m_icon; }
    QMenu *menu() const { return m_menu.get(); }

private:
    QWidget &m_mainWindow;
    Settings &m_settings;
    Engine &m_engine;
    QPointer<QWidget> m_comSetup;
    std::function<bool()> m_available;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon *m_icon;
};
