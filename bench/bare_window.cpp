// The yardsticks for the whole-process figures: the least a Qt Widgets
// program does to put a window of the price window's size and kind on the
// screen. It paints once, the backdrop colour and one line of text, and then
// waits for nothing.
//
// Built a second time with TARIMO_BARE_FETCH, it also fetches the day's
// prices once over HTTPS with a plain QNetworkAccessManager, started after
// its first paint as tarimo starts its load, and prints "🍀 Data" and the
// size: what the network and TLS stack alone cost.

#include <QApplication>
#include <QPainter>
#include <QWidget>

#ifdef TARIMO_BARE_FETCH
#include <QDate>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

#include <iostream>
#endif

namespace {

class BareWindow : public QWidget
{
public:
    BareWindow()
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        setWindowTitle(QStringLiteral("Bare"));
        setFixedSize(400, 360);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x3a, 0x3d, 0x42));
        painter.setPen(QColor(0xdd, 0xdd, 0xdd));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Tarimo"));
#ifdef TARIMO_BARE_FETCH
        if (!m_fetched) {
            m_fetched = true;
            QTimer::singleShot(0, this, &BareWindow::fetch);
        }
#endif
    }

#ifdef TARIMO_BARE_FETCH
private:
    void fetch()
    {
        const QString day = QDate::currentDate().toString(QStringLiteral("yyyy/MM-dd"));
        QNetworkReply *reply = m_network.get(QNetworkRequest(
            QUrl(QStringLiteral("https://" TARIMO_SERVICE_HOST "/api/v1/prices/%1_SE3.json").arg(day))));
        connect(reply, &QNetworkReply::finished, this, [reply] {
            if (reply->error() == QNetworkReply::NoError)
                std::cout << "🍀 Data " << reply->readAll().size() << " bytes" << std::endl;
            else
                std::cout << "❌ Failed with error " << reply->errorString().toStdString() << std::endl;
            reply->deleteLater();
        });
    }

    QNetworkAccessManager m_network;
    bool m_fetched = false;
#endif
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    BareWindow window;
    window.show();
    return application.exec();
}
