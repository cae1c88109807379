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
    <message>
        <source>Show in the system tray</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarimo::app::PriceTray</name>
    <message>
        <source>Tarimo is still running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The price stays in the system tray: click it for the window. Quit in its menu ends Tarimo.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 öre/kWh · %2 · %3</source>
        <extracomment>The tray icon&apos;s tooltip: the price, the zone, the hour.</extracomment>
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
    <message>
        <source>Tomorrow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Today</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Longer cheapest run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shorter cheapest run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>incl. VAT</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarimo::display::DaySwitch</name>
    <message>
        <source>Today</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tomorrow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Today&apos;s prices in the chart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tomorrow&apos;s prices come around %1:00</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tomorrow&apos;s prices are out: choose to fetch them</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fetching tomorrow&apos;s prices…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tomorrow&apos;s prices in the chart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tomorrow&apos;s prices are not published yet · next try at %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No connection for tomorrow&apos;s prices · next try at %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarimo::display::Equalizer</name>
    <message>
        <source>%1, %2 öre per kWh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, no price</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prices by hour, today</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prices by hour, tomorrow</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarimo::display::StatusStrip</name>
    <message>
        <source>No prices for this day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No prices for tomorrow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tomorrow: lowest %1 öre at %2, mean %3, highest %4 at %5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saved prices: lowest %1 öre at %2, mean %3, highest %4 at %5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Today: lowest %1 öre at %2, mean %3, highest %4 at %5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading prices…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No connection · tries again at %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The service has no prices for this day · tries again at %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The prices could not be read · tries again at %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>today to tomorrow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>today</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tomorrow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cheapest %1 h: %2–%3 %4, mean %5 öre</source>
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
<context>
    <name>tarimo::price::ContentViewModel</name>
    <message>
        <source>%1 öre / kwh</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
