#include "accounts/accountnumbers.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestAccountNumbers : public QObject {
    Q_OBJECT

private slots:
    // Text as typed or received -> number -> its full and four-character forms.
    void numberForms_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<bool>("converts");
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QByteArray>("shown");
        QTest::addColumn<QByteArray>("four");

        QTest::newRow("decimal") << "2468"_ba << true << true << 2468u << "2468"_ba
                                 << "2468"_ba;
        QTest::newRow("padded") << "12"_ba << true << true << 12u << "12"_ba
                                << "0012"_ba;
        QTest::newRow("longer: whole") << "246813"_ba << true << true << 246813u << "246813"_ba
                                       << "246813"_ba;
        QTest::newRow("empty") << ""_ba << true << true << 0u << "0"_ba
                               << "0000"_ba;
        QTest::newRow("leading zeros") << "0000000000000012"_ba << true << true << 12u << "12"_ba
                                       << "0012"_ba;
        QTest::newRow("7 digits: code") << "1000010"_ba << true << true << 1000010u << "A"_ba
                                        << "000A"_ba;
        QTest::newRow("code base") << "1000000"_ba << true << true << 1000000u << "0"_ba
                                   << "0000"_ba;
        QTest::newRow("max signed") << "2147483647"_ba << true << true << 2147483647u << "ZHYLDR"_ba
                                    << "ZHYLDR"_ba;
        QTest::newRow("past signed") << "2147483648"_ba << true << false << 0u << ""_ba
                                     << ""_ba;
        QTest::newRow("20 digits") << "99999999999999999999"_ba << true << false << 0u << ""_ba
                                   << ""_ba;
        QTest::newRow("A") << "A"_ba << false << true << 1000010u << "A"_ba
                           << "000A"_ba;
        QTest::newRow("0A loses its 0") << "0A"_ba << false << true << 1000010u << "A"_ba
                                        << "000A"_ba;
        QTest::newRow("10Z") << "10Z"_ba << false << true << 1001331u << "10Z"_ba
                             << "010Z"_ba;
        QTest::newRow("7 letters wrap")
            << "ZZZZZZZ"_ba << false << true << 1055752767u << "HFZ0FZ"_ba
            << "HFZ0FZ"_ba;
        QTest::newRow("lower case") << "a"_ba << false << true << 1000042u << "16"_ba
                                    << "0016"_ba;
        QTest::newRow("sign wraps") << "-1"_ba << false << true << 999641u << "999641"_ba
                                    << "999641"_ba;
        QTest::newRow("byte 0xE9") << "\xE9"_ba << false << true << 1000178u << "4Y"_ba
                                   << "004Y"_ba;
        QTest::newRow("NUL byte") << QByteArray("1\0", 2) << false << true << 999981u << "999981"_ba
                                  << "999981"_ba;
    }

    void numberForms() {
        QFETCH(QByteArray, text);
        QFETCH(bool, numeric);
        QFETCH(bool, converts);
        QFETCH(quint32, number);
        QFETCH(QByteArray, shown);
        QFETCH(QByteArray, four);

        QCOMPARE(IsStrNumeric(text), numeric);
        const std::optional<quint32> result = NumericalAccNum(text);
        QCOMPARE(result.has_value(), converts);
        if (converts) {
            QCOMPARE(*result, number);
            QCOMPARE(AccNumString(number), shown);
            QCOMPARE(AccountToStg(number), four);
        }
    }

    void largestNumberHasSevenCharacters() { QCOMPARE(AccNumString(4294967295u), "1Z0IMDB"_ba); }

    void entryCleaning_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");

        QTest::newRow("dash removed, upper case") << u"ab-cd9"_s << u"ABCD9"_s;
        QTest::newRow("letter at position 6 dropped") << u"abcdef"_s << u"ABCDE"_s;
        QTest::newRow("digit at position 6 kept") << u"ABCDE9"_s << u"ABCDE9"_s;
        QTest::newRow("position counts as typed") << u"a-bcde"_s << u"ABCD"_s;
        QTest::newRow("non-ASCII letter removed") << u"\u00e9a 1"_s << u"A1"_s;
    }

    void entryCleaning() {
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        QCOMPARE(cleanAccountEntry(typed), cleaned);
    }
};

QTEST_GUILESS_MAIN(TestAccountNumbers)
#include "test_accountnumbers.moc"
