#pragma once

#include <QString>
#include <array>

// Every value the monitor keeps between runs, and the few it keeps only while running.
enum class SettingKey {
    Port1Num,
    Port1Speed,
    Port1Parity,
    Port1DataBits,
    Port1StopBits,
    Port1Ack,
    Port2Num,
    Port2Speed,
    Port2Parity,
    Port2DataBits,
    Port2StopBits,
    Port2Ack,
    DisableTxAck,
    TcpPort,
    RxNum,
    RxLine,
    TxAtt,
    TxTimeout,
    HeartBeat,
    TermChar,
    FltTimer,
    TxAck,
    TxNum,
    TxSpeed,
    TxParity,
    TxDataBits,
    TxStopBits,
    FromReceiver,
    Password,
    PollTimeOut,
    TxIpAdd,
    TxIpPort,
    TxIpAdd2,
    TxIpPort2,
    PollingCode,
    Port1Open,
    Port2Open,
    TcpOpen,
    SpareOpen,
    TxOpen,
    OutputFormat,
    SaveRx,
    ProcessData,
    InTray,
    TxVoduro,
    ForceBackup,
    // The operator's choice of language for the next start; empty: the system's, else English.
    Language,
    // DC-09 on the IP receiver's port: on at all, clear (unencrypted) messages accepted, and the
    // time of clear messages checked like that of encrypted ones.
    Dc09On,
    Dc09AcceptClear,
    Dc09CheckClearTime,
    // Where the main window stood, "left top width height" in pixels, followed by " maximised"
    // when it was; empty: the window takes its own size and the desktop places it.
    MainWindow,
    // The column widths the operator set in each event list, one entry per column, "-" for a
    // column the program sizes itself; empty: every column is the program's.
    ContactIdWidths,
    FastWidths,
    SiaWidths,
    PollWidths,
    // The IP receiver's limit of open connections; more are closed as soon as they come.
    MaxConnections,
    // The addresses of the monitors that forward their automation lines to this one, separated
    // by blanks or commas; empty: none.
    ForwardingMonitors,
    // "Known accounts only": the IP receiver takes reports only from the accounts of the account
    // table and of the DC-09 key file.
    KnownAccountsOnly,
    // The receiver's own account: the monitor's trouble lines go under it; empty: none.
    ReceiverAccount,
    // Not stored: they start with these values at every start.
    PollFailCodeSia,
    PollRestCodeSia,
    LogConnections,
    Count
};

enum class SettingSection { Integers, Strings, Logic, NotStored };

struct SettingRow {
    SettingKey key;
    SettingSection section;
    const char *name;     // value name in the store
    const char *fallback; // default, as stored text
    int choices;          // drop-down lists: number of items; 0 otherwise
    // Numbers: the range their users can work with (they are multiplied into ticks, narrowed
    // into a byte or a port, or counted down). Empty for other settings.
    int minimum = 0;
    int maximum = 0;
    // A stored number below the range gives the default instead of the minimum: for a limit,
    // where 0 says "not set" rather than "none".
    bool belowRangeGivesDefault = false;

    constexpr bool isNumber() const { return minimum < maximum; }
    // The default of an "Integers" or "Logic" value or of a number, as a number.
    int fallbackNumber() const;
};

constexpr int settingCount = static_cast<int>(SettingKey::Count);

// The table of every setting, in the order the values are read.
const std::array<SettingRow, settingCount> &settingRows();
const SettingRow &settingRow(SettingKey key);

// The order in which the values are written back.
const std::array<SettingKey, 59> &settingWriteOrder();

// Drop-down item lists shared by the windows and the engine.
constexpr int comPortChoices = 9; // "Com1" ... "Com9"
constexpr int txPortTcpIndex = 9; // "TCP/IP", the tenth item of the Tx port list
constexpr int speedChoices = 7;   // "300" ... "38400"
int baudRateForIndex(int index);  // 0 for an index outside the list
constexpr int deviceCount = 9;
