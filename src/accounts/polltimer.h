#pragma once

#include <QtGlobal>
#include <algorithm>

// Poll timer reloads: the chosen delay times the missed-poll allowance, plus 3 minutes. The
// timer is a 16-bit field of the account file; a product beyond it saturates at 65535 minutes
// rather than wrapping round to a far shorter time, which would declare a panel failed long
// before its configured time. A negative allowance (a damaged setting) counts as 0.
inline quint16 pollTimerReload(quint16 delay, int allowance) {
    const quint64 minutes = quint64(delay) * quint64(std::max(allowance, 0)) + 3u;
    return quint16(std::min<quint64>(minutes, 0xFFFF));
}

// The timer of an account at load: running only when its polling delay is set.
inline quint16 loadedPollTimer(quint16 pollDelay, int allowance) {
    return pollDelay == 0 ? 0 : pollTimerReload(pollDelay, allowance);
}

// The timer of an account saved by the editor: a running timer goes on; a new account, or one
// whose timer has stopped, starts again from the greater of its two delays. An account with both
// delays 0 is not polled at all (a radio panel kept only for its NUA): it is left unsupervised,
// as a load leaves it, rather than failed three minutes after the save.
inline quint16 savedPollTimer(quint16 currentTimer, quint16 pollDelay, quint16 armPollDelay,
                              int allowance) {
    if (pollDelay == 0 && armPollDelay == 0)
        return 0;
    if (currentTimer != 0)
        return currentTimer;
    return pollTimerReload(std::max(pollDelay, armPollDelay), allowance);
}
