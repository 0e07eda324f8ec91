#include "strings/eventtexts.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>
#include <QTranslator>

namespace {

// Stands in for a language table: answers for one source text of the "EventTexts" context.
class OneTextTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *,
                      int) const override {
        if (qstrcmp(context, "EventTexts") == 0 && qstrcmp(sourceText, "130 Burglary") == 0)
            return QStringLiteral("130 Einbruch \u00FC");
        return QString();
    }
};

} // namespace

class TestEventTexts : public QObject {
    Q_OBJECT
private slots:
    void contactId_data();
    void contactId();
    void everyNamedContactIdTextSitsAtItsCode();
    void siaLookup_data();
    void siaLookup();
    void siaTable();
    void textsComeFromTheLanguageLayer();
};

void TestEventTexts::contactId_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("000") << 0 << QByteArray("0");
    QTest::newRow("007") << 7 << QByteArray("7");
    QTest::newRow("100") << 100 << QByteArray("100 Medical");
    QTest::newRow("118") << 118 << QByteArray("118 Near Alarm");
    QTest::newRow("138") << 138 << QByteArray("138 Near Alarm");
    QTest::newRow("150") << 150 << QByteArray("150 24 Hour non-Burg");
    QTest::newRow("200") << 200 << QByteArray("200 24 Hour non-Burg");
    QTest::newRow("353") << 353 << QByteArray("353 Lng-Rnge Rad. xmttr. Fault");
    QTest::newRow("628") << 628 << QByteArray("628 Program Mode exit.");
    QTest::newRow("631") << 631 << QByteArray("631 Exception Schedule change");
    QTest::newRow("999") << 999 << QByteArray("999");
    QTest::newRow("out of range") << 1000 << QByteArray();
}

void TestEventTexts::contactId() {
    QFETCH(int, code);
    QFETCH(QByteArray, text);
    QCOMPARE(EventTexts().ContactIDText(code), text);
}

void TestEventTexts::everyNamedContactIdTextSitsAtItsCode() {
    const EventTexts texts;
    int named = 0;
    for (int code = 0; code < 1000; ++code) {
        const QByteArray text = texts.ContactIDText(code);
        if (text == QByteArray::number(code))
            continue;
        ++named;
        QCOMPARE(text.left(4), QByteArray::number(code).rightJustified(3, '0') + ' ');
        QVERIFY2(!text.contains("  ") && !text.endsWith(' '), text.constData());
    }
    QCOMPARE(named, 139);
}

void TestEventTexts::siaLookup_data() {
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("**") << QByteArray("**") << QByteArray("** Not Reported");
    QTest::newRow("BA") << QByteArray("BA") << QByteArray("BA Burglary Alarm");
    QTest::newRow("YW") << QByteArray("YW") << QByteArray("YW System Reset (Watch dog)");
    QTest::newRow("XR, the last") << QByteArray("XR")
                                  << QByteArray("XR Transmitter Battery Restore");
    QTest::newRow("11") << QByteArray("11") << QByteArray("110");
    QTest::newRow("15") << QByteArray("15") << QByteArray("150");
    QTest::newRow("20") << QByteArray("20") << QByteArray("200");
    QTest::newRow("10") << QByteArray("10") << QByteArray();
    QTest::newRow("21") << QByteArray("21") << QByteArray();
    QTest::newRow("99") << QByteArray("99") << QByteArray();
    QTest::newRow("lower case") << QByteArray("ba") << QByteArray();
    QTest::newRow("one byte") << QByteArray("B") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestEventTexts::siaLookup() {
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, text);
    QCOMPARE(EventTexts().findSiaText(code), text);
}

void TestEventTexts::siaTable() {
    const EventTexts texts;
    QCOMPARE(texts.SIAText(0), QByteArray("0"));
    QCOMPARE(texts.SIAText(105), QByteArray("LB Program mode entry"));
    QCOMPARE(texts.SIAText(106), QByteArray("LS Program Mode exit"));
    QCOMPARE(texts.SIAText(110), QByteArray("110"));
    QCOMPARE(texts.SIAText(201), QByteArray());
    QSet<QByteArray> codes; // a shared code would hide the later entry from every lookup
    for (int index = 1; index <= 109; ++index) {
        const QByteArray text = texts.SIAText(index);
        QCOMPARE(text.at(2), ' ');
        codes.insert(text.left(2));
    }
    QCOMPARE(codes.size(), 109);
}

void TestEventTexts::textsComeFromTheLanguageLayer() {
    OneTextTranslator translator;
    QCoreApplication::installTranslator(&translator);
    const EventTexts texts;
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(texts.ContactIDText(130), QByteArray("130 Einbruch \xFC")); // stored as Latin-1
    QCOMPARE(texts.ContactIDText(131), QByteArray("131 Perimeter"));
}

QTEST_GUILESS_MAIN(TestEventTexts)
#include "test_eventtexts.moc"
