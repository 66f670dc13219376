<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ConverterInfoDialog</name>
    <message>
        <source>QL5 Converter Information</source>
        <translation>QL5-Konverterinformationen</translation>
    </message>
    <message>
        <source>Converter Information</source>
        <translation>Konverterinformationen</translation>
    </message>
    <message>
        <source>Converter Details</source>
        <translation>Konverterdetails</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>ConverterListDialog</name>
    <message>
        <source>QL5Config</source>
        <translation>QL5Config</translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation>Befehle:</translation>
    </message>
    <message>
        <source>&amp;Open Web Interface</source>
        <translation>&amp;Weboberfläche öffnen</translation>
    </message>
    <message>
        <source>&amp;Configure IP Settings</source>
        <translation>&amp;IP-Einstellungen konfigurieren</translation>
    </message>
    <message>
        <source>Converter &amp;Info</source>
        <translation>Konverter&amp;details</translation>
    </message>
    <message>
        <source>Re&amp;boot Converter</source>
        <translation>Konverter &amp;neu starten</translation>
    </message>
    <message>
        <source>&amp;Refresh List</source>
        <translation>Liste &amp;aktualisieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>List of Converters:</source>
        <translation>Liste der Konverter:</translation>
    </message>
    <message>
        <source>Shows only the converters whose row contains this text (Ctrl+F)</source>
        <translation>Zeigt nur die Konverter, deren Zeile diesen Text enthält (Strg+F)</translation>
    </message>
    <message>
        <source>Filter (Ctrl+F)</source>
        <translation>Filter (Strg+F)</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>List of Converters</source>
        <translation>Liste der Konverter</translation>
    </message>
</context>
<context>
    <name>ConverterWarnings</name>
    <message>
        <source>%1 mask %2</source>
        <translation>%1 Maske %2</translation>
    </message>
    <message>
        <source>This computer uses the same IP address %1 on this network.</source>
        <translation>Dieser Computer verwendet dieselbe IP-Adresse %1 in diesem Netzwerk.</translation>
    </message>
    <message>
        <source>Converter %1 reports the same IP address %2 on this network.</source>
        <translation>Konverter %1 meldet dieselbe IP-Adresse %2 in diesem Netzwerk.</translation>
    </message>
    <message numerus="yes">
        <source>Converter %1 and %n more report the same IP address %2 on this network.</source>
        <translation>
            <numerusform>Konverter %1 und %n weiterer melden dieselbe IP-Adresse %2 in diesem Netzwerk.</numerusform>
            <numerusform>Konverter %1 und %n weitere melden dieselbe IP-Adresse %2 in diesem Netzwerk.</numerusform>
        </translation>
    </message>
    <message>
        <source>IP address %1 is outside the local network %2, so its web interface cannot open from here.</source>
        <translation>IP-Adresse %1 liegt außerhalb des lokalen Netzwerks %2, daher lässt sich die Weboberfläche des Konverters von hier aus nicht öffnen.</translation>
    </message>
    <message>
        <source>Gateway %1 is outside the converter&apos;s own subnet %2.</source>
        <translation>Gateway %1 liegt außerhalb des eigenen Subnetzes %2 des Konverters.</translation>
    </message>
    <message>
        <source>This MAC also answered from %1: another host may be answering for it, so commands to it are refused.</source>
        <translation>Diese MAC-Adresse hat auch von %1 geantwortet: Möglicherweise antwortet ein anderer Host an ihrer Stelle, daher werden Befehle an sie abgelehnt.</translation>
    </message>
</context>
<context>
    <name>IpSettingsDialog</name>
    <message>
        <source>Set IP Address</source>
        <translation>IP-Adresse festlegen</translation>
    </message>
    <message>
        <source>Assign an IP Address, subnet mask and gateway to your QL5 converter.  Contact your network administrator if you do not know this information.</source>
        <translation>Weisen Sie Ihrem QL5-Konverter eine IP-Adresse, Subnetzmaske und ein Gateway zu.  Wenden Sie sich an Ihren Netzwerkadministrator, wenn Sie diese Angaben nicht kennen.</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>MAC-Adresse:</translation>
    </message>
    <message>
        <source>Automatically obtain network settings via DHCP</source>
        <translation>Netzwerkeinstellungen automatisch über DHCP beziehen</translation>
    </message>
    <message>
        <source>Manually configure network settings</source>
        <translation>Netzwerkeinstellungen manuell konfigurieren</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP-Adresse:</translation>
    </message>
    <message>
        <source>Subnet Mask:</source>
        <translation>Subnetzmaske:</translation>
    </message>
    <message>
        <source>Default Gateway</source>
        <translation>Standardgateway</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
</context>
<context>
    <name>RebootDialog</name>
    <message>
        <source>Reboot Converter</source>
        <translation>Konverter neu starten</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>MAC-Adresse:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Status: Reboot</source>
        <translation>Status: Neustart</translation>
    </message>
    <message>
        <source>Reboot</source>
        <translation>Neu starten</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>Searching...</source>
        <translation>Suche läuft...</translation>
    </message>
    <message>
        <source>QL5 Converter</source>
        <translation>QL5-Konverter</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC-Adresse</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Converter</source>
        <translation>Konverter</translation>
    </message>
    <message>
        <source>No QL5 was selected on list !</source>
        <translation>In der Liste wurde kein QL5 ausgewählt!</translation>
    </message>
    <message>
        <source>Internal error !</source>
        <translation>Interner Fehler!</translation>
    </message>
</context>
<context>
    <name>ql5config</name>
    <message>
        <source>An Error occured while rebooting the converter.
Error Number: %1
Error Message: %2
</source>
        <translation>Beim Neustart des Konverters ist ein Fehler aufgetreten.
Fehlernummer: %1
Fehlermeldung: %2
</translation>
    </message>
    <message>
        <source>An Error occured while setting the converter.
Error Number: %1
Error Message: %2
</source>
        <translation>Beim Einstellen des Konverters ist ein Fehler aufgetreten.
Fehlernummer: %1
Fehlermeldung: %2
</translation>
    </message>
    <message>
        <source>The password is too long: a converter accepts at most %1 bytes.
Nothing was sent.
</source>
        <translation>Das Passwort ist zu lang: Ein Konverter nimmt höchstens %1 Bytes an.
Es wurde nichts gesendet.
</translation>
    </message>
    <message>
        <source>No web browser could be started.
Open this address in a browser to reach the converter&apos;s web interface:
%1
</source>
        <translation>Es konnte kein Webbrowser gestartet werden.
Öffnen Sie diese Adresse in einem Browser, um die Weboberfläche des Konverters zu erreichen:
%1
</translation>
    </message>
    <message>
        <source>The converter now reports the new settings.
</source>
        <translation>Der Konverter meldet jetzt die neuen Einstellungen.
</translation>
    </message>
    <message>
        <source>The converter accepted the change but still reports its old settings.
Some converters apply a change only after a reboot.
</source>
        <translation>Der Konverter hat die Änderung angenommen, meldet aber noch seine alten Einstellungen.
Manche Konverter übernehmen eine Änderung erst nach einem Neustart.
</translation>
    </message>
    <message>
        <source>The converter accepted the change but has not answered since, so the new settings could not be confirmed.
</source>
        <translation>Der Konverter hat die Änderung angenommen, seitdem aber nicht mehr geantwortet; die neuen Einstellungen konnten daher nicht bestätigt werden.
</translation>
    </message>
    <message>
        <source>Check these settings before you apply them:
%1

Apply them anyway?</source>
        <translation>Prüfen Sie diese Einstellungen, bevor Sie sie übernehmen:
%1

Trotzdem übernehmen?</translation>
    </message>
    <message>
        <source>The converter did not answer.
Check that it is switched on and connected, then try again.
</source>
        <translation>Der Konverter hat nicht geantwortet.
Prüfen Sie, ob er eingeschaltet und angeschlossen ist, und versuchen Sie es dann erneut.
</translation>
    </message>
    <message>
        <source>The command could not be completed.
Reason: %1
</source>
        <translation>Der Befehl konnte nicht ausgeführt werden.
Grund: %1
</translation>
    </message>
    <message>
        <source>The converter refused the settings.</source>
        <translation>Der Konverter hat die Einstellungen abgelehnt.</translation>
    </message>
    <message>
        <source>The converter refused to reboot.</source>
        <translation>Der Konverter hat den Neustart abgelehnt.</translation>
    </message>
    <message>
        <source>The IP address 0.0.0.0 cannot be given to a converter.
Enter the address it is to have. Nothing was sent.
</source>
        <translation>Die IP-Adresse 0.0.0.0 kann keinem Konverter zugewiesen werden.
Geben Sie die Adresse ein, die er erhalten soll. Es wurde nichts gesendet.
</translation>
    </message>
    <message>
        <source>The subnet mask %1 is not valid: its one bits must be contiguous from the left, as in 255.255.255.0.
Nothing was sent.
</source>
        <translation>Die Subnetzmaske %1 ist ungültig: Ihre Einsen müssen von links lückenlos aufeinander folgen, wie in 255.255.255.0.
Es wurde nichts gesendet.
</translation>
    </message>
    <message>
        <source>The default gateway is incomplete: fill in all four fields, or leave them all blank for none.
Nothing was sent.
</source>
        <translation>Das Standardgateway ist unvollständig: Füllen Sie alle vier Felder aus, oder lassen Sie alle leer für keines.
Es wurde nichts gesendet.
</translation>
    </message>
    <message>
        <source>No converters found</source>
        <translation>Keine Konverter gefunden</translation>
    </message>
    <message>
        <source>1 converter found</source>
        <translation>1 Konverter gefunden</translation>
    </message>
    <message numerus="yes">
        <source>%n converters found</source>
        <translation>
            <numerusform>%n Konverter gefunden</numerusform>
            <numerusform>%n Konverter gefunden</numerusform>
        </translation>
    </message>
    <message>
        <source>; 1 more reply not listed</source>
        <translation>; 1 weitere Antwort nicht aufgeführt</translation>
    </message>
    <message>
        <source>Not searching</source>
        <translation>Keine Suche</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 und %2</translation>
    </message>
    <message>
        <source>Searching on %1</source>
        <translation>Suche auf %1</translation>
    </message>
    <message>
        <source>Line %1 (%2): %3</source>
        <translation>Zeile %1 (%2): %3</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <translation>
            <numerusform>%1 und %n weiteres</numerusform>
            <numerusform>%1 und %n weitere</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %1 more replies not listed</source>
        <translation>
            <numerusform>; %1 weitere Antwort nicht aufgeführt</numerusform>
            <numerusform>; %1 weitere Antworten nicht aufgeführt</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ql5config::ConverterInfoDialog</name>
    <message>
        <source>Warning: %1</source>
        <translation>Warnung: %1</translation>
    </message>
</context>
<context>
    <name>ql5config::ConverterListDialog</name>
    <message>
        <source>; 1 row matches the filter</source>
        <translation>; 1 Zeile passt zum Filter</translation>
    </message>
    <message numerus="yes">
        <source>; %n rows match the filter</source>
        <translation>
            <numerusform>; %n Zeile passt zum Filter</numerusform>
            <numerusform>; %n Zeilen passen zum Filter</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Export List...</source>
        <translation>Liste &amp;exportieren...</translation>
    </message>
    <message>
        <source>Add addresses…</source>
        <translation>Adressen hinzufügen…</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>JSON files (*.json)</source>
        <translation>JSON-Dateien (*.json)</translation>
    </message>
    <message>
        <source>Export List</source>
        <translation>Liste exportieren</translation>
    </message>
    <message>
        <source>The list could not be saved to %1:
%2
</source>
        <translation>Die Liste konnte nicht in %1 gespeichert werden:
%2
</translation>
    </message>
    <message>
        <source>Clear the filter</source>
        <translation>Filter leeren</translation>
    </message>
</context>
<context>
    <name>ql5config::ConverterListModel</name>
    <message>
        <source>Nie znaleziono urządzeń</source>
        <translation>Keine Geräte gefunden</translation>
    </message>
</context>
<context>
    <name>ql5config::DiscoverySession</name>
    <message>
        <source>The search for converters could not start.</source>
        <translation>Die Suche nach Konvertern konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>Cannot search: %1</source>
        <translation>Suche nicht möglich: %1</translation>
    </message>
</context>
<context>
    <name>ql5config::HostAddressesDialog</name>
    <message>
        <source>Add Addresses</source>
        <translation>Adressen hinzufügen</translation>
    </message>
    <message>
        <source>Converters behind a router are not found by the search on the local networks. Each search also asks these addresses directly, one address (10.1.2.3) or range (10.1.5.0/28) per line, 65536 addresses at most, 250 a second.</source>
        <translation>Konverter hinter einem Router findet die Suche in den lokalen Netzwerken nicht. Jede Suche fragt zusätzlich diese Adressen direkt ab: eine Adresse (10.1.2.3) oder ein Bereich (10.1.5.0/28) pro Zeile, höchstens 65536 Adressen, 250 pro Sekunde.</translation>
    </message>
</context>
<context>
    <name>ql5config::IpAddressEdit</name>
    <message>
        <source>Octet %1 of %2</source>
        <translation>Oktett %1 von %2</translation>
    </message>
    <message>
        <source>%1, octet %2 of %3</source>
        <translation>%1, Oktett %2 von %3</translation>
    </message>
</context>
<context>
    <name>ql5config::IpSettingsDialog</name>
    <message>
        <source>Apply Anyway</source>
        <translation>Trotzdem übernehmen</translation>
    </message>
    <message>
        <source>Reboot Converter...</source>
        <translation>Konverter neu starten...</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Subnet Mask</source>
        <translation>Subnetzmaske</translation>
    </message>
    <message>
        <source>Default Gateway</source>
        <translation>Standardgateway</translation>
    </message>
</context>
<context>
    <name>ql5config::RebootDialog</name>
    <message>
        <source>Status: Rebooting</source>
        <translation>Status: Wird neu gestartet</translation>
    </message>
    <message>
        <source>Waited %1 of at most %2</source>
        <translation>%1 von höchstens %2 gewartet</translation>
    </message>
    <message>
        <source>Status: Ready</source>
        <translation>Status: Bereit</translation>
    </message>
    <message>
        <source>Status: Timed out</source>
        <translation>Status: Zeitüberschreitung</translation>
    </message>
</context>
</TS>
