#pragma once

#include "monitorcore.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// The program's command line. Parsed before any application object exists, so that --help,
// --version and a mistyped option need no display.
class CommandLine {
public:
    enum class Action { Run, ShowHelp, ShowVersion, ShowStatus, Refuse };

    CommandLine();

    // `arguments` starts with the program's name, as argv does.
    void parse(const QStringList &arguments);

    Action action() const { return m_action; }
    bool headless() const { return m_headless; }
    // --debug-qt: Qt's own warnings and debug messages on standard error too.
    bool showQtMessages() const { return m_showQtMessages; }
    // Why the command line was refused, naming the offending option or value.
    QString errorText() const { return m_error; }
    // Needs an application object (it names the program as it was started).
    QString helpText() const { return m_parser.helpText(); }
    MonitorOptions monitorOptions() const { return m_options; }

    // Makes the chosen working directory the current one: --workdir (which must exist), the
    // per-user data directory for --user-workdir (created when missing), or the current one.
    // False, with the action Refuse and errorText() set, when it cannot be entered.
    bool enterWorkDirectory();

private:
    bool readValues();
    bool readMetricsAddress();
    bool workIn(const QString &path);

    QCommandLineParser m_parser;
    Action m_action = Action::Run;
    bool m_headless = false;
    bool m_showQtMessages = false;
    bool m_userWorkDirectory = false;
    QString m_workDirectory;
    MonitorOptions m_options;
    QString m_error;
};
