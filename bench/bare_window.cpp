// The yardsticks for the whole-process figures: the least a Qt Widgets
// program does to put a window of the price window's size and kind on the
// screen. It paints once, the backdrop colour and one line of text, and then
// waits for nothing.
//
// Built a second time with TARIMO_BARE_FETCH, it also fetches the day's
// prices once over HTTPS with a plain QNetworkAccessManager, as soon as the
// window is shown, and prints "🍀 Data" and the size: the cost of the
// network and TLS stack alone.

#include <QApplication>
#include <QPainter>
#include <QWidget>

#ifdef TARIMO_BARE_FETCH
#include <QDate>
#include <QNetworkAccessManager>
#include <QNetworkReply>

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
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    BareWindow window;
    window.show();
#ifdef TARIMO_BARE_FETCH
    QNetworkAccessManager network;
    const QString path = QDate::currentDate().toString(QStringLiteral("yyyy/MM-dd"));
    QNetworkReply *reply = network.get(QNetworkRequest(
        QUrl(QStringLiteral("https://www.elprisetjustnu.se/api/v1/prices/%1_SE3.json").arg(path))));
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply] {
        if (reply->error() == QNetworkReply::NoError)
            std::cout << "🍀 Data " << reply->readAll().size() << " bytes" << std::endl;
        else
            std::cout << "❌ Failed with error " << reply->errorString().toStdString() << std::endl;
        reply->deleteLater();
    });
#endif
    return application.exec();
}
