#include "app/main_window.h"

#include "display/content_view.h"
#include "display/panel_colors.h"

#include <QTimer>

#include <utility>

namespace tarimo::app {

QPalette PriceMenuBarExtraWindow::displayPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, display::ContentView::backdropColor);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, display::panel_colors::light());
    return palette;
}

PriceMenuBarExtraWindow::PriceMenuBarExtraWindow(price::ContentViewModel *viewModel, QWidget *parent)
    : MenuBarExtraWindow(parent, Qt::Window | Qt::FramelessWindowHint)
{
    // A window the user places: a tray that keeps its icon's place to
    // itself opens it where it was.
    setUnknownIconPlace(UnknownIconPlace::whereItWas);
    setWindowTitle(QStringLiteral("Tarimo"));
    // The panel draws no background: this colour is what shows behind it.
    setAutoFillBackground(true);
    setPalette(displayPalette());
    // The chart's prices are worth a look while another window is active.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    m_contentView = new display::ContentView(viewModel, this);
    m_contentView->move(0, 0);
    setFixedSize(m_contentView->size());
}

void PriceMenuBarExtraWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!std::exchange(m_painted, true))
        QTimer::singleShot(0, this, &PriceMenuBarExtraWindow::firstFramePainted);
}

} // namespace tarimo::app
