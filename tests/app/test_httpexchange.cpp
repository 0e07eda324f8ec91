#include "app/httpexchange.h"

#include <QtTest>

// The metrics page's HTTP rules over bytes.
class HttpExchangeTest : public QObject {
    Q_OBJECT
private slots:
    // However the bytes arrive, the head's end is found at the same place, each byte searched
    // a bounded number of times; a bare LF ends a line too.
    void theHeadEndIsFoundHoweverTheBytesArrive() {
        const QByteArray request = "GET /health HTTP/1.1\r\nHost: a\r\n\r\nGET /next";
        const qsizetype end = request.indexOf("GET /next");
        for (qsizetype cut = 0; cut <= request.size(); ++cut) {
            qsizetype scanned = 0;
            const QByteArray first = request.left(cut);
            const qsizetype early = requestHeadEnd(first, 0, scanned);
            QCOMPARE(early, cut >= end ? end : -1);
            if (early < 0)
                QCOMPARE(requestHeadEnd(request, 0, scanned), end);
        }
        qsizetype scanned = 0;
        QCOMPARE(requestHeadEnd("GET / HTTP/1.0\n\nrest", 0, scanned), 16);
        scanned = end; // the second request, after the first was answered
        QCOMPARE(requestHeadEnd(request + "\r\n\r\n", end, scanned), request.size() + 4);
    }

    void requestHeads() {
        const HttpRequestHead plain =
            parseRequestHead("GET /metrics?x=1 HTTP/1.1\r\nHost: localhost\r\n\r\n");
        QVERIFY(plain.valid && plain.keepAlive && !plain.hasBody);
        QCOMPARE(plain.method, QByteArray("GET"));
        QCOMPARE(plain.path, QByteArray("/metrics"));
        const HttpRequestHead old = parseRequestHead("GET /health HTTP/1.0\r\n\r\n");
        QVERIFY(old.valid && !old.keepAlive);
        QCOMPARE(old.path, QByteArray("/health"));
        QVERIFY(!parseRequestHead("GET / HTTP/1.1\r\nConnection: Close\r\n\r\n").keepAlive);
        QVERIFY(parseRequestHead("POST / HTTP/1.1\r\nContent-Length: 3\r\n\r\n").hasBody);
        QVERIFY(!parseRequestHead("POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n").hasBody);
        QVERIFY(parseRequestHead("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n").hasBody);
        for (const char *bad :
             {"\r\n\r\n", "GET /\r\n\r\n", "GET / HTTP/2\r\n\r\n", "GET  / HTTP/1.1\r\n\r\n",
              "GET / HTTP/1.1\r\nno colon\r\n\r\n", "GET / HTTP/1.1\r\nContent-Length: x\r\n\r\n",
              "\x16\x03 nothing of HTTP\r\n\r\n"})
            QVERIFY2(!parseRequestHead(bad).valid, bad);
    }

    void responses() {
        QCOMPARE(httpResponse({503, "text/plain", "down\n"}, false),
                 QByteArray("HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain\r\n"
                            "Content-Length: 5\r\n\r\ndown\n"));
        QCOMPARE(httpResponse({405, {}, {}}, true),
                 QByteArray("HTTP/1.1 405 Method Not Allowed\r\nAllow: GET\r\nContent-Length: "
                            "0\r\nConnection: close\r\n\r\n"));
    }
};

QTEST_GUILESS_MAIN(HttpExchangeTest)
#include "test_httpexchange.moc"
