<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- A small translation for the language tests only; it is never installed. -->
<TS version="2.1" language="de">
<context>
    <name>MainWindow</name>
    <message>
        <source>Log on</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
</context>
<context>
    <name>ComSetupWindow</name>
    <message>
        <source>Coms Setup</source>
        <translation>Verbindungen</translation>
    </message>
</context>
<context>
    <name>StatusPanel</name>
    <message>
        <source>IP Network</source>
        <translation>IP-Netz</translation>
    </message>
</context>
<context>
    <name>EventLists</name>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>Line Fault</source>
        <translation>Leitungsstörung</translation>
    </message>
</context>
</TS>
