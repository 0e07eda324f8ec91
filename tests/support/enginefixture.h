#pragma once

#include "accounts/accounttable.h"
#include "common/logbook.h"
#include "engine/engine.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "settings/settings.h"
#include "support/countingbeeper.h"
#include "support/scripteddialogs.h"
#include "support/tempenvironment.h"

#include <QCoreApplication>

// An engine with every service it uses, in a temporary working directory. Nothing runs the
// 100 ms timer: tests call tick() themselves.
struct EngineFixture {
    TempEnvironment env;
    Settings settings;
    LogBook logs;
    AccountTable accounts;
    EventLists lists;
    TxQueue txQueue;
    ScriptedDialogs dialogs;
    CountingBeeper beeper;
    Engine engine{{settings, logs, accounts, lists, txQueue, dialogs, beeper}};

    EngineFixture() {
        engine.setOneSecondWait([] {});
    }

    void ticks(int count) {
        for (int i = 0; i < count; ++i)
            engine.tick();
    }
    // Lets the sockets and ports deliver what is waiting.
    static void settle(int rounds = 5) {
        for (int i = 0; i < rounds; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
};
