#pragma once

#include <QString>

class ReceiverOutput;

// "Connections": the number of connection threads running, changed under "CSemaphore" as each
// thread starts and ends. Every change is handed to the display in the order it was made.
class ConnectionCount {
public:
    explicit ConnectionCount(ReceiverOutput &output)
        : m_output(output) {}

    void add(int delta);
    QString text() const; // "0" when none

private:
    ReceiverOutput &m_output;
    int m_count = 0; // guarded by "CSemaphore"
};
