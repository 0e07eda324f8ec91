#include "support/enginefixture.h"
#include "support/fakeipserver.h"

#include <QtTest>

namespace {

const QString refusal = QStringLiteral("Close all the connections already connected to Voduro.");

struct IpFixture : EngineFixture {
    FakeIpServer server;
    IpFixture() { engine.setIpServer(&server); }
};

} // namespace

// The START/STOP IP toggle and the watchdog that restarts the server after a long silence.
class IpWatchdogTest : public QObject {
    Q_OBJECT
private slots:
    void portOutOfRangeIsTakenAsTheNearestBoundAndLogged() {
        IpFixture f;
        f.logs.setSaveEnabled(true);
        f.server.active = false;
        f.settings.setText(SettingKey::TcpPort, QStringLiteral("70000"));
        QVERIFY(f.engine.ipServerToggle().toggle(IpServerToggle::Caller::Operator));
        QCOMPARE(f.server.calls, (QStringList{"port 65535", "activate"}));
        QVERIFY(f.env.readFile("IP_EXPlog.TXT")
                    .contains("'70000' is out of range 1..65535; 65535 is used"));
    }

    void toggleStopsAndStartsTheServerOnlyWithoutConnections() {
        IpFixture f;
        f.settings.setText(SettingKey::TcpPort, QStringLiteral("10123"));
        QSignalSpy caption(&f.engine.ipServerToggle(), &IpServerToggle::serverStateChanged);
        using Caller = IpServerToggle::Caller;

        QVERIFY(f.engine.ipServerToggle().toggle(Caller::Operator));
        QCOMPARE(f.server.calls, QStringList{"deactivate"});
        QVERIFY(!f.settings.flag(SettingKey::TcpOpen));
        QVERIFY(!f.engine.status().labelEnabled[3]);
        QVERIFY(f.engine.ipServerToggle().toggle(Caller::Operator));
        QCOMPARE(f.server.calls, (QStringList{"deactivate", "port 10123", "activate"}));
        QVERIFY(f.settings.flag(SettingKey::TcpOpen));
        QVERIFY(f.engine.status().labelEnabled[3]);
        QCOMPARE(caption.size(), 2);
        QCOMPARE(caption.at(0), QVariantList{false});
        QCOMPARE(caption.at(1), QVariantList{true});

        f.server.count = QStringLiteral("2");
        QVERIFY(!f.engine.ipServerToggle().toggle(Caller::Operator));
        QCOMPARE(f.server.calls.size(), 3);
        QCOMPARE(f.dialogs.asked.size(), 1);
        QCOMPARE(f.dialogs.asked.first().kind, ScriptedDialogs::Entry::Notice);
        QCOMPARE(f.dialogs.asked.first().text, refusal);
        QVERIFY(f.settings.flag(SettingKey::TcpOpen));
    }

    void watchdogFiresOncePerSilenceAndOnlyWhileConnected() {
        IpFixture f;
        f.server.active = false; // keeps the minute's self-test and its own recovery out of this
        f.engine.feedIpWatchdog();
        f.ticks(IpServerToggle::watchdogStartTicks + 5);
        QVERIFY(f.server.calls.isEmpty()); // no connection, the light is off: no countdown
        QCOMPARE(f.engine.status().padNua[3], noNuaText);

        f.server.count = QStringLiteral("1");
        f.ticks(IpServerToggle::watchdogStartTicks);
        QVERIFY(f.engine.status().connected[3]);
        QVERIFY(f.dialogs.asked.isEmpty());
        f.ticks(1);
        QCOMPARE(f.dialogs.texts(), QStringList{refusal});
        QCOMPARE(f.dialogs.asked.first().kind, ScriptedDialogs::Entry::BackgroundNotice);
        f.ticks(500);
        QCOMPARE(f.dialogs.asked.size(), 1); // silent until fed again

        f.engine.feedIpWatchdog();
        f.ticks(IpServerToggle::watchdogStartTicks);
        QCOMPARE(f.dialogs.asked.size(), 1);
        f.ticks(1);
        QCOMPARE(f.dialogs.asked.size(), 2);
        QVERIFY(f.server.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(IpWatchdogTest)
#include "test_ipwatchdog.moc"
