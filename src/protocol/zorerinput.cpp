#include "protocol/zorerinput.h"

#include "protocol/bytepositions.h"

using namespace protocol::detail;

namespace {

constexpr char CR = '\r';

// "COM": the calling NUA is the 14 characters that end one separator before the word.
void scanCom(ScanResult &result, CallState &state) {
    const qsizetype p = positionOf(result.text, "COM");
    if (p == 0)
        return;
    state.lineConnected = true;
    state.callByCom = true;
    result.shown.append(result.text);
    state.lineNua = bytesAt(result.text, p - 15, 14);
    result.text.clear();
}

// "RX3": a call from the local receiver; the digit tells a short (Fast Format) report from a
// long one, and the text goes on to acceptance.
void scanRx3(ScanResult &result, CallState &state) {
    const qsizetype p = positionOf(result.text, "RX3");
    if (p == 0)
        return;
    result.text.remove(p - 1, 10);
    state.lineConnected = true;
    state.lineNua = QByteArrayLiteral("RX3");
    result.text.prepend(result.text.size() < 15 ? '1' : '2');
}

// "CONNECT": the NUA runs from after "RING " to the first CR. Its length is kept in 8 bits,
// so a CR before the NUA or no CR at all wraps it rather than going negative.
void scanConnect(ScanResult &result, CallState &state) {
    if (positionOf(result.text, "CONNECT") == 0)
        return;
    state.lineConnected = true;
    result.shown.append(result.text);
    const qsizetype ring = positionOf(result.text, "RING");
    const qsizetype s = ring > 0 ? ring + 5 : 0;
    const qsizetype e = result.text.indexOf(CR) + 1;
    const qsizetype count = static_cast<quint8>(e - s);
    state.lineNua = bytesAt(result.text, s, count);
    result.text.clear();
}

void scanClear(ScanResult &result, CallState &state) {
    if (positionOf(result.text, "CLR") == 0 && positionOf(result.text, "NO CARRIER") == 0)
        return;
    state.lineConnected = false;
    state.callByCom = false;
    result.shown.append(result.text);
    result.text.clear();
}

// A line forwarded by another monitor is taken on any slot, connected or not.
void scanForwarded(ScanResult &result) {
    if (!result.text.startsWith('9') || !result.text.contains('@'))
        return;
    result.forwarded = result.text;
    result.text.clear();
}

// On a "COM" call the unit passes the panel's digits without a format digit: a Contact ID
// report is recognised by "18" after a 4-, 5- or 6-digit account (the trailing CR counted).
QByteArray withInferredFormat(const QByteArray &text) {
    const qsizetype p = positionOf(text, "18");
    const qsizetype length = text.size();
    const bool contactId =
        (p == 5 && length == 17) || (p == 6 && length == 18) || (p == 7 && length == 19);
    return (contactId ? '2' : '1') + text;
}

} // namespace

ScanResult callControlScan(const QByteArray &text, CallState &state) {
    ScanResult result;
    result.text = text;
    scanCom(result, state);
    scanRx3(result, state);
    scanConnect(result, state);
    scanClear(result, state);
    scanForwarded(result);
    return result;
}

AcceptanceResult
acceptMessage(const QByteArray &text, CallState &state,
              const std::function<AccountVerdict(const MessageAccount &)> &lookup) {
    AcceptanceResult result;
    result.text = text;
    if (!state.lineConnected)
        return result;
    if (text.size() < 13) {
        if (text.startsWith('*'))
            state.lineConnected = false;
        return result;
    }
    if (state.callByCom)
        result.text = withInferredFormat(result.text);
    const char format = result.text.at(0);
    if (format != '1' && format != '2' && format != '3')
        return result;

    result.shown.append(result.text);
    QByteArray message = result.text;
    result.text.clear();
    if (message.size() > 2) {
        const qsizetype cr = message.indexOf(CR);
        if (cr >= 0)
            message.remove(cr, 10);
    }

    // A Fast Format text of 13 characters or fewer is never taken from a unit.
    const bool tooShort = format == '1' && message.size() <= 13;
    const AccountVerdict verdict =
        tooShort ? AccountVerdict::Refuse : lookup(messageAccount(message));
    if (verdict == AccountVerdict::Acknowledge)
        result.accepted = message;
    else
        result.shown.append(message);
    return result;
}
