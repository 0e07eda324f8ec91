#include "fuzzentries.h"
#include "fuzzinput.h"

#include "ipserver/dc09keys.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QString writtenAs(const QString &name, const QByteArray &content) {
    static QTemporaryDir directory;
    const QString path = directory.filePath(name);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(content) == content.size());
    return path;
}

bool isKeySize(qsizetype size) {
    return size == 16 || size == 24 || size == 32;
}

} // namespace

namespace fuzzentries {

// The whole input as the key file: every line either gives an account its key of a size the
// cipher takes or is a note or a numbered bad line; a save keeps the file readable.
void dc09Keys(const QByteArray &input) {
    const QString path = writtenAs(Dc09Keys::fileName, input);
    Dc09Keys keys(path);
    const Dc09Keys::LoadResult loaded = keys.load();
    FUZZ_CHECK(loaded.error.isEmpty());
    const qsizetype lineCount = input.count('\n') + 1;
    int previous = 0;
    for (int line : loaded.badLines) {
        FUZZ_CHECK(line > previous && line <= lineCount);
        previous = line;
    }
    for (const QByteArray &line : input.split('\n')) {
        const QByteArray account = line.startsWith('#') ? line.mid(1).split(' ').value(0) : line;
        if (const auto key = keys.key(account))
            FUZZ_CHECK(isKeySize(key->size()));
    }
    const quint32 number = FuzzInput(input).byte();
    if (keys.setKeyText(number, {}).ok) {
        FUZZ_CHECK(keys.load().error.isEmpty());
        FUZZ_CHECK(keys.keyText(number).isEmpty());
    }
}

} // namespace fuzzentries
