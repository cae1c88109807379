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
    <message>
        <source>Show in the system tray</source>
        <translation>Visa i systemfältet</translation>
    </message>
</context>
<context>
    <name>tarimo::app::PriceTray</name>
    <message>
        <source>Tarimo is still running</source>
        <translation>Tarimo är fortfarande igång</translation>
    </message>
    <message>
        <source>The price stays in the system tray: click it for the window. Quit in its menu ends Tarimo.</source>
        <translation>Priset ligger kvar i systemfältet: klicka på det för att visa fönstret. Avsluta i dess meny stänger Tarimo.</translation>
    </message>
    <message>
        <source>%1 öre/kWh · %2 · %3</source>
        <extracomment>The tray icon&apos;s tooltip: the price, the zone, the hour.</extracomment>
        <translation>%1 öre/kWh · %2 · %3</translation>
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
    <message>
        <source>Tomorrow</source>
        <translation>Imorgon</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Idag</translation>
    </message>
    <message>
        <source>Longer cheapest run</source>
        <translation>Längre billigaste period</translation>
    </message>
    <message>
        <source>Shorter cheapest run</source>
        <translation>Kortare billigaste period</translation>
    </message>
    <message>
        <source>incl. VAT</source>
        <translation>inkl. moms</translation>
    </message>
</context>
<context>
    <name>tarimo::display::DaySwitch</name>
    <message>
        <source>Today</source>
        <translation>Idag</translation>
    </message>
    <message>
        <source>Tomorrow</source>
        <translation>Imorgon</translation>
    </message>
    <message>
        <source>Today&apos;s prices in the chart</source>
        <translation>Dagens priser i diagrammet</translation>
    </message>
    <message>
        <source>Tomorrow&apos;s prices come around %1:00</source>
        <translation>Morgondagens priser kommer kring kl. %1:00</translation>
    </message>
    <message>
        <source>Tomorrow&apos;s prices are out: choose to fetch them</source>
        <translation>Morgondagens priser finns: välj för att hämta dem</translation>
    </message>
    <message>
        <source>Fetching tomorrow&apos;s prices…</source>
        <translation>Hämtar morgondagens priser…</translation>
    </message>
    <message>
        <source>Tomorrow&apos;s prices in the chart</source>
        <translation>Morgondagens priser i diagrammet</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>Dag</translation>
    </message>
    <message>
        <source>Tomorrow&apos;s prices are not published yet · next try at %1</source>
        <translation>Morgondagens priser är inte publicerade än · nytt försök kl. %1</translation>
    </message>
    <message>
        <source>No connection for tomorrow&apos;s prices · next try at %1</source>
        <translation>Ingen anslutning för morgondagens priser · nytt försök kl. %1</translation>
    </message>
</context>
<context>
    <name>tarimo::display::Equalizer</name>
    <message>
        <source>%1, %2 öre per kWh</source>
        <translation>%1, %2 öre per kWh</translation>
    </message>
    <message>
        <source>%1, no price</source>
        <translation>%1, inget pris</translation>
    </message>
    <message>
        <source>Prices by hour, today</source>
        <translation>Priser per timme, idag</translation>
    </message>
    <message>
        <source>Prices by hour, tomorrow</source>
        <translation>Priser per timme, imorgon</translation>
    </message>
</context>
<context>
    <name>tarimo::display::StatusStrip</name>
    <message>
        <source>No prices for this day</source>
        <translation>Inga priser för dagen</translation>
    </message>
    <message>
        <source>No prices for tomorrow</source>
        <translation>Inga priser för imorgon</translation>
    </message>
    <message>
        <source>Tomorrow: lowest %1 öre at %2, mean %3, highest %4 at %5</source>
        <translation>Imorgon: lägst %1 öre kl. %2, snitt %3, högst %4 kl. %5</translation>
    </message>
    <message>
        <source>Saved prices: lowest %1 öre at %2, mean %3, highest %4 at %5</source>
        <translation>Sparade priser: lägst %1 öre kl. %2, snitt %3, högst %4 kl. %5</translation>
    </message>
    <message>
        <source>Today: lowest %1 öre at %2, mean %3, highest %4 at %5</source>
        <translation>Idag: lägst %1 öre kl. %2, snitt %3, högst %4 kl. %5</translation>
    </message>
    <message>
        <source>Loading prices…</source>
        <translation>Hämtar priser…</translation>
    </message>
    <message>
        <source>No connection · tries again at %1</source>
        <translation>Ingen anslutning · försöker igen kl. %1</translation>
    </message>
    <message>
        <source>The service has no prices for this day · tries again at %1</source>
        <translation>Tjänsten har inga priser för dagen · försöker igen kl. %1</translation>
    </message>
    <message>
        <source>The prices could not be read · tries again at %1</source>
        <translation>Priserna kunde inte läsas · försöker igen kl. %1</translation>
    </message>
    <message>
        <source>today to tomorrow</source>
        <translation>idag till imorgon</translation>
    </message>
    <message>
        <source>today</source>
        <translation>idag</translation>
    </message>
    <message>
        <source>tomorrow</source>
        <translation>imorgon</translation>
    </message>
    <message>
        <source>Cheapest %1 h: %2–%3 %4, mean %5 öre</source>
        <translation>Billigast %1 h: %2–%3 %4, snitt %5 öre</translation>
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
<context>
    <name>tarimo::price::ContentViewModel</name>
    <message>
        <source>%1 öre / kwh</source>
        <translation>%1 öre/kWh</translation>
    </message>
</context>
</TS>
