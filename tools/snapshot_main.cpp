// tarimo-snapshot: draws the price panel into a PNG, offscreen, from a day of
// prices and a fixed clock, for the README and for checking a change by eye.
//
//   tarimo-snapshot <day.json> <out.png>
//
// day.json: {"now": "2025-11-12T17:20:00+01:00", "zone": "SE3",
//            "devicePixelRatio": 2, "prices": [<records as the service sends them>]}
// "zone" and "devicePixelRatio" may be left out (SE3, 1).

#include "display/content_view.h"
#include "price/content_view_model.h"
#include "price/request.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <iostream>

using namespace tarimo;

namespace {

// Answers every fetch with the day from the file.
class FileDayProvider : public price::RequestProvider
{
public:
    explicit FileDayProvider(std::vector<price::SpotPriceModel> day)
        : m_day(std::move(day))
    {}

    using price::RequestProvider::fetch;
    QCoro::Task<std::optional<std::vector<price::SpotPriceModel>>> fetch(QDateTime, price::Zone) override
    {
        co_return std::vector<price::SpotPriceModel>(m_day); // a copy: co_return of a member would move it
    }

private:
    std::vector<price::SpotPriceModel> m_day;
};

int fail(const std::string &message)
{
    std::cerr << "tarimo-snapshot: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3)
        return fail("usage: tarimo-snapshot <day.json> <out.png>");

    QFile file(arguments[1]);
    if (!file.open(QIODevice::ReadOnly))
        return fail("cannot read " + arguments[1].toStdString());

    const api_client::JsonDecoder decoder = price::Request::decoder();

    QDateTime now;
    std::vector<price::SpotPriceModel> day;
    price::Zone zone = price::Zone::se3;
    qreal ratio = 1;
    try {
        const api_client::Json json = api_client::JsonDecoder::parse(file.readAll());
        now = decoder.decode<QDateTime>(json.at("now"));
        day = decoder.decode<std::vector<price::SpotPriceModel>>(json.at("prices"));
        if (json.contains("zone")) {
            const auto named = price::zoneFromRawValue(decoder.decode<QString>(json.at("zone")));
            if (!named)
                return fail("unknown zone");
            zone = *named;
        }
        if (json.contains("devicePixelRatio"))
            ratio = decoder.decode<double>(json.at("devicePixelRatio"));
    } catch (const std::exception &error) {
        return fail(error.what());
    }

    price::ContentViewModel viewModel(std::make_shared<FileDayProvider>(std::move(day)), [now] { return now; });
    if (zone == price::Zone::se3)
        viewModel.perform(price::ViewModelAction::reload());
    else
        viewModel.perform(price::ViewModelAction::selectZone(zone));
    QEventLoop loop;
    // The load begins from the event loop and ends in loaded or error.
    QObject::connect(&viewModel, &price::ContentViewModel::stateChanged, &loop, [&] {
        if (viewModel.state() != price::ContentViewModel::State::loading)
            loop.quit();
    });
    loop.exec();

    display::ContentView view(&viewModel);
    QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(display::ContentView::backdropColor);
    {
        QPainter painter(&image);
        view.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    if (!image.save(arguments[2]))
        return fail("cannot write " + arguments[2].toStdString());
    return 0;
}
