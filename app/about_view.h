#pragma once

#include <QUrl>
#include <QWidget>

#include <functional>

class QPushButton;

namespace tarimo::app {

// Who made Tarimo and where its prices come from. 300 × 300, fixed.
class AboutView : public QWidget
{
    Q_OBJECT

public:
    // Opens a web address in the user's browser; the result is not used.
    using UrlOpener = std::function<void(const QUrl &)>;

    static const QUrl serviceUrl;
    static const QString contactAddress;

    // `openUrl` defaults to the desktop's browser.
    explicit AboutView(UrlOpener openUrl = {}, QWidget *parent = nullptr);

    QPushButton *serviceButton() const { return m_serviceButton; }

protected:
    // Escape or Ctrl+W closes the window.
    void keyPressEvent(QKeyEvent *event) override;
    // A hairline edge, so that the frameless window stands out from what is
    // behind it.
    void paintEvent(QPaintEvent *event) override;

private:
    QPushButton *m_serviceButton = nullptr;
};

} // namespace tarimo::app
