#pragma once

#include <QPalette>
#include <QWidget>

namespace tarimo::price {
class ContentViewModel;
}
namespace tarimo::display {
class ContentView;
}

namespace tarimo::app {

// The price window: no title bar, exactly the size of its panel. The panel
// draws no background, so the window's own fixed colour is what shows
// behind it, whatever the desktop's theme.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // The panel's backdrop with light text: for the main and About windows.
    static QPalette displayPalette();

    explicit MainWindow(price::ContentViewModel *viewModel, QWidget *parent = nullptr);

    display::ContentView *contentView() const { return m_contentView; }

Q_SIGNALS:
    // Once, after the first frame is on screen: the moment for work that
    // the first frame should not wait for.
    void firstFramePainted();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    display::ContentView *m_contentView = nullptr;
    bool m_painted = false;
};

} // namespace tarimo::app
