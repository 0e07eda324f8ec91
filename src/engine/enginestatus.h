#pragma once

#include <QString>
#include <array>

// Which address the Tx link's connection goes to; the main window shows it as the light's colour.
enum class TxTarget { Primary, Secondary, SelfTest };

inline const QString noNuaText = QStringLiteral("----------");
inline const QString noTxAddressText = QStringLiteral("--------------");

// What the transmit link shows; the link alone writes it.
struct TxLinkStatus {
    bool connected = false; // ConnectedLED5
    TxTarget target = TxTarget::Primary;
    QString address = noTxAddressText; // Tx_Address
    bool comOk = true;                 // ComOK: "OK" or "FAULT"
    bool faultLed = false;             // ComFaultLED
};

// What the IP network shows; its START/STOP IP toggle alone writes it.
struct IpNetworkStatus {
    bool connected = false;    // ConnectedLED3
    QString peer = noNuaText;  // Pad_NUA3
    bool labelEnabled = false; // ComLabIP
};

// What the main window shows of the lines, put together from the parts above and the serial
// lines' own by the engine on every tick.
struct EngineStatus {
    std::array<bool, 4> connected{}; // ConnectedLED1..3 (index 0 unused)
    std::array<QString, 4> padNua{QString(), noNuaText, noNuaText, noNuaText}; // Pad_NUA1..3
    std::array<bool, 6> labelEnabled{}; // ComLab1, ComLab2, ComLabIP (3), ComLabTx (5)
    bool txConnected = false;           // ConnectedLED5
    TxTarget txTarget = TxTarget::Primary;
    QString txAddress = noTxAddressText; // Tx_Address
    bool comOk = true;                   // ComOK: "OK" or "FAULT"
    bool faultLed = false;               // ComFaultLED

    bool operator==(const EngineStatus &) const = default;
};
