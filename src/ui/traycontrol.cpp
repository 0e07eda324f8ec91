#include "traycontrol.h"

#include "applicationicon.h"
#include "engine/engine.h"
#include "settings/settings.h"

#include <QMenu>
#include <QSystemTrayIcon>

TrayControl::TrayControl(QWidget &mainWindow, Settings &settings, Engine &engine)
    : QObject(&mainWindow)
    , m_mainWindow(mainWindow)
    , m_settings(settings)
    , m_engine(engine)
    , m_available(&QSystemTrayIcon::isSystemTrayAvailable)
    , m_menu(std::make_unique<QMenu>())
    , m_icon(new QSystemTrayIcon(applicationIcon(), this)) {
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *restoreAction = m_menu->addAction(tr("Restore"));
    restoreAction->setObjectName(QStringLiteral("R1"));
    connect(restoreAction, &QAction::triggered, this, &TrayControl::restore);
    m_icon->setObjectName(QStringLiteral("TrayIcon"));
    m_icon->setToolTip(QStringLiteral("Voduro"));
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick)
                    restore();
            });
}

// The icon goes before its menu, and with the main window, as the last of the windows.
TrayControl::~TrayControl() {
    m_icon->hide();
    delete m_icon;
}

void TrayControl::minimised() {
    if (!m_mainWindow.isMinimized() || !m_settings.flag(SettingKey::InTray) || !m_available())
        return;
    m_icon->show();
    if (m_comSetup && m_engine.setupWindowOpen())
        m_comSetup->hide();
    m_mainWindow.hide();
}

void TrayControl::restore() {
    // Only the icon leads back to hidden windows, so it restores whatever "Run in Tray" says now.
    if (!m_icon->isVisible())
        return;
    if (m_comSetup && m_engine.setupWindowOpen())
        m_comSetup->show();
    m_mainWindow.showNormal();
    m_mainWindow.raise();
    m_mainWindow.activateWindow();
    m_icon->hide();
}
