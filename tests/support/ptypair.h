#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair standing in for a serial cable: the program opens slavePath() with
// QSerialPort, the test talks through the master side. The master is raw and non-blocking.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // Writes from the far end; true when every byte went out.
    bool write(const QByteArray &bytes);
    // Reads what the program has written so far (does not wait).
    QByteArray readAvailable();
    // Reads until `count` bytes have arrived or `timeoutMs` passed, processing Qt events meanwhile.
    QByteArray readAtLeast(int count, int timeoutMs = 10000);
    // The far end goes away for good, like an unplugged adapter: the slave device disappears and
    // a port still open on it fails.
    void hangUp();

private:
    int m_master = -1;
    int m_slaveKeepAlive = -1; // keeps the slave side alive when the program closes its port
    QString m_slavePath;
};
