#include "messagefilter.h"

#include <cstdio>
#include <cstring>

Q_LOGGING_CATEGORY(monitorMessages, "voduro")

namespace {

bool showQtMessagesToo = false;

bool isOwnMessage(const QMessageLogContext &context) {
    return context.category && std::strcmp(context.category, monitorMessages().categoryName()) == 0;
}

void writeMessage(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    const bool minor = type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg;
    if (minor && !showQtMessagesToo && !isOwnMessage(context))
        return;
    const QString line = qFormatLogMessage(type, context, message) + QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

} // namespace

void filterQtMessages(bool showQtMessages) {
    showQtMessagesToo = showQtMessages;
    qInstallMessageHandler(writeMessage);
}
