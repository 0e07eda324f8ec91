#include "headless.h"

#include "monitorcore.h"
#include "signalwatcher.h"
#include "standarderrornotices.h"

#include "engine/engine.h"

#include <QCoreApplication>

#include <memory>

namespace {

// What an operator would read off the windows, said on standard error instead: log files that
// cannot be written and the Tx link going to "FAULT" and back. (Stored files the monitor could
// not use are reported there by the core itself.)
void reportOnStandardError(MonitorCore &core) {
    QObject::connect(
        &core.logs(), &LogBook::failed, &core, [](const QString &fileName, const QString &error) {
            StandardErrorNotices::write(QStringLiteral("Log"),
                                        QStringLiteral("Cannot write %1: %2").arg(fileName, error));
        });
    Engine &engine = core.engine();
    auto faulted = std::make_shared<bool>(!engine.status().comOk);
    QObject::connect(&engine, &Engine::statusChanged, &core, [&engine, faulted] {
        const bool fault = !engine.status().comOk;
        if (fault == *faulted)
            return;
        *faulted = fault;
        StandardErrorNotices::write(QStringLiteral("Tx link"),
                                    fault ? QStringLiteral("FAULT") : QStringLiteral("OK"));
    });
}

} // namespace

int runHeadless(const MonitorOptions &options) {
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss} %{message}"));
    // Watching from the start: a stop requested during start-up is served once the loop runs.
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, qApp,
                     [] { QCoreApplication::exit(0); });
    StandardErrorNotices notices;
    MonitorCore core(notices, notices, options);
    reportOnStandardError(core);
    core.loadStore();
    core.startLines();
    // Where the windowed start-up closes its setup window: the store holds a complete set.
    core.saveSettings();
    core.startTimer();
    const int result = QCoreApplication::exec();
    core.shutDown();
    return result;
}
