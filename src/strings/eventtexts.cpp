#include "eventtexts.h"

#include <QCoreApplication>

#include <iterator>

namespace {

constexpr int contactIdEntries = 1000;
constexpr int siaEntries = 201;

// Each Contact ID text goes to the index named by its first three digits; the SIA texts fill
// entries 1 onwards in this order. The source texts are the program's own (English) language.
constexpr const char *contactIdNames[] = {
    QT_TRANSLATE_NOOP("EventTexts", "100 Medical"),
    QT_TRANSLATE_NOOP("EventTexts", "101 Pendant Transmitter"),
    QT_TRANSLATE_NOOP("EventTexts", "102 Fail to Report In"),
    QT_TRANSLATE_NOOP("EventTexts", "110 Fire Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "111 Smoke"),
    QT_TRANSLATE_NOOP("EventTexts", "112 Combustion"),
    QT_TRANSLATE_NOOP("EventTexts", "113 Water Flow"),
    QT_TRANSLATE_NOOP("EventTexts", "114 Heat"),
    QT_TRANSLATE_NOOP("EventTexts", "115 Pull Station"),
    QT_TRANSLATE_NOOP("EventTexts", "116 Duct"),
    QT_TRANSLATE_NOOP("EventTexts", "117 Flame"),
    QT_TRANSLATE_NOOP("EventTexts", "118 Near Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "120 Panic"),
    QT_TRANSLATE_NOOP("EventTexts", "121 Duress"),
    QT_TRANSLATE_NOOP("EventTexts", "122 Silent"),
    QT_TRANSLATE_NOOP("EventTexts", "123 Audible"),
    QT_TRANSLATE_NOOP("EventTexts", "130 Burglary"),
    QT_TRANSLATE_NOOP("EventTexts", "131 Perimeter"),
    QT_TRANSLATE_NOOP("EventTexts", "132 Interior"),
    QT_TRANSLATE_NOOP("EventTexts", "133 24 Hour"),
    QT_TRANSLATE_NOOP("EventTexts", "134 Entry/Exit"),
    QT_TRANSLATE_NOOP("EventTexts", "135 Day/Night"),
    QT_TRANSLATE_NOOP("EventTexts", "136 Outdoor"),
    QT_TRANSLATE_NOOP("EventTexts", "137 Tamper"),
    QT_TRANSLATE_NOOP("EventTexts", "138 Near Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "139 Confirmed Intruder"),
    QT_TRANSLATE_NOOP("EventTexts", "140 General Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "143 Exp. module failure"),
    QT_TRANSLATE_NOOP("EventTexts", "144 Sensor tamper"),
    QT_TRANSLATE_NOOP("EventTexts", "145 Module Tamper"),
    QT_TRANSLATE_NOOP("EventTexts", "150 24 Hour non-Burg"),
    QT_TRANSLATE_NOOP("EventTexts", "151 Gas detected"),
    QT_TRANSLATE_NOOP("EventTexts", "152 Refrigeration"),
    QT_TRANSLATE_NOOP("EventTexts", "153 Loss of Heat"),
    QT_TRANSLATE_NOOP("EventTexts", "154 Water Leakage"),
    QT_TRANSLATE_NOOP("EventTexts", "155 Foil Break"),
    QT_TRANSLATE_NOOP("EventTexts", "156 Day Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "157 Low bottled Gas level"),
    QT_TRANSLATE_NOOP("EventTexts", "158 High Temp"),
    QT_TRANSLATE_NOOP("EventTexts", "159 Low Temp"),
    QT_TRANSLATE_NOOP("EventTexts", "161 Loss of Air Flow"),
    QT_TRANSLATE_NOOP("EventTexts", "200 24 Hour non-Burg"),
    QT_TRANSLATE_NOOP("EventTexts", "201 Low Water Pressure"),
    QT_TRANSLATE_NOOP("EventTexts", "202 Low CO2"),
    QT_TRANSLATE_NOOP("EventTexts", "203 Gate Valve Sensor"),
    QT_TRANSLATE_NOOP("EventTexts", "204 Low water level"),
    QT_TRANSLATE_NOOP("EventTexts", "205 Pump activated"),
    QT_TRANSLATE_NOOP("EventTexts", "206 Pump failure"),
    QT_TRANSLATE_NOOP("EventTexts", "220 Key Tube Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "300 System Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "301 AC Loss"),
    QT_TRANSLATE_NOOP("EventTexts", "302 Low System Battery"),
    QT_TRANSLATE_NOOP("EventTexts", "303 RAM checksum bad"),
    QT_TRANSLATE_NOOP("EventTexts", "304 ROM checksum bad"),
    QT_TRANSLATE_NOOP("EventTexts", "305 System Reset"),
    QT_TRANSLATE_NOOP("EventTexts", "306 Panel prog. Changed"),
    QT_TRANSLATE_NOOP("EventTexts", "307 Self-test failure"),
    QT_TRANSLATE_NOOP("EventTexts", "308 System Shutdown"),
    QT_TRANSLATE_NOOP("EventTexts", "309 Battery Test Failure"),
    QT_TRANSLATE_NOOP("EventTexts", "310 Ground Fault"),
    QT_TRANSLATE_NOOP("EventTexts", "320 Sounder/Relay"),
    QT_TRANSLATE_NOOP("EventTexts", "321 Bell 1"),
    QT_TRANSLATE_NOOP("EventTexts", "322 Bell 2"),
    QT_TRANSLATE_NOOP("EventTexts", "323 Alarm Relay"),
    QT_TRANSLATE_NOOP("EventTexts", "324 Trouble Relay"),
    QT_TRANSLATE_NOOP("EventTexts", "325 Reversing"),
    QT_TRANSLATE_NOOP("EventTexts", "328 Aux Fault"),
    QT_TRANSLATE_NOOP("EventTexts", "330 System Peripheral"),
    QT_TRANSLATE_NOOP("EventTexts", "331 Polling Loop Open"),
    QT_TRANSLATE_NOOP("EventTexts", "332 Polling Loop Short"),
    QT_TRANSLATE_NOOP("EventTexts", "333 Exp. Module Failure"),
    QT_TRANSLATE_NOOP("EventTexts", "334 Repeater Failure"),
    QT_TRANSLATE_NOOP("EventTexts", "335 Local Printer Paper Out"),
    QT_TRANSLATE_NOOP("EventTexts", "336 Local Printer Failure"),
    QT_TRANSLATE_NOOP("EventTexts", "350 Communication Fault"),
    QT_TRANSLATE_NOOP("EventTexts", "351 Telephone 1 Fault"),
    QT_TRANSLATE_NOOP("EventTexts", "352 Telephone 2 Fault"),
    QT_TRANSLATE_NOOP("EventTexts", "353 Lng-Rnge Rad. xmttr. Fault"),
    QT_TRANSLATE_NOOP("EventTexts", "354 Fail to Communicate"),
    QT_TRANSLATE_NOOP("EventTexts", "355 Loss of radio super."),
    QT_TRANSLATE_NOOP("EventTexts", "356 Loss of central polling"),
    QT_TRANSLATE_NOOP("EventTexts", "370 Protection Loop"),
    QT_TRANSLATE_NOOP("EventTexts", "371 Protection Loop open"),
    QT_TRANSLATE_NOOP("EventTexts", "372 Protection Loop short"),
    QT_TRANSLATE_NOOP("EventTexts", "373 Fire Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "380 Sensor Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "381 Loss of super. RF"),
    QT_TRANSLATE_NOOP("EventTexts", "382 Loss of super. RPM"),
    QT_TRANSLATE_NOOP("EventTexts", "383 Sensor Tamper"),
    QT_TRANSLATE_NOOP("EventTexts", "384 RF xmitter low battery"),
    QT_TRANSLATE_NOOP("EventTexts", "400 Open/Close"),
    QT_TRANSLATE_NOOP("EventTexts", "401 O/C by User"),
    QT_TRANSLATE_NOOP("EventTexts", "402 Group O/C"),
    QT_TRANSLATE_NOOP("EventTexts", "403 Automatic O/C"),
    QT_TRANSLATE_NOOP("EventTexts", "404 Late to O/C"),
    QT_TRANSLATE_NOOP("EventTexts", "405 Deferred O/C"),
    QT_TRANSLATE_NOOP("EventTexts", "406 Cancel"),
    QT_TRANSLATE_NOOP("EventTexts", "407 Remote Arm/Disarm"),
    QT_TRANSLATE_NOOP("EventTexts", "408 Quick Arm"),
    QT_TRANSLATE_NOOP("EventTexts", "409 Keyswitch O/C"),
    QT_TRANSLATE_NOOP("EventTexts", "411 Download Access"),
    QT_TRANSLATE_NOOP("EventTexts", "412 Successful Download access"),
    QT_TRANSLATE_NOOP("EventTexts", "413 Unsuccessful access"),
    QT_TRANSLATE_NOOP("EventTexts", "414 System Shutdown"),
    QT_TRANSLATE_NOOP("EventTexts", "415 Dialer Shutdown"),
    QT_TRANSLATE_NOOP("EventTexts", "421 Access denied"),
    QT_TRANSLATE_NOOP("EventTexts", "422 Access report by user"),
    QT_TRANSLATE_NOOP("EventTexts", "457 Exit Error"),
    QT_TRANSLATE_NOOP("EventTexts", "459 Recent Close"),
    QT_TRANSLATE_NOOP("EventTexts", "520 Sounder/Relay disable"),
    QT_TRANSLATE_NOOP("EventTexts", "521 Bell 1 disable"),
    QT_TRANSLATE_NOOP("EventTexts", "522 Bell 2 disable"),
    QT_TRANSLATE_NOOP("EventTexts", "523 Alarm relay disable"),
    QT_TRANSLATE_NOOP("EventTexts", "524 Trouble relay disable"),
    QT_TRANSLATE_NOOP("EventTexts", "525 Reversing relay disable"),
    QT_TRANSLATE_NOOP("EventTexts", "551 Dialer disabled"),
    QT_TRANSLATE_NOOP("EventTexts", "552 Radio xmitter disabled"),
    QT_TRANSLATE_NOOP("EventTexts", "570 Zone bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "571 Fire bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "572 24 Hour zone bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "573 Burg bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "574 Group bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "575 Swinger Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "601 Manual Trigger Test"),
    QT_TRANSLATE_NOOP("EventTexts", "602 Periodic Test report"),
    QT_TRANSLATE_NOOP("EventTexts", "603 Periodic RF xmission"),
    QT_TRANSLATE_NOOP("EventTexts", "604 Fire test"),
    QT_TRANSLATE_NOOP("EventTexts", "605 Status report to follow"),
    QT_TRANSLATE_NOOP("EventTexts", "606 Listen-in to follow"),
    QT_TRANSLATE_NOOP("EventTexts", "607 Walk test mode"),
    QT_TRANSLATE_NOOP("EventTexts", "621 Event log Reset"),
    QT_TRANSLATE_NOOP("EventTexts", "622 Event Log 50% full"),
    QT_TRANSLATE_NOOP("EventTexts", "623 Event log 90% full"),
    QT_TRANSLATE_NOOP("EventTexts", "624 Event log overflow"),
    QT_TRANSLATE_NOOP("EventTexts", "625 Time/Date reset"),
    QT_TRANSLATE_NOOP("EventTexts", "626 Time/Date inaccurate"),
    QT_TRANSLATE_NOOP("EventTexts", "627 Program mode entry"),
    QT_TRANSLATE_NOOP("EventTexts", "628 Program Mode exit."),
    QT_TRANSLATE_NOOP("EventTexts", "631 Exception Schedule change"),
};

constexpr const char *siaNames[] = {
    QT_TRANSLATE_NOOP("EventTexts", "** Not Reported"),
    QT_TRANSLATE_NOOP("EventTexts", "MA Medical Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "MH Medical Alarm Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "MB Medical Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "MU Medical Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "FA Fire Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "FH Fire Alarm Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "FB Fire Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "FU Fire Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "FT Fire Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "FJ Fire Trouble Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "HA Holdup Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "HH Holdup Alarm Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "HB Holdup Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "HU Holdup Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "PA Panic Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "PH Panic Alarm Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "PB Panic Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "PU Panic Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "QA Emergency Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "QR Emergency Alarm Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "QB Emergency Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "QU Emergency Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "BA Burglary Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "BH Burglary Alarm Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "BB Burglary Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "BU Burglary Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "BV Burglary Verified"),
    QT_TRANSLATE_NOOP("EventTexts", "UA Untyped Zone Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "UH Untyped Zone Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "UB Untyped Zone Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "UU Untyped Zone Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "GA Gas Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "GH Gas Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "GB Gas Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "GU Gas Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "KA Heat Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "KH Heat Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "KB Heat Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "KU Heat Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "SA Sprinkler Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "SH Sprinkler Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "SB Sprinkler Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "SU Sprinkler Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "WA Water Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "WH Water Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "WB Water Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "WU Water Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "ZA Freeze Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "ZH Freeze Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "ZB Freeze Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "ZU Freeze Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "AT AC Loss"),
    QT_TRANSLATE_NOOP("EventTexts", "AR AC Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "EE Exit Error"),
    QT_TRANSLATE_NOOP("EventTexts", "YP Auxiliary Power Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "YQ Auxiliary Power Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "YT Battery Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "YR Battery Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "YW System Reset (Watch dog)"),
    QT_TRANSLATE_NOOP("EventTexts", "YM System Battery Missing"),
    QT_TRANSLATE_NOOP("EventTexts", "UT General Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "UJ General Trouble Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "ET Expansion Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "ER Expansion Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "TA Tamper alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "TR Tamper Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "TB Tamper Bypass"),
    QT_TRANSLATE_NOOP("EventTexts", "TU Tamper Unbypass"),
    QT_TRANSLATE_NOOP("EventTexts", "YX Service Required"),
    QT_TRANSLATE_NOOP("EventTexts", "JA User Code Tamper/lockout"),
    QT_TRANSLATE_NOOP("EventTexts", "YA Bell Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "YH Bell Trouble Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "LT Phone Line Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "LR Phone Line Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "YC Communication Restore"),
    QT_TRANSLATE_NOOP("EventTexts", "BC Burglary Cancel"),
    QT_TRANSLATE_NOOP("EventTexts", "CA Automatic Closing"),
    QT_TRANSLATE_NOOP("EventTexts", "OA Automatic Opening"),
    QT_TRANSLATE_NOOP("EventTexts", "CL System Closed"),
    QT_TRANSLATE_NOOP("EventTexts", "OP System Opened"),
    QT_TRANSLATE_NOOP("EventTexts", "CG Area Closed"),
    QT_TRANSLATE_NOOP("EventTexts", "OG Area Opened"),
    QT_TRANSLATE_NOOP("EventTexts", "OR Open After an Alarm"),
    QT_TRANSLATE_NOOP("EventTexts", "OC Cancel Report"),
    QT_TRANSLATE_NOOP("EventTexts", "CR Recent Closing"),
    QT_TRANSLATE_NOOP("EventTexts", "CW Force Armed"),
    QT_TRANSLATE_NOOP("EventTexts", "CE Auto Arming Cancelled"),
    QT_TRANSLATE_NOOP("EventTexts", "RB Remote UDL begin"),
    QT_TRANSLATE_NOOP("EventTexts", "RS Remote UDL Successful"),
    QT_TRANSLATE_NOOP("EventTexts", "DC Access Closed"),
    QT_TRANSLATE_NOOP("EventTexts", "DD Access Denied"),
    QT_TRANSLATE_NOOP("EventTexts", "DG Access Granted"),
    QT_TRANSLATE_NOOP("EventTexts", "DK Access Lockout"),
    QT_TRANSLATE_NOOP("EventTexts", "RX Manual Trigger Test"),
    QT_TRANSLATE_NOOP("EventTexts", "RP Periodic Test report"),
    QT_TRANSLATE_NOOP("EventTexts", "RR Power Up"),
    QT_TRANSLATE_NOOP("EventTexts", "FX Fire test"),
    QT_TRANSLATE_NOOP("EventTexts", "TS Walk test mode Started"),
    QT_TRANSLATE_NOOP("EventTexts", "TE Walk test mode ended"),
    QT_TRANSLATE_NOOP("EventTexts", "JL Event log 90% full"),
    QT_TRANSLATE_NOOP("EventTexts", "JO Event log overflow"),
    QT_TRANSLATE_NOOP("EventTexts", "JD Date changed"),
    QT_TRANSLATE_NOOP("EventTexts", "JT Time Changed"),
    QT_TRANSLATE_NOOP("EventTexts", "LB Program mode entry"),
    QT_TRANSLATE_NOOP("EventTexts", "LS Program Mode exit"),
    QT_TRANSLATE_NOOP("EventTexts", "XT Transmitter Battery Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "YS Communication Trouble"),
    QT_TRANSLATE_NOOP("EventTexts", "XR Transmitter Battery Restore"),
};

static_assert(std::size(contactIdNames) == 139);
static_assert(std::size(siaNames) == 109);

QByteArray translated(const char *sourceText) {
    return QCoreApplication::translate("EventTexts", sourceText).toLatin1();
}

// The index comes from the source text, so a translation cannot move an entry.
int contactIdIndex(const char *sourceText) {
    return (sourceText[0] - '0') * 100 + (sourceText[1] - '0') * 10 + (sourceText[2] - '0');
}

} // namespace

EventTexts::EventTexts() {
    m_contactId.reserve(contactIdEntries);
    for (int code = 0; code < contactIdEntries; ++code)
        m_contactId.push_back(QByteArray::number(code));
    for (const char *name : contactIdNames)
        m_contactId[static_cast<std::size_t>(contactIdIndex(name))] = translated(name);

    m_sia.reserve(siaEntries);
    for (int index = 0; index < siaEntries; ++index)
        m_sia.push_back(QByteArray::number(index));
    std::size_t index = 1;
    for (const char *name : siaNames)
        m_sia[index++] = translated(name);
}

QByteArray EventTexts::ContactIDText(int code) const {
    if (code < 0 || code >= contactIdEntries)
        return QByteArray();
    return m_contactId[static_cast<std::size_t>(code)];
}

QByteArray EventTexts::findSiaText(const QByteArray &code) const {
    // Entry 0 is never searched; the numeric entries 110..200 can answer the codes "11".."20".
    for (std::size_t index = 1; index < m_sia.size(); ++index) {
        if (m_sia[index].left(2) == code)
            return m_sia[index];
    }
    return QByteArray();
}

QByteArray EventTexts::SIAText(int index) const {
    if (index < 0 || index >= siaEntries)
        return QByteArray();
    return m_sia[static_cast<std::size_t>(index)];
}
