#include "display/panel_colors.h"

#include "view_helpers/color.h"

namespace tarimo::display::panel_colors {

using view_helpers::colorFromHex;

QColor light()
{
    return colorFromHex(u"dddddd");
}

QColor red()
{
    return colorFromHex(u"ff0000");
}

QColor black()
{
    return colorFromHex(u"000000");
}

QColor hourLabel()
{
    return colorFromHex(u"aaaaaa");
}

QColor currentHourLabel()
{
    return colorFromHex(u"ffffff");
}

QColor cheapRun()
{
    return colorFromHex(u"6fe08a");
}

} // namespace tarimo::display::panel_colors
