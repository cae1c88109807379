#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <array>
#include <optional>

namespace tarimo::app {

// The price as the system tray shows it: up to four characters, the
// panel's seven-segment digits on a dark plate that fills the icon,
// coloured by how dear the hour is. Drawn on whole pixels at any size the
// tray asks for, so that 22 and 24 pixels stay sharp.
struct PriceIcon
{
    // Where the hour lies between the day's cheapest and dearest hour.
    enum class Level { low, moderate, high, peak };

    // Digits, '-' and 'k' (thousands).
    QString text;
    Level level = Level::low;

    // Whole öre as up to four characters: -999 to 9999 as they are, beyond
    // that in whole thousands toward zero ("12k" for 12 345, "-1k" for
    // -1 999); nothing for what still does not fit (a million öre and up,
    // -100 000 and below).
    static std::optional<QString> textOf(qint64 ore);
    // 0 for the cheapest hour, 1 for the dearest, in four equal steps; not
    // a number (a day of equal prices) counts as cheap.
    static Level levelOf(double relative);
    static QColor color(Level level);
    static QColor plateColor();

    // The cells of `count` characters in a square icon of `side` pixels,
    // left to right, and the thickness of their upright strokes and of
    // their bars (never thinner: narrow characters get their weight there).
    struct Layout
    {
        QList<QRect> cells;
        int stroke = 1;
        int bar = 1;
    };
    static Layout layout(int side, int count);
    // Segments 1–7 of a cell (index 0–6), numbered as the panel's digits
    // number them; strokes overlap where they meet.
    static std::array<QRect, 7> segments(const QRect &cell, int stroke, int bar);

    QImage image(int side) const;
    // Renders each size the tray asks for afresh.
    QIcon icon() const;

    friend bool operator==(const PriceIcon &, const PriceIcon &) = default;
};

} // namespace tarimo::app
