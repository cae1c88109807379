<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>tarimo::app::AboutView</name>
    <message>
        <source>Tarimo logo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Created by %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data provided by:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the data service&apos;s web page</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarimo::app::AmpelloApp</name>
    <message>
        <source>Show prices with VAT (25 %)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Tarimo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tarimo could not be set to start at login.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tarimo could not be kept from starting at login.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarimo::app::WindowChrome</name>
    <message>
        <source>Minimise</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarimo::display::ContentView</name>
    <message>
        <source>Spot price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>öre / kwh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading prices…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No prices: %1 — trying again in %2 min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No price: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 öre per kWh</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarimo::display::Equalizer</name>
    <message>
        <source>Prices by hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 öre per kWh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, no price</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarimo::display::ZoneBar</name>
    <message>
        <source>Zone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Luleå</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sundsvall</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stockholm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Malmö</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 – %2</source>
        <extracomment>A zone label&apos;s tooltip: the zone, a dash, the city it is named after.</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
