#pragma once

#include <QColor>

// The colours the panel paints with, each written once; opacities stay with
// the part that uses a colour. The window and its controls take theirs from
// here too. What shows behind the panel is ContentView::backdropColor.
namespace tarimo::display::panel_colors {

// "dddddd": the texts and their glow, the chosen zone, focus outlines.
QColor light();
// "ff0000": lit digit segments and chart cells.
QColor red();
// "000000": unlit chart cells, the zones not chosen.
QColor black();
// "aaaaaa": the hours under the chart.
QColor hourLabel();
// "ffffff": the clock's hour under the chart.
QColor currentHourLabel();
// "6fe08a": the marks of the cheapest run, green as a cheap hour feels.
QColor cheapRun();

} // namespace tarimo::display::panel_colors
