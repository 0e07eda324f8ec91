#include "receiverdisplay.h"

#include "ipserver/receiveroutput.h"
#include "ui/comsetupwindow.h"
#include "ui/ipconnectiongroup.h"
#include "ui/mainwindow.h"
#include "ui/statuspanel.h"

#include <QLabel>
#include <QLineEdit>

void showReceiverOnWindows(const ReceiverOutput &output, MainWindow &mainWindow,
                           ComSetupWindow &comSetup) {
    IpConnectionGroup *group = comSetup.ipConnection();
    QObject::connect(&output, &ReceiverOutput::threadCountChanged, group->threadCount(),
                     &QLineEdit::setText);
    QObject::connect(&output, &ReceiverOutput::errorAccountShown, group->errorAcc(),
                     &QLabel::setText);
    if (auto *status = mainWindow.findChild<StatusPanel *>())
        QObject::connect(&output, &ReceiverOutput::disconnectLogFailed, status,
                         &StatusPanel::showDisconnectLogFailures);
}
