#include "commandline.h"

#include <QDir>
#include <QStandardPaths>

namespace {

const QString helpName = QStringLiteral("help");
const QString versionName = QStringLiteral("version");
const QString headlessName = QStringLiteral("headless");
const QString workdirName = QStringLiteral("workdir");
const QString userWorkdirName = QStringLiteral("user-workdir");
const QString debugQtName = QStringLiteral("debug-qt");
const QString listenName = QStringLiteral("test-listen-address");
const QString metricsName = QStringLiteral("metrics");
const QString statusName = QStringLiteral("status");
const QString stallName = QStringLiteral("test-stall-file");

// The directory the desktop menu starts the monitor in: never the home directory itself, where
// the logs and the account file would mix with the user's own files.
QString userDataDirectory() {
    const QString path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (path.isEmpty() || QDir(path) == QDir::home())
        return QString();
    return path;
}

} // namespace

CommandLine::CommandLine() {
    m_parser.setApplicationDescription(
        QStringLiteral("Communications monitor for an alarm-monitoring centre."));
    m_parser.addOptions({
        {{QStringLiteral("h"), helpName}, QStringLiteral("Shows this help and exits.")},
        {{QStringLiteral("v"), versionName}, QStringLiteral("Shows the version and exits.")},
        {workdirName,
         QStringLiteral("Works in <dir>: the log, list, account and queue files live there. "
                        "Default: the current directory."),
         QStringLiteral("dir")},
        {userWorkdirName, QStringLiteral("Works in the per-user data directory (by default "
                                         "~/.local/share/Voduro), created when missing.")},
        {headlessName, QStringLiteral("Runs the monitor without windows and without a display, "
                                      "as a service; notices go to standard error.")},
        {debugQtName, QStringLiteral("Also writes Qt's own warnings and debug messages to "
                                     "standard error (left out otherwise).")},
        {metricsName,
         QStringLiteral("Serves the metrics (GET /metrics, Prometheus text format) and GET "
                        "/health on <address:port>, such as 127.0.0.1:9464. Off by default."),
         QStringLiteral("address:port")},
        {statusName, QStringLiteral("Prints the status of the monitor running in the working "
                                    "directory and exits: 0 when one runs there, 3 when none "
                                    "does.")},
    });
    // For tests only: keeps the IP receiver on one address (such as 127.0.0.1) instead of every
    // local IPv4 address.
    QCommandLineOption listen(listenName, QString(), QStringLiteral("address"));
    listen.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.addOption(listen);
    // For tests only: while the file exists, the engine's tick hangs, as a stuck one would.
    QCommandLineOption stall(stallName, QString(), QStringLiteral("file"));
    stall.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.addOption(stall);
}

void CommandLine::parse(const QStringList &arguments) {
    if (!m_parser.parse(arguments)) {
        m_action = Action::Refuse;
        m_error = m_parser.errorText();
        return;
    }
    // Checked first: "--version extra" is as mistyped as "--headless extra".
    if (!m_parser.positionalArguments().isEmpty()) {
        m_action = Action::Refuse;
        m_error =
            QStringLiteral("Unexpected argument '%1'.").arg(m_parser.positionalArguments().first());
        return;
    }
    if (m_parser.isSet(helpName))
        m_action = Action::ShowHelp;
    else if (m_parser.isSet(versionName))
        m_action = Action::ShowVersion;
    else if (!readValues())
        m_action = Action::Refuse;
    else if (m_parser.isSet(statusName))
        m_action = Action::ShowStatus;
}

bool CommandLine::readValues() {
    m_headless = m_parser.isSet(headlessName);
    m_showQtMessages = m_parser.isSet(debugQtName);
    m_userWorkDirectory = m_parser.isSet(userWorkdirName);
    m_workDirectory = m_parser.value(workdirName);
    if (m_userWorkDirectory && m_parser.isSet(workdirName)) {
        m_error = QStringLiteral("Options '--workdir' and '--user-workdir' exclude each other.");
        return false;
    }
    if (m_parser.isSet(workdirName) && m_workDirectory.isEmpty()) {
        m_error = QStringLiteral("Option '--workdir' needs a directory.");
        return false;
    }
    if (m_parser.isSet(listenName) &&
        !m_options.listenAddress.setAddress(m_parser.value(listenName))) {
        m_error = QStringLiteral("Invalid address for '--%1': '%2'.")
                      .arg(listenName, m_parser.value(listenName));
        return false;
    }
    m_options.stallFile = m_parser.value(stallName);
    return readMetricsAddress();
}

// "127.0.0.1:9464", "[::1]:9464": an address and a port from 1 to 65535.
bool CommandLine::readMetricsAddress() {
    if (!m_parser.isSet(metricsName))
        return true;
    const QString text = m_parser.value(metricsName);
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool portOk = false;
    const uint port = text.mid(colon + 1).toUInt(&portOk);
    if (colon < 0 || !portOk || port < 1 || port > 65535 ||
        !m_options.metricsAddress.setAddress(host)) {
        m_options.metricsAddress.clear();
        m_error = QStringLiteral("Option '--%1' needs an address and a port, such as "
                                 "127.0.0.1:9464: '%2'.")
                      .arg(metricsName, text);
        return false;
    }
    m_options.metricsPort = quint16(port);
    return true;
}

bool CommandLine::enterWorkDirectory() {
    if (!workIn(m_userWorkDirectory ? userDataDirectory() : m_workDirectory)) {
        m_action = Action::Refuse;
        return false;
    }
    return true;
}

bool CommandLine::workIn(const QString &path) {
    if (m_userWorkDirectory) {
        if (path.isEmpty() || !QDir().mkpath(path)) {
            m_error = QStringLiteral("Cannot create the per-user data directory '%1'.").arg(path);
            return false;
        }
    }
    if (path.isEmpty())
        return true;
    // A mistyped directory is refused rather than created: a monitor started in an empty one
    // would run without its accounts.
    if (!QFileInfo(path).isDir() || !QDir::setCurrent(path)) {
        m_error = QStringLiteral("Cannot work in '%1': no such directory or no access.").arg(path);
        return false;
    }
    return true;
}
