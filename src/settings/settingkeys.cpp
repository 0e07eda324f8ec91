#include "settingkeys.h"

#include <cstddef>
#include <cstdlib>

namespace {

using K = SettingKey;
using S = SettingSection;

// No setting may overflow a tick counter, go out as a different terminator byte or port, or keep
// the attempts from ever running out.
constexpr int maxSeconds = 3600;
constexpr int maxAttempts = 100;
constexpr int maxPort = 65535;

constexpr std::array<SettingRow, settingCount> rows{{
    {K::Port1Num, S::Integers, "Port 1 Num", "0", comPortChoices},
    {K::Port1Speed, S::Integers, "Port 1 Speed", "3", speedChoices},
    {K::Port1Parity, S::Logic, "Port 1 Parity", "1", 0},
    {K::Port1DataBits, S::Logic, "Port 1 Data Bits", "1", 0},
    {K::Port1StopBits, S::Logic, "Port 1 Stop Bits", "0", 0},
    {K::Port1Ack, S::Logic, "Port 1 Ack", "1", 0},
    {K::Port2Num, S::Integers, "Port 2 Num", "0", comPortChoices},
    {K::Port2Speed, S::Integers, "Port 2 Speed", "3", speedChoices},
    {K::Port2Parity, S::Logic, "Port 2 Parity", "1", 0},
    {K::Port2DataBits, S::Logic, "Port 2 Data Bits", "1", 0},
    {K::Port2StopBits, S::Logic, "Port 2 Stop Bits", "0", 0},
    {K::Port2Ack, S::Logic, "Port 2 Ack", "1", 0},
    {K::DisableTxAck, S::Logic, "Disable Tx Ack", "0", 0},
    {K::TcpPort, S::Strings, "TCP Port", "10001", 0, 1, maxPort},
    {K::RxNum, S::Strings, "RX Num", "04", 0},
    {K::RxLine, S::Strings, "RX Line", "1", 0},
    {K::TxAtt, S::Strings, "TX Att", "4", 0, 1, maxAttempts},
    {K::TxTimeout, S::Strings, "TX Timeout", "10", 0, 1, maxSeconds},
    {K::HeartBeat, S::Strings, "Heart Beat", "30", 0, 0, maxSeconds},
    {K::TermChar, S::Strings, "Term Char", "20", 0, 0, 255},
    {K::FltTimer, S::Strings, "Flt Timer", "30", 0, 0, maxSeconds},
    {K::TxAck, S::Logic, "Tx Ack", "1", 0},
    {K::TxNum, S::Integers, "Tx Num", "0", comPortChoices + 1},
    {K::TxSpeed, S::Integers, "Tx Speed", "3", speedChoices},
    {K::TxParity, S::Logic, "Tx Parity", "0", 0},
    {K::TxDataBits, S::Logic, "Tx Data Bits", "0", 0},
    {K::TxStopBits, S::Logic, "Tx Stop Bits", "0", 0},
    {K::FromReceiver, S::Logic, "From Receiver", "0", 0},
    {K::Password, S::Strings, "PW", "6158", 0},
    {K::PollTimeOut, S::Integers, "PollTimeOut", "1", 0, 0, 999},
    {K::TxIpAdd, S::Strings, "Tx IP Add", "192.168.0.1", 0},
    {K::TxIpPort, S::Strings, "Tx IP Port", "2000", 0, 1, maxPort},
    {K::TxIpAdd2, S::Strings, "Tx IP Add2", "", 0},
    {K::TxIpPort2, S::Strings, "Tx IP Port2", "2000", 0, 1, maxPort},
    {K::PollingCode, S::Strings, "Polling Code", "350", 0},
    {K::Port1Open, S::Logic, "Port1 Open", "0", 0},
    {K::Port2Open, S::Logic, "Port2 Open", "0", 0},
    {K::TcpOpen, S::Logic, "TCP Open", "0", 0},
    {K::SpareOpen, S::Logic, "Spare Open", "0", 0},
    {K::TxOpen, S::Logic, "Tx Open", "0", 0},
    {K::OutputFormat, S::Integers, "Output Format", "0", 2},
    {K::SaveRx, S::Logic, "Save Rx", "0", 0},
    {K::ProcessData, S::Logic, "Process Data", "1", 0},
    {K::InTray, S::Logic, "In Tray", "1", 0},
    {K::TxVoduro, S::Logic, "Tx Voduro", "0", 0},
    {K::ForceBackup, S::Logic, "Force Backup", "0", 0},
    {K::Language, S::Strings, "Language", "", 0},
    {K::Dc09On, S::Logic, "DC09 On", "1", 0},
    {K::Dc09AcceptClear, S::Logic, "DC09 Accept Clear", "1", 0},
    {K::Dc09CheckClearTime, S::Logic, "DC09 Check Clear Time", "0", 0},
    {K::MainWindow, S::Strings, "Main Window", "", 0},
    {K::ContactIdWidths, S::Strings, "ContactIDList Widths", "", 0},
    {K::FastWidths, S::Strings, "FastList Widths", "", 0},
    {K::SiaWidths, S::Strings, "SIAList Widths", "", 0},
    {K::PollWidths, S::Strings, "Poll_List Widths", "", 0},
    {K::MaxConnections, S::Integers, "Max Connections", "20000", 0, 1, 1'000'000, true},
    {K::ForwardingMonitors, S::Strings, "Forwarding Monitors", "", 0},
    {K::KnownAccountsOnly, S::Logic, "Known accounts only", "0", 0},
    {K::ReceiverAccount, S::Strings, "Receiver Account", "", 0},
    {K::PollFailCodeSia, S::NotStored, "PollFailCodeSIA", "YC", 0},
    {K::PollRestCodeSia, S::NotStored, "PollRestCodeSIA", "YK", 0},
    {K::LogConnections, S::NotStored, "Log_Con", "0", 0},
}};

constexpr bool rowsInKeyOrder() {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (static_cast<std::size_t>(rows[i].key) != i)
            return false;
    return true;
}
static_assert(rowsInKeyOrder(), "the setting table must follow the key order");

// clang-format off
constexpr std::array<SettingKey, 59> writeOrder{{
    K::Port1Num,      K::Port1Speed,   K::Port1Parity,  K::Port1DataBits,   K::Port1StopBits,
    K::Port1Ack,      K::Port2Num,     K::Port2Speed,   K::Port2Parity,     K::Port2DataBits,
    K::Port2StopBits, K::Port2Ack,     K::TcpPort,      K::RxNum,           K::RxLine,
    K::TxAtt,         K::TxTimeout,    K::HeartBeat,    K::TermChar,        K::FltTimer,
    K::TxAck,         K::TxNum,        K::TxSpeed,      K::TxParity,        K::TxDataBits,
    K::TxStopBits,    K::DisableTxAck, K::TxIpAdd,      K::TxIpPort,        K::TxIpAdd2,
    K::TxIpPort2,     K::PollingCode,  K::Port1Open,    K::Port2Open,       K::TcpOpen,
    K::SpareOpen,     K::TxOpen,       K::OutputFormat, K::SaveRx,          K::ProcessData,
    K::InTray,        K::TxVoduro,     K::Password,     K::PollTimeOut,     K::FromReceiver,
    K::ForceBackup,   K::Language,     K::Dc09On,       K::Dc09AcceptClear, K::Dc09CheckClearTime,
    K::MainWindow,    K::ContactIdWidths, K::FastWidths, K::SiaWidths,      K::PollWidths,
    K::MaxConnections, K::ForwardingMonitors, K::KnownAccountsOnly, K::ReceiverAccount,
}};
// clang-format on

} // namespace

const std::array<SettingRow, settingCount> &settingRows() {
    return rows;
}

const SettingRow &settingRow(SettingKey key) {
    return rows[static_cast<std::size_t>(key)];
}

int SettingRow::fallbackNumber() const {
    return static_cast<int>(std::strtol(fallback, nullptr, 10));
}

const std::array<SettingKey, 59> &settingWriteOrder() {
    return writeOrder;
}

int baudRateForIndex(int index) {
    static constexpr int rates[speedChoices] = {300, 1200, 2400, 4800, 9600, 19200, 38400};
    return index >= 0 && index < speedChoices ? rates[index] : 0;
}
