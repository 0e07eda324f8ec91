#include "watchedservice.h"

#include <sys/resource.h>

// The metrics page and /health of the real program, scraped over HTTP on loopback.
class MetricsPageTest : public QObject {
    Q_OBJECT

    // The page read by a real Prometheus parser; its families are counted.
    static int parsedFamilies(const QByteArray &page) {
        QProcess parser;
        parser.start("/usr/bin/python3",
                     {"-c", "import sys\n"
                            "from prometheus_client.parser import text_string_to_metric_families\n"
                            "print(len(list(text_string_to_metric_families(sys.stdin.read()))))"});
        parser.write(page);
        parser.closeWriteChannel();
        if (!parser.waitForFinished(30000) || parser.exitCode() != 0) {
            qWarning() << parser.readAllStandardError();
            return -1;
        }
        return parser.readAllStandardOutput().trimmed().toInt();
    }

    static const inline QByteArray contactId = "25801181130010010";

private slots:
    // Three reports over TCP, one frame refused for its CRC, three lines acknowledged by the
    // automation receiver: the counters and the latency histogram say so, in a text a real
    // parser reads; other paths are 404, other methods 405.
    void theFiguresCountWhatHappened() {
        WatchedService service;
        const quint16 port = unusedLoopbackPort();
        QVERIFY(service.start({"--metrics", "127.0.0.1:" + QString::number(port)}));
        QTRY_COMPARE_WITH_TIMEOUT(httpGet(port, "/health").status, 200, 20000);
        // Sent once each: a QTRY macro evaluates its expression more than once.
        for (int report = 0; report < 3; ++report)
            QVERIFY(service.panelDelivered(contactId));
        QTcpSocket panel;
        panel.connectToHost(QHostAddress::LocalHost, service.ipPort);
        QVERIFY(panel.waitForConnected(10000));
        panel.write("\nABCD0014\"NULL\"0000#1234[]\r");
        QTRY_COMPARE_WITH_TIMEOUT(service.automation.chunks().size(), 3, 20000);

        QByteArray page;
        QTRY_VERIFY_WITH_TIMEOUT(
            metricSample(page = httpGet(port, "/metrics").body,
                         "voduro_tx_lines_delivered_total") == 3 &&
                metricSample(page, "voduro_messages_refused_total{reason=\"crc\"}") == 1,
            20000);
        QCOMPARE(metricSample(page, "voduro_messages_received_total{input=\"tcp\"}"), 3.0);
        QCOMPARE(metricSample(page, "voduro_messages_received_total{input=\"zorer1\"}"), 0.0);
        QCOMPARE(metricSample(page, "voduro_replies_total{kind=\"ack\"}"), 3.0);
        QCOMPARE(metricSample(page, "voduro_alarm_latency_seconds_count"), 3.0);
        QCOMPARE(metricSample(page, "voduro_alarm_latency_seconds_bucket{le=\"+Inf\"}"), 3.0);
        QCOMPARE(metricSample(page, "voduro_tx_pending"), 0.0);
        QCOMPARE(metricSample(page, "voduro_tx_link_fault"), 0.0);
        QVERIFY(metricSample(page, "voduro_connections_total") >= 4);
        QVERIFY(metricSample(page, "voduro_journal_flush_seconds_count") >= 3);
        QVERIFY(metricSample(page, "voduro_journal_bytes") > 0);
        QCOMPARE(metricSample(page, "voduro_serial_line_up{line=\"5\"}"), 1.0);
        QCOMPARE(metricSample(page, "voduro_build_info{version=\"" PROJECT_VERSION "\"}"), 1.0);
        QCOMPARE(metricSample(page, "voduro_connections_limit{kind=\"setting\"}"), 20000.0);
        QVERIFY(metricSample(page, "voduro_connections_limit{kind=\"in_effect\"}") >= 1);
        QCOMPARE(parsedFamilies(page), 22);

        const HttpResponse metrics = httpGet(port, "/metrics");
        QVERIFY2(metrics.headers.contains("\r\nContent-Type: text/plain; version=0.0.4"),
                 metrics.headers.constData());
        QCOMPARE(httpGet(port, "/other").status, 404);
        QCOMPARE(httpRequest(port, "POST /metrics HTTP/1.1\r\nContent-Length: 0\r\n\r\n").status,
                 405);
        // Its first line: the monitor's own troubles follow it, such as a clock that this
        // machine does not synchronise.
        QVERIFY(httpGet(port, "/health").body.startsWith("OK\n"));

        // A fault of the link shows at once.
        service.automation.setReply(AutomationReceiver::Reply::Silent);
        QVERIFY(service.panelDelivered(contactId));
        QTRY_COMPARE_WITH_TIMEOUT(
            metricSample(httpGet(port, "/metrics").body, "voduro_tx_link_fault"), 1.0, 60000);
        QVERIFY(service.stop());
    }

    // A journal that cannot take a record (no file of it may grow, not even a fresh copy of the
    // queues) turns /health to 503 with the reason, and a record written again turns it back.
    void healthFollowsTheJournal() {
        WatchedService service;
        const quint16 port = unusedLoopbackPort();
        QVERIFY(service.start({"--metrics", "127.0.0.1:" + QString::number(port)}));
        QTRY_COMPARE_WITH_TIMEOUT(httpGet(port, "/health").status, 200, 20000);
        QVERIFY(service.panelDelivered(contactId));
        const HttpResponse healthy = httpGet(port, "/health");
        QVERIFY2(healthy.status == 200, healthy.body.constData());

        const pid_t pid = static_cast<pid_t>(service.process.processId());
        rlimit old{};
        QCOMPARE(::prlimit(pid, RLIMIT_FSIZE, nullptr, &old), 0);
        rlimit limited = old;
        limited.rlim_cur = 1;
        QCOMPARE(::prlimit(pid, RLIMIT_FSIZE, &limited, nullptr), 0);
        QVERIFY(!service.panelDelivered(contactId));
        const HttpResponse sick = httpGet(port, "/health");
        QCOMPARE(sick.status, 503);
        QVERIFY2(sick.body.startsWith("queue journal cannot be written"), sick.body.constData());

        QCOMPARE(::prlimit(pid, RLIMIT_FSIZE, &old, nullptr), 0);
        QVERIFY(service.panelDelivered(contactId));
        QCOMPARE(httpGet(port, "/health").status, 200);
        QVERIFY(service.stop());
    }

    // Garbage, a header of a megabyte, a request sent a byte at a time and more connections
    // than are served: none of it keeps an alarm from being delivered meanwhile, and the page
    // answers again afterwards.
    void badHttpInputLeavesTheMonitorAlone() {
        WatchedService service;
        const quint16 port = unusedLoopbackPort();
        QVERIFY(service.start({"--metrics", "127.0.0.1:" + QString::number(port)}));
        QTRY_COMPARE_WITH_TIMEOUT(httpGet(port, "/health").status, 200, 20000);

        std::vector<std::unique_ptr<QTcpSocket>> attack;
        const auto connection = [&] {
            attack.push_back(std::make_unique<QTcpSocket>());
            attack.back()->connectToHost(QHostAddress::LocalHost, port);
            return attack.back().get();
        };
        QTcpSocket *garbage = connection();
        QTcpSocket *huge = connection();
        QTcpSocket *slow = connection();
        for (int i = 0; i < 100; ++i)
            connection();
        QVERIFY(garbage->waitForConnected(10000) && huge->waitForConnected(10000) &&
                slow->waitForConnected(10000));
        garbage->write(QByteArray("\x00\xff\x16\x03 nothing of HTTP\r\n\r\n", 25));
        huge->write("GET /metrics HTTP/1.1\r\nX-Filler: " + QByteArray(1 << 20, 'x') + "\r\n\r\n");
        const QByteArray slowRequest = "GET /metrics HTTP/1.1\r\nHost: localhost\r\n";
        for (char byte : slowRequest) {
            slow->write(&byte, 1);
            slow->waitForBytesWritten(1000);
            QTest::qWait(5);
        }

        QVERIFY(service.panelDelivered(contactId));
        QTRY_COMPARE_WITH_TIMEOUT(service.automation.chunks().size(), 1, 20000);

        // The megabyte header is refused: 431, or the connection closed.
        QByteArray hugeReply;
        QTRY_VERIFY_WITH_TIMEOUT(
            (hugeReply += huge->readAll(), huge->state() == QAbstractSocket::UnconnectedState),
            30000);
        QVERIFY2(hugeReply.isEmpty() || hugeReply.startsWith("HTTP/1.1 431 "),
                 hugeReply.left(100).constData());
        attack.clear();
        QTRY_COMPARE_WITH_TIMEOUT(httpGet(port, "/health").status, 200, 20000);
        QVERIFY(service.stop());
    }

    // A client that pipelines requests by the megabyte and takes none of its replies is served
    // one request at a time, as far as the system's buffers take the replies, then no longer
    // read, and closed when a reply waits too long. Meanwhile others are answered.
    void aClientThatPipelinesAndNeverReadsKeepsNobodyWaiting() {
        WatchedService service;
        const quint16 port = unusedLoopbackPort();
        QVERIFY(service.start({"--metrics", "127.0.0.1:" + QString::number(port)}));
        QTRY_COMPARE_WITH_TIMEOUT(httpGet(port, "/health").status, 200, 20000);

        QTcpSocket flood;
        flood.setReadBufferSize(1024); // what the system's buffers hold beyond that stays there
        flood.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(flood.waitForConnected(10000));
        const QByteArray request = "GET /health HTTP/1.1\r\nHost: localhost\r\n\r\n";
        // Replies by the megabyte more than the system buffers for a client that reads nothing.
        flood.write(request.repeated((8 << 20) / request.size()));
        QTest::qWait(200);

        const HttpResponse other = httpGet(port, "/health");
        QCOMPARE(other.status, 200);
        QCOMPARE(flood.state(), QAbstractSocket::ConnectedState);
        QTRY_COMPARE_WITH_TIMEOUT(flood.state(), QAbstractSocket::UnconnectedState, 40000);
        QCOMPARE(httpGet(port, "/health").status, 200);
        QVERIFY(service.stop());
    }
};

QTEST_GUILESS_MAIN(MetricsPageTest)
#include "test_metricspage.moc"
