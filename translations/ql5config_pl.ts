<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ConverterInfoDialog</name>
    <message>
        <source>QL5 Converter Information</source>
        <translation>Informacje o konwerterze QL5</translation>
    </message>
    <message>
        <source>Converter Information</source>
        <translation>Informacje o konwerterze</translation>
    </message>
    <message>
        <source>Converter Details</source>
        <translation>Szczegóły konwertera</translation>
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
        <translation>Polecenia:</translation>
    </message>
    <message>
        <source>&amp;Open Web Interface</source>
        <translation>&amp;Otwórz interfejs WWW</translation>
    </message>
    <message>
        <source>&amp;Configure IP Settings</source>
        <translation>&amp;Konfiguruj ustawienia IP</translation>
    </message>
    <message>
        <source>Converter &amp;Info</source>
        <translation>&amp;Informacje o konwerterze</translation>
    </message>
    <message>
        <source>Re&amp;boot Converter</source>
        <translation>&amp;Uruchom ponownie konwerter</translation>
    </message>
    <message>
        <source>&amp;Refresh List</source>
        <translation>O&amp;dśwież listę</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>List of Converters:</source>
        <translation>Lista konwerterów:</translation>
    </message>
    <message>
        <source>Shows only the converters whose row contains this text (Ctrl+F)</source>
        <translation>Pokazuje tylko konwertery, których wiersz zawiera ten tekst (Ctrl+F)</translation>
    </message>
    <message>
        <source>Filter (Ctrl+F)</source>
        <translation>Filtr (Ctrl+F)</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filtr</translation>
    </message>
    <message>
        <source>List of Converters</source>
        <translation>Lista konwerterów</translation>
    </message>
</context>
<context>
    <name>ConverterWarnings</name>
    <message>
        <source>%1 mask %2</source>
        <translation>%1 maska %2</translation>
    </message>
    <message>
        <source>This computer uses the same IP address %1 on this network.</source>
        <translation>Ten komputer używa tego samego adresu IP %1 w tej sieci.</translation>
    </message>
    <message>
        <source>Converter %1 reports the same IP address %2 on this network.</source>
        <translation>Konwerter %1 zgłasza ten sam adres IP %2 w tej sieci.</translation>
    </message>
    <message numerus="yes">
        <source>Converter %1 and %n more report the same IP address %2 on this network.</source>
        <translation>
            <numerusform>Konwerter %1 i %n inny zgłaszają ten sam adres IP %2 w tej sieci.</numerusform>
            <numerusform>Konwerter %1 i %n inne zgłaszają ten sam adres IP %2 w tej sieci.</numerusform>
            <numerusform>Konwerter %1 i %n innych zgłaszają ten sam adres IP %2 w tej sieci.</numerusform>
        </translation>
    </message>
    <message>
        <source>IP address %1 is outside the local network %2, so its web interface cannot open from here.</source>
        <translation>Adres IP %1 leży poza siecią lokalną %2, więc interfejsu WWW konwertera nie można otworzyć z tego komputera.</translation>
    </message>
    <message>
        <source>Gateway %1 is outside the converter&apos;s own subnet %2.</source>
        <translation>Brama %1 leży poza własną podsiecią konwertera %2.</translation>
    </message>
    <message>
        <source>This MAC also answered from %1: another host may be answering for it, so commands to it are refused.</source>
        <translation>Ten adres MAC odpowiedział także z %1: być może odpowiada za niego inny host, dlatego polecenia do niego są odrzucane.</translation>
    </message>
</context>
<context>
    <name>IpSettingsDialog</name>
    <message>
        <source>Set IP Address</source>
        <translation>Ustaw adres IP</translation>
    </message>
    <message>
        <source>Assign an IP Address, subnet mask and gateway to your QL5 converter.  Contact your network administrator if you do not know this information.</source>
        <translation>Przypisz konwerterowi QL5 adres IP, maskę podsieci i bramę.  Jeśli nie znasz tych danych, skontaktuj się z administratorem sieci.</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Nazwa:</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>Adres MAC:</translation>
    </message>
    <message>
        <source>Automatically obtain network settings via DHCP</source>
        <translation>Uzyskaj ustawienia sieci automatycznie przez DHCP</translation>
    </message>
    <message>
        <source>Manually configure network settings</source>
        <translation>Skonfiguruj ustawienia sieci ręcznie</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>Adres IP:</translation>
    </message>
    <message>
        <source>Subnet Mask:</source>
        <translation>Maska podsieci:</translation>
    </message>
    <message>
        <source>Default Gateway</source>
        <translation>Brama domyślna</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Hasło:</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Zastosuj</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Hasło</translation>
    </message>
</context>
<context>
    <name>RebootDialog</name>
    <message>
        <source>Reboot Converter</source>
        <translation>Ponowne uruchomienie konwertera</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Nazwa:</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>Adres MAC:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Hasło:</translation>
    </message>
    <message>
        <source>Status: Reboot</source>
        <translation>Stan: ponowne uruchomienie</translation>
    </message>
    <message>
        <source>Reboot</source>
        <translation>Uruchom ponownie</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Hasło</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>Searching...</source>
        <translation>Wyszukiwanie...</translation>
    </message>
    <message>
        <source>QL5 Converter</source>
        <translation>Konwerter QL5</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>Adres IP</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>Adres MAC</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nazwa</translation>
    </message>
    <message>
        <source>Converter</source>
        <translation>Konwerter</translation>
    </message>
    <message>
        <source>No QL5 was selected on list !</source>
        <translation>Nie wybrano na liście żadnego QL5!</translation>
    </message>
    <message>
        <source>Internal error !</source>
        <translation>Błąd wewnętrzny!</translation>
    </message>
</context>
<context>
    <name>ql5config</name>
    <message>
        <source>An Error occured while rebooting the converter.
Error Number: %1
Error Message: %2
</source>
        <translation>Podczas ponownego uruchamiania konwertera wystąpił błąd.
Numer błędu: %1
Komunikat błędu: %2
</translation>
    </message>
    <message>
        <source>An Error occured while setting the converter.
Error Number: %1
Error Message: %2
</source>
        <translation>Podczas ustawiania konwertera wystąpił błąd.
Numer błędu: %1
Komunikat błędu: %2
</translation>
    </message>
    <message>
        <source>The password is too long: a converter accepts at most %1 bytes.
Nothing was sent.
</source>
        <translation>Hasło jest za długie: konwerter przyjmuje najwyżej %1 bajtów.
Nic nie zostało wysłane.
</translation>
    </message>
    <message>
        <source>No web browser could be started.
Open this address in a browser to reach the converter&apos;s web interface:
%1
</source>
        <translation>Nie udało się uruchomić przeglądarki internetowej.
Otwórz ten adres w przeglądarce, aby przejść do interfejsu WWW konwertera:
%1
</translation>
    </message>
    <message>
        <source>The converter now reports the new settings.
</source>
        <translation>Konwerter zgłasza teraz nowe ustawienia.
</translation>
    </message>
    <message>
        <source>The converter accepted the change but still reports its old settings.
Some converters apply a change only after a reboot.
</source>
        <translation>Konwerter przyjął zmianę, ale nadal zgłasza stare ustawienia.
Niektóre konwertery stosują zmianę dopiero po ponownym uruchomieniu.
</translation>
    </message>
    <message>
        <source>The converter accepted the change but has not answered since, so the new settings could not be confirmed.
</source>
        <translation>Konwerter przyjął zmianę, ale od tego czasu nie odpowiada, więc nie udało się potwierdzić nowych ustawień.
</translation>
    </message>
    <message>
        <source>Check these settings before you apply them:
%1

Apply them anyway?</source>
        <translation>Sprawdź te ustawienia przed ich zastosowaniem:
%1

Zastosować je mimo to?</translation>
    </message>
    <message>
        <source>The converter did not answer.
Check that it is switched on and connected, then try again.
</source>
        <translation>Konwerter nie odpowiedział.
Sprawdź, czy jest włączony i podłączony, a następnie spróbuj ponownie.
</translation>
    </message>
    <message>
        <source>The command could not be completed.
Reason: %1
</source>
        <translation>Nie udało się wykonać polecenia.
Przyczyna: %1
</translation>
    </message>
    <message>
        <source>The converter refused the settings.</source>
        <translation>Konwerter odrzucił ustawienia.</translation>
    </message>
    <message>
        <source>The converter refused to reboot.</source>
        <translation>Konwerter odmówił ponownego uruchomienia.</translation>
    </message>
    <message>
        <source>The IP address 0.0.0.0 cannot be given to a converter.
Enter the address it is to have. Nothing was sent.
</source>
        <translation>Adresu IP 0.0.0.0 nie można nadać konwerterowi.
Wpisz adres, który ma otrzymać. Nic nie zostało wysłane.
</translation>
    </message>
    <message>
        <source>The subnet mask %1 is not valid: its one bits must be contiguous from the left, as in 255.255.255.0.
Nothing was sent.
</source>
        <translation>Maska podsieci %1 jest nieprawidłowa: jej jedynki muszą następować po sobie bez przerw od lewej, jak w 255.255.255.0.
Nic nie zostało wysłane.
</translation>
    </message>
    <message>
        <source>The default gateway is incomplete: fill in all four fields, or leave them all blank for none.
Nothing was sent.
</source>
        <translation>Brama domyślna jest niepełna: wypełnij wszystkie cztery pola albo zostaw je wszystkie puste, jeśli bramy nie ma.
Nic nie zostało wysłane.
</translation>
    </message>
    <message>
        <source>No converters found</source>
        <translation>Nie znaleziono konwerterów</translation>
    </message>
    <message>
        <source>1 converter found</source>
        <translation>Znaleziono 1 konwerter</translation>
    </message>
    <message numerus="yes">
        <source>%n converters found</source>
        <translation>
            <numerusform>Znaleziono %n konwerter</numerusform>
            <numerusform>Znaleziono %n konwertery</numerusform>
            <numerusform>Znaleziono %n konwerterów</numerusform>
        </translation>
    </message>
    <message>
        <source>; 1 more reply not listed</source>
        <translation>; 1 kolejna odpowiedź nie została pokazana</translation>
    </message>
    <message>
        <source>Not searching</source>
        <translation>Brak wyszukiwania</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 i %2</translation>
    </message>
    <message>
        <source>Searching on %1</source>
        <translation>Wyszukiwanie w %1</translation>
    </message>
    <message>
        <source>Line %1 (%2): %3</source>
        <translation>Wiersz %1 (%2): %3</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <translation>
            <numerusform>%1 i %n inna</numerusform>
            <numerusform>%1 i %n inne</numerusform>
            <numerusform>%1 i %n innych</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %1 more replies not listed</source>
        <translation>
            <numerusform>; %1 kolejna odpowiedź nie została pokazana</numerusform>
            <numerusform>; %1 kolejne odpowiedzi nie zostały pokazane</numerusform>
            <numerusform>; %1 kolejnych odpowiedzi nie zostało pokazanych</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ql5config::ConverterInfoDialog</name>
    <message>
        <source>Warning: %1</source>
        <translation>Ostrzeżenie: %1</translation>
    </message>
</context>
<context>
    <name>ql5config::ConverterListDialog</name>
    <message>
        <source>; 1 row matches the filter</source>
        <translation>; 1 wiersz pasuje do filtru</translation>
    </message>
    <message numerus="yes">
        <source>; %n rows match the filter</source>
        <translation>
            <numerusform>; %n wiersz pasuje do filtru</numerusform>
            <numerusform>; %n wiersze pasują do filtru</numerusform>
            <numerusform>; %n wierszy pasuje do filtru</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>Ko&amp;piuj</translation>
    </message>
    <message>
        <source>&amp;Export List...</source>
        <translation>&amp;Eksportuj listę...</translation>
    </message>
    <message>
        <source>Add addresses…</source>
        <translation>Dodaj adresy…</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Pliki CSV (*.csv)</translation>
    </message>
    <message>
        <source>JSON files (*.json)</source>
        <translation>Pliki JSON (*.json)</translation>
    </message>
    <message>
        <source>Export List</source>
        <translation>Eksportuj listę</translation>
    </message>
    <message>
        <source>The list could not be saved to %1:
%2
</source>
        <translation>Nie udało się zapisać listy w %1:
%2
</translation>
    </message>
    <message>
        <source>Clear the filter</source>
        <translation>Wyczyść filtr</translation>
    </message>
</context>
<context>
    <name>ql5config::ConverterListModel</name>
    <message>
        <source>Nie znaleziono urządzeń</source>
        <translation>Nie znaleziono urządzeń</translation>
    </message>
</context>
<context>
    <name>ql5config::DiscoverySession</name>
    <message>
        <source>The search for converters could not start.</source>
        <translation>Nie udało się rozpocząć wyszukiwania konwerterów.</translation>
    </message>
    <message>
        <source>Cannot search: %1</source>
        <translation>Nie można wyszukiwać: %1</translation>
    </message>
</context>
<context>
    <name>ql5config::HostAddressesDialog</name>
    <message>
        <source>Add Addresses</source>
        <translation>Dodaj adresy</translation>
    </message>
    <message>
        <source>Converters behind a router are not found by the search on the local networks. Each search also asks these addresses directly, one address (10.1.2.3) or range (10.1.5.0/28) per line, 65536 addresses at most, 250 a second.</source>
        <translation>Wyszukiwanie w sieciach lokalnych nie znajduje konwerterów za routerem. Każde wyszukiwanie odpytuje też bezpośrednio te adresy: jeden adres (10.1.2.3) lub zakres (10.1.5.0/28) w wierszu, najwyżej 65536 adresów, 250 na sekundę.</translation>
    </message>
</context>
<context>
    <name>ql5config::IpAddressEdit</name>
    <message>
        <source>Octet %1 of %2</source>
        <translation>Oktet %1 z %2</translation>
    </message>
    <message>
        <source>%1, octet %2 of %3</source>
        <translation>%1, oktet %2 z %3</translation>
    </message>
</context>
<context>
    <name>ql5config::IpSettingsDialog</name>
    <message>
        <source>Apply Anyway</source>
        <translation>Zastosuj mimo to</translation>
    </message>
    <message>
        <source>Reboot Converter...</source>
        <translation>Uruchom ponownie konwerter...</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>Adres IP</translation>
    </message>
    <message>
        <source>Subnet Mask</source>
        <translation>Maska podsieci</translation>
    </message>
    <message>
        <source>Default Gateway</source>
        <translation>Brama domyślna</translation>
    </message>
</context>
<context>
    <name>ql5config::RebootDialog</name>
    <message>
        <source>Status: Rebooting</source>
        <translation>Stan: ponowne uruchamianie</translation>
    </message>
    <message>
        <source>Waited %1 of at most %2</source>
        <translation>Czekano %1 z najwyżej %2</translation>
    </message>
    <message>
        <source>Status: Ready</source>
        <translation>Stan: gotowy</translation>
    </message>
    <message>
        <source>Status: Timed out</source>
        <translation>Stan: przekroczono czas oczekiwania</translation>
    </message>
</context>
</TS>
