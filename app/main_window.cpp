#include "app/main_window.h"

#include "display/content_view.h"
#include "display/panel_colors.h"

#include <QTimer>

#include <utility>

namespace tarimo::app {

QPalette MainWindow::displayPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, display::ContentView::backdropColor);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, display::panel_colors::light());
    return palette;
}

MainWindow::MainWindow(price::ContentViewModel *viewModel, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
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

void MainWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!std::exchange(m_painted, true))
        QTimer::singleShot(0, this, &MainWindow::firstFramePainted);
}

} // namespace tarimo::app
