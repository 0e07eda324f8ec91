#include "namedlocks.h"

#include <map>
#include <memory>

QMutex &NamedLocks::lock(const QString &name) {
    static QMutex registryMutex;
    static std::map<QString, std::unique_ptr<QMutex>> registry;
    QMutexLocker guard(&registryMutex);
    auto &entry = registry[name];
    if (!entry)
        entry = std::make_unique<QMutex>();
    return *entry;
}

void NamedLocks::createStandardLocks() {
    lock(ConnectionCount);
    lock(Accounts);
    lock(Logs);
}
