<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sv_SE" sourcelanguage="en">
<context>
    <name>tarimo::app::AboutView</name>
    <message>
        <source>Tarimo logo</source>
        <translation>Tarimos logotyp</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Created by %1</source>
        <translation>Skapad av %1</translation>
    </message>
    <message>
        <source>Data provided by:</source>
        <translation>Prisuppgifter från:</translation>
    </message>
    <message>
        <source>Opens the data service&apos;s web page</source>
        <translation>Öppnar pristjänstens webbsida</translation>
    </message>
</context>
<context>
    <name>tarimo::app::AmpelloApp</name>
    <message>
        <source>Show prices with VAT (25 %)</source>
        <translation>Visa priser med moms (25 %)</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>Starta vid inloggning</translation>
    </message>
    <message>
        <source>About Tarimo</source>
        <translation>Om Tarimo</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Avsluta</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Stäng</translation>
    </message>
    <message>
        <source>Tarimo could not be set to start at login.</source>
        <translation>Tarimo kunde inte ställas in att starta vid inloggning.</translation>
    </message>
    <message>
        <source>Tarimo could not be kept from starting at login.</source>
        <translation>Tarimo kunde inte hindras från att starta vid inloggning.</translation>
    </message>
</context>
<context>
    <name>tarimo::app::WindowChrome</name>
    <message>
        <source>Minimise</source>
        <translation>Minimera</translation>
    </message>
</context>
<context>
    <name>tarimo::display::ContentView</name>
    <message>
        <source>Spot price</source>
        <translation>Spotpris</translation>
    </message>
    <message>
        <source>öre / kwh</source>
        <translation>öre/kWh</translation>
    </message>
    <message>
        <source>Loading prices…</source>
        <translation>Hämtar priser…</translation>
    </message>
    <message>
        <source>No prices: %1 — trying again in %2 min</source>
        <translation>Inga priser: %1 — försöker igen om %2 min</translation>
    </message>
    <message>
        <source>No price: %1</source>
        <translation>Inget pris: %1</translation>
    </message>
    <message>
        <source>%1 öre per kWh</source>
        <translation>%1 öre per kWh</translation>
    </message>
</context>
<context>
    <name>tarimo::display::Equalizer</name>
    <message>
        <source>Prices by hour</source>
        <translation>Priser per timme</translation>
    </message>
    <message>
        <source>%1, %2 öre per kWh</source>
        <translation>%1, %2 öre per kWh</translation>
    </message>
    <message>
        <source>%1, no price</source>
        <translation>%1, inget pris</translation>
    </message>
</context>
<context>
    <name>tarimo::display::ZoneBar</name>
    <message>
        <source>Zone</source>
        <translation>Elområde</translation>
    </message>
    <message>
        <source>Luleå</source>
        <translation>Luleå</translation>
    </message>
    <message>
        <source>Sundsvall</source>
        <translation>Sundsvall</translation>
    </message>
    <message>
        <source>Stockholm</source>
        <translation>Stockholm</translation>
    </message>
    <message>
        <source>Malmö</source>
        <translation>Malmö</translation>
    </message>
    <message>
        <source>%1 – %2</source>
        <extracomment>A zone label&apos;s tooltip: the zone, a dash, the city it is named after.</extracomment>
        <translation>%1 – %2</translation>
    </message>
</context>
</TS>
