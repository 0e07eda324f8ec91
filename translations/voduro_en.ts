<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AccountEditor</name>
    <message>
        <location filename="../src/accounts/accounteditor.cpp" line="23"/>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/accounts/accounteditor.cpp" line="23"/>
        <source>Account Not Found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/accounts/accounteditor.cpp" line="32"/>
        <location filename="../src/accounts/accounteditor.cpp" line="39"/>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/accounts/accounteditor.cpp" line="33"/>
        <source>Account already in use, do you want to overwrite?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/accounts/accounteditor.cpp" line="40"/>
        <source>You have set one of the polling times to 0, this will stop polling, are you sure?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/accounts/accounteditor.cpp" line="52"/>
        <source>I/O Error</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AccountEditorGroup</name>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="40"/>
        <source>Edit / New Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="64"/>
        <source>Synchronise  Clock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="64"/>
        <source>Match NUA / IP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="65"/>
        <source>Report fault as SIA</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="68"/>
        <source>&amp;Add / Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="77"/>
        <source>Account Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="77"/>
        <source>Account Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="78"/>
        <source>Polling Delay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="78"/>
        <source>Polling Delay (Armed)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="79"/>
        <source>NUA / IP Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="79"/>
        <source>DC-09 Key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="85"/>
        <source>Minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accounteditorgroup.cpp" line="92"/>
        <source>Number of polls that can be missed before an alarm is raised.....</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AccountPage</name>
    <message>
        <location filename="../src/ui/accountpage.cpp" line="98"/>
        <location filename="../src/ui/accountpage.cpp" line="129"/>
        <location filename="../src/ui/accountpage.cpp" line="143"/>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountpage.cpp" line="98"/>
        <source>Account Not Found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountpage.cpp" line="131"/>
        <source>The NUA / IP address holds the character &quot;%1&quot; (%2), which the account file cannot store. Nothing was saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountpage.cpp" line="133"/>
        <source>The account name holds the character &quot;%1&quot; (%2), which the account file cannot store. Nothing was saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountpage.cpp" line="143"/>
        <source>The DC-09 key must be 32, 48 or 64 hex digits, or 16, 24 or 32 characters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountpage.cpp" line="153"/>
        <source>I/O Error</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AccountTable</name>
    <message>
        <location filename="../src/accounts/accounttable.cpp" line="59"/>
        <source>%1 could not be read (%2); it is kept as it is and not saved over</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AccountView</name>
    <message>
        <location filename="../src/ui/accountview.cpp" line="82"/>
        <source>Synchronise  Clock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="82"/>
        <source>Match NUA / IP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="83"/>
        <source>Report fault as SIA</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="106"/>
        <source>&amp;First</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="107"/>
        <source>&amp;Previous</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="108"/>
        <source>&amp;Next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="109"/>
        <source>&amp;Last</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="112"/>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="113"/>
        <source>&amp;Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="119"/>
        <source>Find Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="120"/>
        <source>Enter Account Details Here - Then Click Find Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="128"/>
        <source>Account Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="128"/>
        <source>Account Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="129"/>
        <source>Polling Delay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="129"/>
        <source>Polling Delay (Armed)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="130"/>
        <source>Poll Timeout......</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="130"/>
        <source>NUA / IP Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="136"/>
        <source>Minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="139"/>
        <source>IP / NUA Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/accountview.cpp" line="153"/>
        <source>Account:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AllowanceConfirmation</name>
    <message>
        <location filename="../src/ui/allowanceconfirmation.cpp" line="29"/>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/allowanceconfirmation.cpp" line="30"/>
        <source>Are you sure you want to alter the Poll timeout value?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ByteListGroup</name>
    <message>
        <location filename="../src/ui/bytelistgroup.cpp" line="26"/>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ComSetupWindow</name>
    <message>
        <location filename="../src/ui/comsetupwindow.cpp" line="20"/>
        <source>Coms Setup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/comsetupwindow.cpp" line="29"/>
        <source>Received Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/comsetupwindow.cpp" line="35"/>
        <source>Pending Messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/comsetupwindow.cpp" line="42"/>
        <source>Tx Setup</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Engine</name>
    <message>
        <location filename="../src/engine/engine.cpp" line="387"/>
        <source>Tx link</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/engine/engine.cpp" line="387"/>
        <source>Zorer-Uda %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/engine/engine.cpp" line="389"/>
        <source>%1: device %2 lost</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/engine/engine.cpp" line="389"/>
        <source>%1: device %2 back</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EventLists</name>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="373"/>
        <location filename="../src/events/eventlistmodel.cpp" line="383"/>
        <location filename="../src/events/eventlistmodel.cpp" line="393"/>
        <location filename="../src/events/eventlistmodel.cpp" line="401"/>
        <source>Date / Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="374"/>
        <location filename="../src/events/eventlistmodel.cpp" line="384"/>
        <location filename="../src/events/eventlistmodel.cpp" line="394"/>
        <location filename="../src/events/eventlistmodel.cpp" line="402"/>
        <source>Zorer-Uda / IP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="375"/>
        <location filename="../src/events/eventlistmodel.cpp" line="385"/>
        <location filename="../src/events/eventlistmodel.cpp" line="395"/>
        <location filename="../src/events/eventlistmodel.cpp" line="403"/>
        <source>Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="376"/>
        <source>Line Fault</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="377"/>
        <source>AC Fail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="378"/>
        <source>Battery Fault</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="379"/>
        <source>Armed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="380"/>
        <source>Eng-on-Site</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="386"/>
        <source>Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="387"/>
        <source>Event Code</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="388"/>
        <source>Area</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="389"/>
        <source>User / Zone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="396"/>
        <source>Event</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="397"/>
        <source>ASCII Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/events/eventlistmodel.cpp" line="406"/>
        <source>Test</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EventPages</name>
    <message>
        <location filename="../src/ui/eventpages.cpp" line="40"/>
        <source>Contact ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/eventpages.cpp" line="41"/>
        <source>Fast Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/eventpages.cpp" line="43"/>
        <source>SIA</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/eventpages.cpp" line="44"/>
        <source>Polling</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/eventpages.cpp" line="45"/>
        <source>Tx Pending</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/eventpages.cpp" line="50"/>
        <location filename="../src/ui/eventpages.cpp" line="59"/>
        <source>Polling Accounts</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EventTexts</name>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="15"/>
        <source>100 Medical</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="16"/>
        <source>101 Pendant Transmitter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="17"/>
        <source>102 Fail to Report In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="18"/>
        <source>110 Fire Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="19"/>
        <source>111 Smoke</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="20"/>
        <source>112 Combustion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="21"/>
        <source>113 Water Flow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="22"/>
        <source>114 Heat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="23"/>
        <source>115 Pull Station</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="24"/>
        <source>116 Duct</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="25"/>
        <source>117 Flame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="26"/>
        <source>118 Near Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="27"/>
        <source>120 Panic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="28"/>
        <source>121 Duress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="29"/>
        <source>122 Silent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="30"/>
        <source>123 Audible</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="31"/>
        <source>130 Burglary</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="32"/>
        <source>131 Perimeter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="33"/>
        <source>132 Interior</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="34"/>
        <source>133 24 Hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="35"/>
        <source>134 Entry/Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="36"/>
        <source>135 Day/Night</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="37"/>
        <source>136 Outdoor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="38"/>
        <source>137 Tamper</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="39"/>
        <source>138 Near Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="40"/>
        <source>139 Confirmed Intruder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="41"/>
        <source>140 General Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="42"/>
        <source>143 Exp. module failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="43"/>
        <source>144 Sensor tamper</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="44"/>
        <source>145 Module Tamper</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="45"/>
        <source>150 24 Hour non-Burg</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="46"/>
        <source>151 Gas detected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="47"/>
        <source>152 Refrigeration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="48"/>
        <source>153 Loss of Heat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="49"/>
        <source>154 Water Leakage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="50"/>
        <source>155 Foil Break</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="51"/>
        <source>156 Day Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="52"/>
        <source>157 Low bottled Gas level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="53"/>
        <source>158 High Temp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="54"/>
        <source>159 Low Temp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="55"/>
        <source>161 Loss of Air Flow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="56"/>
        <source>200 24 Hour non-Burg</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="57"/>
        <source>201 Low Water Pressure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="58"/>
        <source>202 Low CO2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="59"/>
        <source>203 Gate Valve Sensor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="60"/>
        <source>204 Low water level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="61"/>
        <source>205 Pump activated</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="62"/>
        <source>206 Pump failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="63"/>
        <source>220 Key Tube Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="64"/>
        <source>300 System Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="65"/>
        <source>301 AC Loss</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="66"/>
        <source>302 Low System Battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="67"/>
        <source>303 RAM checksum bad</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="68"/>
        <source>304 ROM checksum bad</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="69"/>
        <source>305 System Reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="70"/>
        <source>306 Panel prog. Changed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="71"/>
        <source>307 Self-test failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="72"/>
        <source>308 System Shutdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="73"/>
        <source>309 Battery Test Failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="74"/>
        <source>310 Ground Fault</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="75"/>
        <source>320 Sounder/Relay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="76"/>
        <source>321 Bell 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="77"/>
        <source>322 Bell 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="78"/>
        <source>323 Alarm Relay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="79"/>
        <source>324 Trouble Relay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="80"/>
        <source>325 Reversing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="81"/>
        <source>328 Aux Fault</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="82"/>
        <source>330 System Peripheral</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="83"/>
        <source>331 Polling Loop Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="84"/>
        <source>332 Polling Loop Short</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="85"/>
        <source>333 Exp. Module Failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="86"/>
        <source>334 Repeater Failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="87"/>
        <source>335 Local Printer Paper Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="88"/>
        <source>336 Local Printer Failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="89"/>
        <source>350 Communication Fault</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="90"/>
        <source>351 Telephone 1 Fault</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="91"/>
        <source>352 Telephone 2 Fault</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="92"/>
        <source>353 Lng-Rnge Rad. xmttr. Fault</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="93"/>
        <source>354 Fail to Communicate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="94"/>
        <source>355 Loss of radio super.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="95"/>
        <source>356 Loss of central polling</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="96"/>
        <source>370 Protection Loop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="97"/>
        <source>371 Protection Loop open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="98"/>
        <source>372 Protection Loop short</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="99"/>
        <source>373 Fire Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="100"/>
        <source>380 Sensor Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="101"/>
        <source>381 Loss of super. RF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="102"/>
        <source>382 Loss of super. RPM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="103"/>
        <source>383 Sensor Tamper</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="104"/>
        <source>384 RF xmitter low battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="105"/>
        <source>400 Open/Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="106"/>
        <source>401 O/C by User</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="107"/>
        <source>402 Group O/C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="108"/>
        <source>403 Automatic O/C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="109"/>
        <source>404 Late to O/C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="110"/>
        <source>405 Deferred O/C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="111"/>
        <source>406 Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="112"/>
        <source>407 Remote Arm/Disarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="113"/>
        <source>408 Quick Arm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="114"/>
        <source>409 Keyswitch O/C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="115"/>
        <source>411 Download Access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="116"/>
        <source>412 Successful Download access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="117"/>
        <source>413 Unsuccessful access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="118"/>
        <source>414 System Shutdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="119"/>
        <source>415 Dialer Shutdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="120"/>
        <source>421 Access denied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="121"/>
        <source>422 Access report by user</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="122"/>
        <source>457 Exit Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="123"/>
        <source>459 Recent Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="124"/>
        <source>520 Sounder/Relay disable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="125"/>
        <source>521 Bell 1 disable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="126"/>
        <source>522 Bell 2 disable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="127"/>
        <source>523 Alarm relay disable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="128"/>
        <source>524 Trouble relay disable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="129"/>
        <source>525 Reversing relay disable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="130"/>
        <source>551 Dialer disabled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="131"/>
        <source>552 Radio xmitter disabled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="132"/>
        <source>570 Zone bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="133"/>
        <source>571 Fire bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="134"/>
        <source>572 24 Hour zone bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="135"/>
        <source>573 Burg bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="136"/>
        <source>574 Group bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="137"/>
        <source>575 Swinger Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="138"/>
        <source>601 Manual Trigger Test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="139"/>
        <source>602 Periodic Test report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="140"/>
        <source>603 Periodic RF xmission</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="141"/>
        <source>604 Fire test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="142"/>
        <source>605 Status report to follow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="143"/>
        <source>606 Listen-in to follow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="144"/>
        <source>607 Walk test mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="145"/>
        <source>621 Event log Reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="146"/>
        <source>622 Event Log 50% full</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="147"/>
        <source>623 Event log 90% full</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="148"/>
        <source>624 Event log overflow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="149"/>
        <source>625 Time/Date reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="150"/>
        <source>626 Time/Date inaccurate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="151"/>
        <source>627 Program mode entry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="152"/>
        <source>628 Program Mode exit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="153"/>
        <source>631 Exception Schedule change</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="157"/>
        <source>** Not Reported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="158"/>
        <source>MA Medical Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="159"/>
        <source>MH Medical Alarm Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="160"/>
        <source>MB Medical Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="161"/>
        <source>MU Medical Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="162"/>
        <source>FA Fire Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="163"/>
        <source>FH Fire Alarm Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="164"/>
        <source>FB Fire Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="165"/>
        <source>FU Fire Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="166"/>
        <source>FT Fire Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="167"/>
        <source>FJ Fire Trouble Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="168"/>
        <source>HA Holdup Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="169"/>
        <source>HH Holdup Alarm Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="170"/>
        <source>HB Holdup Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="171"/>
        <source>HU Holdup Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="172"/>
        <source>PA Panic Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="173"/>
        <source>PH Panic Alarm Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="174"/>
        <source>PB Panic Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="175"/>
        <source>PU Panic Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="176"/>
        <source>QA Emergency Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="177"/>
        <source>QR Emergency Alarm Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="178"/>
        <source>QB Emergency Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="179"/>
        <source>QU Emergency Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="180"/>
        <source>BA Burglary Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="181"/>
        <source>BH Burglary Alarm Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="182"/>
        <source>BB Burglary Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="183"/>
        <source>BU Burglary Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="184"/>
        <source>BV Burglary Verified</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="185"/>
        <source>UA Untyped Zone Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="186"/>
        <source>UH Untyped Zone Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="187"/>
        <source>UB Untyped Zone Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="188"/>
        <source>UU Untyped Zone Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="189"/>
        <source>GA Gas Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="190"/>
        <source>GH Gas Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="191"/>
        <source>GB Gas Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="192"/>
        <source>GU Gas Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="193"/>
        <source>KA Heat Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="194"/>
        <source>KH Heat Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="195"/>
        <source>KB Heat Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="196"/>
        <source>KU Heat Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="197"/>
        <source>SA Sprinkler Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="198"/>
        <source>SH Sprinkler Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="199"/>
        <source>SB Sprinkler Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="200"/>
        <source>SU Sprinkler Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="201"/>
        <source>WA Water Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="202"/>
        <source>WH Water Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="203"/>
        <source>WB Water Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="204"/>
        <source>WU Water Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="205"/>
        <source>ZA Freeze Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="206"/>
        <source>ZH Freeze Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="207"/>
        <source>ZB Freeze Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="208"/>
        <source>ZU Freeze Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="209"/>
        <source>AT AC Loss</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="210"/>
        <source>AR AC Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="211"/>
        <source>EE Exit Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="212"/>
        <source>YP Auxiliary Power Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="213"/>
        <source>YQ Auxiliary Power Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="214"/>
        <source>YT Battery Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="215"/>
        <source>YR Battery Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="216"/>
        <source>YW System Reset (Watch dog)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="217"/>
        <source>YM System Battery Missing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="218"/>
        <source>UT General Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="219"/>
        <source>UJ General Trouble Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="220"/>
        <source>ET Expansion Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="221"/>
        <source>ER Expansion Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="222"/>
        <source>TA Tamper alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="223"/>
        <source>TR Tamper Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="224"/>
        <source>TB Tamper Bypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="225"/>
        <source>TU Tamper Unbypass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="226"/>
        <source>YX Service Required</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="227"/>
        <source>JA User Code Tamper/lockout</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="228"/>
        <source>YA Bell Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="229"/>
        <source>YH Bell Trouble Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="230"/>
        <source>LT Phone Line Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="231"/>
        <source>LR Phone Line Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="232"/>
        <source>YC Communication Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="233"/>
        <source>BC Burglary Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="234"/>
        <source>CA Automatic Closing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="235"/>
        <source>OA Automatic Opening</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="236"/>
        <source>CL System Closed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="237"/>
        <source>OP System Opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="238"/>
        <source>CG Area Closed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="239"/>
        <source>OG Area Opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="240"/>
        <source>OR Open After an Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="241"/>
        <source>OC Cancel Report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="242"/>
        <source>CR Recent Closing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="243"/>
        <source>CW Force Armed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="244"/>
        <source>CE Auto Arming Cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="245"/>
        <source>RB Remote UDL begin</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="246"/>
        <source>RS Remote UDL Successful</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="247"/>
        <source>DC Access Closed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="248"/>
        <source>DD Access Denied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="249"/>
        <source>DG Access Granted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="250"/>
        <source>DK Access Lockout</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="251"/>
        <source>RX Manual Trigger Test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="252"/>
        <source>RP Periodic Test report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="253"/>
        <source>RR Power Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="254"/>
        <source>FX Fire test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="255"/>
        <source>TS Walk test mode Started</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="256"/>
        <source>TE Walk test mode ended</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="257"/>
        <source>JL Event log 90% full</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="258"/>
        <source>JO Event log overflow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="259"/>
        <source>JD Date changed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="260"/>
        <source>JT Time Changed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="261"/>
        <source>LB Program mode entry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="262"/>
        <source>LS Program Mode exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="263"/>
        <source>XT Transmitter Battery Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="264"/>
        <source>YS Communication Trouble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/strings/eventtexts.cpp" line="265"/>
        <source>XR Transmitter Battery Restore</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ExitPasswordWindow</name>
    <message>
        <location filename="../src/ui/exitpasswordwindow.cpp" line="13"/>
        <source>Application Password</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FormatOptionsGroup</name>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="23"/>
        <source>Save Data in LOG Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="25"/>
        <source>Process Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="27"/>
        <source>Run in Tray</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="28"/>
        <source>Forward to Voduro</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="44"/>
        <source>Format &amp;&amp; Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="50"/>
        <source>High Speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="50"/>
        <source>Basic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="52"/>
        <source>Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="63"/>
        <source>Poll Fail Code</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="67"/>
        <source>SIA</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="71"/>
        <source>Poll Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="78"/>
        <source>TX</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/formatoptionsgroup.cpp" line="80"/>
        <source>RX</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HeartBeatGroup</name>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="30"/>
        <source>Heart Beat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="36"/>
        <source>Rx Number:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="38"/>
        <source>Rx Line:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="89"/>
        <source>Receiver Account:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="39"/>
        <source>Tx Attempts:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="40"/>
        <source>Tx Timeout:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="41"/>
        <location filename="../src/ui/heartbeatgroup.cpp" line="43"/>
        <location filename="../src/ui/heartbeatgroup.cpp" line="68"/>
        <source>Sec</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="42"/>
        <source>Heartbeat:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="57"/>
        <source>Add -----&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/heartbeatgroup.cpp" line="68"/>
        <source>Fault Warning:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>IpConnectionGroup</name>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="41"/>
        <source>IP Conection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="46"/>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="53"/>
        <source>START IP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="53"/>
        <source>STOP IP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="61"/>
        <source>Log Connections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="72"/>
        <source>Accept DC-09</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="74"/>
        <source>DC-09 clear messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="77"/>
        <source>DC-09 clear message time check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="79"/>
        <source>Known accounts only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="83"/>
        <source>Listen on Port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="87"/>
        <source>Connections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/ipconnectiongroup.cpp" line="89"/>
        <source>Account</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>IpServerToggle</name>
    <message>
        <location filename="../src/engine/ipservertoggle.cpp" line="10"/>
        <source>Close all the connections already connected to Voduro.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LanguageMenu</name>
    <message>
        <location filename="../src/ui/languagemenu.cpp" line="24"/>
        <source>Restart Voduro to load new language</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LineControls</name>
    <message>
        <location filename="../src/ui/linecontrols.cpp" line="14"/>
        <source>STOP COMS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/linecontrols.cpp" line="15"/>
        <source>START COMS</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="83"/>
        <source>Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="88"/>
        <source>Setup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="90"/>
        <source>Coms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="93"/>
        <source>Exit Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="100"/>
        <location filename="../src/ui/mainwindow.cpp" line="119"/>
        <source>Log on</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="119"/>
        <source>Log off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="133"/>
        <source>Clear Events</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="134"/>
        <source>Clear Page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="188"/>
        <source>Clear Messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="189"/>
        <source>Are You Sure You Want to Clear Pending Messages?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/mainwindow.cpp" line="217"/>
        <location filename="../src/ui/mainwindow.cpp" line="233"/>
        <source>Close Application</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Monitor</name>
    <message>
        <location filename="../src/app/monitor.cpp" line="128"/>
        <source>Cannot write %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MonitorCore</name>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="168"/>
        <source>Settings file cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="169"/>
        <source>Settings file damaged (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="170"/>
        <source>the other values read, defaults for the rest</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="175"/>
        <source>%1 and cannot be moved aside; %2, settings not saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="179"/>
        <source>%1; kept as %2; %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="188"/>
        <source>Account file cannot be read (%1); no accounts loaded, the file is kept and not saved over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="208"/>
        <source>account %1: Contact ID sends 0 as &quot;A&quot;, so its panel&apos;s Contact ID reports carry account %2 and are taken as %2, not as %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="222"/>
        <source>DC-09 key file cannot be read (%1); its keys stay as they were</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="226"/>
        <source>DC-09 key file can be read by other users; make it readable by its owner only (chmod 600)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="239"/>
        <source>DC-09 key file does not read whole (line %1); the keys read before stay in use until it does</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="246"/>
        <source>line %1 holds no account and DC-09 key; skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="247"/>
        <source>lines %1 hold no account and DC-09 key; skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="317"/>
        <source>Repeat memory cannot be read (%1); DC-09 messages of the last minutes before the start are not known</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="339"/>
        <source>%1 connections in effect, as set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/monitorcore.cpp" line="344"/>
        <source>set to %1, but the open-file limit of %2 less the %3 descriptors kept for the monitor&apos;s own work leaves %4: at most %4 connections are taken (raise the limit: LimitNOFILE in the unit, ulimit -n)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OperatorAccess</name>
    <message>
        <location filename="../src/ui/operatoraccess.cpp" line="18"/>
        <source>Log on</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PasswordForm</name>
    <message>
        <location filename="../src/ui/passwordform.cpp" line="11"/>
        <source>Password:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/passwordform.cpp" line="15"/>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/passwordform.cpp" line="18"/>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PathGroup</name>
    <message>
        <location filename="../src/ui/pathgroup.cpp" line="25"/>
        <source>Path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/pathgroup.cpp" line="29"/>
        <source>Disable ACK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/pathgroup.cpp" line="34"/>
        <source>Force Backup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/pathgroup.cpp" line="40"/>
        <location filename="../src/ui/pathgroup.cpp" line="97"/>
        <source>Setup IP Secondary Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/pathgroup.cpp" line="43"/>
        <location filename="../src/ui/pathgroup.cpp" line="101"/>
        <source>Setup IP Secondary Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/pathgroup.cpp" line="72"/>
        <source>IP Primary Address &amp; Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/pathgroup.cpp" line="75"/>
        <source>IP Secondary Address &amp; Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/pathgroup.cpp" line="95"/>
        <source>Setup IP Primary Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/pathgroup.cpp" line="99"/>
        <source>Setup IP Primary Port</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QueueClearing</name>
    <message>
        <location filename="../src/ui/queueclearing.cpp" line="19"/>
        <source>Clear Events</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/queueclearing.cpp" line="20"/>
        <source>Lines not yet delivered to the automation software: %1.
They will be removed from &quot;Tx Pending&quot;; a copy of each is kept in %2.
Clear them?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/queueclearing.cpp" line="36"/>
        <source>Clear Messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/queueclearing.cpp" line="37"/>
        <source>Messages not yet decoded and delivered: %1.
They will be removed from &quot;Pending Messages&quot;; a copy of each is kept in %2.
Clear them?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/queueclearing.cpp" line="53"/>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/queueclearing.cpp" line="54"/>
        <source>The cleared items cannot be written to %1, so nothing was cleared.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QueueJournal</name>
    <message>
        <location filename="../src/store/queuejournal.cpp" line="170"/>
        <source>the queue journal is written again; messages are acknowledged again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/store/queuejournal.cpp" line="173"/>
        <source>; the %1 items it held before come back at the next start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/store/queuejournal.cpp" line="203"/>
        <source>its flush failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/store/queuejournal.cpp" line="222"/>
        <source>the directory of %1 cannot be flushed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/store/queuejournal.cpp" line="316"/>
        <source>a flush of %1 to the disk failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/store/queuejournal.cpp" line="317"/>
        <source>; written anew from the queues in memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/store/queuejournal.cpp" line="318"/>
        <source>; nothing is stored until it can be written anew</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/store/queuejournal.cpp" line="324"/>
        <source>the queue journal %1 is not open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/store/queuejournal.cpp" line="367"/>
        <source>%1; the queues cannot be written anew to make room either, having no room for a second copy (%2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SerialControls</name>
    <message>
        <location filename="../src/ui/serialcontrols.cpp" line="59"/>
        <source>7 Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/serialcontrols.cpp" line="61"/>
        <source>Even</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/serialcontrols.cpp" line="64"/>
        <source>2 Stop</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StatusPanel</name>
    <message>
        <location filename="../src/ui/statuspanel.cpp" line="44"/>
        <source>Zorer-Uda 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/statuspanel.cpp" line="45"/>
        <source>Zorer-Uda 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/statuspanel.cpp" line="46"/>
        <source>IP Network</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/statuspanel.cpp" line="68"/>
        <source>Tx Link</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/statuspanel.cpp" line="71"/>
        <location filename="../src/ui/statuspanel.cpp" line="93"/>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/statuspanel.cpp" line="77"/>
        <source>Computer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/statuspanel.cpp" line="93"/>
        <source>FAULT</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TrayControl</name>
    <message>
        <location filename="../src/ui/traycontrol.cpp" line="19"/>
        <source>Restore</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Voduro</name>
    <message>
        <location filename="../src/app/durablequeues.cpp" line="31"/>
        <source>Another Voduro monitor (process %1) is running in %2; only one may use a working directory.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/durablequeues.cpp" line="36"/>
        <source>Cannot create the lock file %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/durablequeues.cpp" line="46"/>
        <source>Queue journal cannot be written (%1); messages are not acknowledged until it can</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/durablequeues.cpp" line="51"/>
        <source>Queue journal damaged: %1 bytes skipped, the records after them kept; damaged file kept as %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/durablequeues.cpp" line="57"/>
        <source>Queue journal ended in an unfinished record: %1 bytes cut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/statusquery.cpp" line="20"/>
        <source>No Voduro monitor runs in %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/app/statusquery.cpp" line="27"/>
        <source>The Voduro monitor in %1 does not answer.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ZorerUdaGroup</name>
    <message>
        <location filename="../src/ui/zorerudagroup.cpp" line="15"/>
        <source>Zorer-Uda %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/zorerudagroup.cpp" line="19"/>
        <source>ACK Required</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/zorerudagroup.cpp" line="35"/>
        <source>From Receiver</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/zorerudagroup.cpp" line="40"/>
        <source>TX</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/zorerudagroup.cpp" line="42"/>
        <source>RX</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
