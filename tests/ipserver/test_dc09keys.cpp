#include "common/datetimetext.h"
#include "ipserver/dc09keys.h"
#include "ipserver/repeatedmessages.h"
#include "support/tempenvironment.h"

#include <QFile>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QByteArray hexKey256 = "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f";

bool write(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The file's permission bits as the system keeps them.
int modeBits(const QString &path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

} // namespace

// The DC-09 key file on real files, and the memory of recently queued messages.
class Dc09KeysTest : public QObject {
    Q_OBJECT
private slots:
    // Hand-written: notes and blank lines, keys in characters and in hex, CR LF or LF, blanks
    // between account and key; bad lines reported by number and skipped, the first line of an
    // account counting.
    void aHandWrittenFileIsRead() {
        TempEnvironment env;
        Dc09Keys keys(env.filePath(Dc09Keys::fileName));
        QVERIFY(
            write(keys.filePath(), "# keys of the north region\r\n"
                                   "\r\n"
                                   "AAAB AAAAAAAAAAAAAAAA\r\n"
                                   "1234\t \t" +
                                       hexKey256 +
                                       "\n"
                                       "   # an indented note\n"
                                       "5801 not-a-key\n"
                                       "5802\n"
                                       "AAAB 0123456789abcdef\n"
                                       "C0FFEE 0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF"));
        const Dc09Keys::LoadResult loaded = keys.load();
        QVERIFY(loaded.error.isEmpty());
        QCOMPARE(loaded.badLines, QList<int>({6, 7}));
        QCOMPARE(keys.key("AAAB"), QByteArray("AAAAAAAAAAAAAAAA"));
        QCOMPARE(keys.key("1234"), QByteArray::fromHex(hexKey256));
        QCOMPARE(keys.key("C0FFEE")->size(), 24);
        QVERIFY(!keys.key("5801"));
        // Hex in either case, and any text of the same account number.
        QCOMPARE(keys.key("aaab"), QByteArray("AAAAAAAAAAAAAAAA"));
        QCOMPARE(keys.key("001234"), QByteArray::fromHex(hexKey256));
        QVERIFY(keys.hasKey(1234) && !keys.hasKey(5801));
        QCOMPARE(keys.keyText(1234), hexKey256);

        QVERIFY(write(keys.filePath(), "1234 BBBBBBBBBBBBBBBB\n"));
        QVERIFY(keys.load().badLines.isEmpty());
        QCOMPARE(keys.key("1234"), QByteArray("BBBBBBBBBBBBBBBB"));
        QVERIFY(!keys.key("AAAB"));
        // Read while it is being written: cut short, the keys read before stay.
        QVERIFY(write(keys.filePath(), "1234 CCCCCCCC"));
        const Dc09Keys::LoadResult cut = keys.load();
        QVERIFY(cut.keptPrevious);
        QCOMPARE(cut.badLines, QList<int>({1}));
        QCOMPARE(keys.key("1234"), QByteArray("BBBBBBBBBBBBBBBB"));
        QVERIFY(write(keys.filePath(), "1234 CCCCCCCCCCCCCCCC\n"));
        QVERIFY(!keys.load().keptPrevious);
        QCOMPARE(keys.key("1234"), QByteArray("CCCCCCCCCCCCCCCC"));
        QVERIFY(QFile::remove(keys.filePath()));
        QVERIFY(keys.load().error.isEmpty());
        QVERIFY(!keys.key("1234"));
    }

    // The editor's save: the account's line changed under the text it was written with (or a new
    // line added, or removed for no key), every other line as written, the file replaced whole
    // and readable by its owner only; a text that is not a key is refused and changes nothing.
    void aSaveRewritesTheFileForItsOwnerOnly() {
        TempEnvironment env;
        Dc09Keys keys(env.filePath(Dc09Keys::fileName));
        QVERIFY(write(keys.filePath(), "# note\n001234 AAAAAAAAAAAAAAAA\nbad line\n"));
        QFile::setPermissions(keys.filePath(), QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ReadOther | QFile::ReadGroup);
        const Dc09Keys::LoadResult loaded = keys.load();
        QCOMPARE(loaded.badLines, QList<int>({3}));
        QVERIFY(loaded.exposed);
        QCOMPARE(keys.keyText(1234), "AAAAAAAAAAAAAAAA");

        QVERIFY(keys.setKeyText(1234, hexKey256).ok);
        QVERIFY(keys.setKeyText(77, "CCCCCCCCCCCCCCCC").ok);
        QCOMPARE(env.readFile(Dc09Keys::fileName),
                 "# note\r\n001234 " + hexKey256 + "\r\nbad line\r\n77 CCCCCCCCCCCCCCCC\r\n");
        QCOMPARE(modeBits(keys.filePath()), 0600);
        QCOMPARE(keys.key("001234"), QByteArray::fromHex(hexKey256));
        QCOMPARE(keys.key("77"), QByteArray("CCCCCCCCCCCCCCCC"));
        // A bad line the keys in use were read with does not hold a later read back.
        QVERIFY(!keys.load().keptPrevious);

        const Dc09Keys::SaveResult refused = keys.setKeyText(77, "short");
        QVERIFY(!refused.ok);
        QVERIFY(!refused.error.contains("short"));
        QVERIFY(keys.setKeyText(1234, {}).ok);
        QCOMPARE(env.readFile(Dc09Keys::fileName), "# note\r\nbad line\r\n77 CCCCCCCCCCCCCCCC\r\n");
        QVERIFY(!keys.key("001234"));
    }

    // A message is a repeat within the window only; a claim given back is none; the memory
    // keeps at most its capacity of capped claims, the oldest going first.
    void repeatsAreRememberedForAWhile() {
        RepeatedMessages seen(1000, 3);
        const auto repeat = [&seen](const QByteArray &key, qint64 at) {
            return seen.repeatOrClaim({key}, at, true).repeat;
        };
        QVERIFY(!repeat("a", 0));
        QVERIFY(repeat("a", 999));
        QVERIFY(!repeat("a", 1000));
        seen.release(seen.repeatOrClaim({"b"}, 1100, true).claim);
        QVERIFY(!repeat("b", 1200));
        QVERIFY(repeat("b", 1300));
        QVERIFY(!repeat("c", 1400));
        QVERIFY(!repeat("d", 1500));
        QVERIFY(seen.size() <= 3);
        QVERIFY(repeat("d", 1600));
        QVERIFY(repeat("c", 1600));
        QVERIFY(!repeat("a", 1600)); // still within its window, but the oldest
    }

    // An encrypted message is found by any of its keys, tells how far its first copy has come,
    // outlasts a flood of clear ones, and once on the disk a restart within its window; a claim
    // whose message never reached the disk does not come back.
    void encryptedMessagesLastTheirWindowAndARestart() {
        TempEnvironment env;
        const QString path = env.filePath(RepeatedMessages::fileName);
        const QDateTime start = QDateTime::currentDateTime();
        Clock::setNowFunction([start] { return start; });
        {
            RepeatedMessages seen(60000, 2);
            QVERIFY(seen.open(path, 0).isEmpty());
            const quint64 sealed = seen.repeatOrClaim({"seq 42", "content"}, 0, false).claim;
            const RepeatedMessages::Seen writing =
                seen.repeatOrClaim({"seq 43", "content"}, 1, false);
            QVERIFY(writing.repeat && !writing.ticket);
            seen.written(sealed, 7);
            QCOMPARE(seen.repeatOrClaim({"seq 42"}, 2, false).ticket, std::optional<quint64>(7));
            seen.settle(sealed);
            seen.repeatOrClaim({"lost"}, 3, true);
            for (const QByteArray key : {"x", "y", "z"})
                QVERIFY(!seen.repeatOrClaim({key}, 4, true).repeat);
            QVERIFY(seen.repeatOrClaim({"content"}, 5, true).repeat);
        }
        RepeatedMessages restarted(60000, 2);
        QVERIFY(restarted.open(path, 1000000).isEmpty());
        const RepeatedMessages::Seen replay =
            restarted.repeatOrClaim({"seq 44", "content"}, 1000001, false);
        QVERIFY(replay.repeat);
        QCOMPARE(replay.ticket, std::optional<quint64>(0)); // on the disk: nothing to wait for
        QVERIFY(!restarted.repeatOrClaim({"z"}, 1000001, true).repeat);

        Clock::setNowFunction([start] { return start.addSecs(60); });
        RepeatedMessages later(60000, 2);
        QVERIFY(later.open(path, 0).isEmpty());
        QVERIFY(!later.repeatOrClaim({"content"}, 1, false).repeat);
        Clock::setNowFunction({});
    }
};

QTEST_MAIN(Dc09KeysTest)
#include "test_dc09keys.moc"
