#pragma once

#include <QColor>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <array>
#include <chrono>

class QAction;
class QTimer;

namespace tarimo::price {
class ContentViewModel;
}
namespace tarimo::digit {
class Digit;
}

namespace tarimo::display {

class DaySwitch;
class Equalizer;
class GlassOverlay;
class StatusStrip;
class ZoneBar;

// The price panel, 400 × 360: a header with the date and hour, the price in
// öre per kWh as five segment digits, the four zones, the day's hours as a
// bar chart, all behind glass. It reads everything from the view model and
// redraws when the view model says something changed. It draws no
// background: whatever is behind it shows through.
class ContentView : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize panelSize{400, 360};
    static constexpr qreal padding = 16;
    static constexpr qreal blockSpacing = 10;
    static constexpr qreal digitRowHeight = 80;
    static constexpr qreal digitSpacing = 10;
    static constexpr qreal stackSpacing = 8;
    static constexpr int cellCount = 38;

    // The backdrop the panel is made for: dark enough that its light texts
    // and red digits read as a lit display.
    static const QColor backdropColor;

    explicit ContentView(price::ContentViewModel *viewModel, QWidget *parent = nullptr);

    // Passed to every digit: the gap between segment tips.
    qreal distance() const { return m_distance; }
    void setDistance(qreal distance);
    // The base text size of the panel.
    double fontSize() const { return m_fontSize; }
    void setFontSize(double fontSize);

    // Where things are, in the panel's coordinates.
    struct Layout
    {
        QRectF header;
        std::array<QRectF, 5> digits;
        QRectF unit;
        std::array<QRectF, 4> zones;
        // Today and tomorrow, at the right end of the zone row.
        std::array<QRectF, 2> days;
        QRectF equalizer;
        // Under the chart's hours, to the panel's foot.
        QRectF strip;
        // Above the unit, while prices include VAT.
        QRectF vatNote;
        qreal contentHeight = 0;

        QRectF digitRow() const { return digits.front().united(digits.back()); }
    };
    const Layout &panelLayout() const { return m_layout; }

    std::array<digit::Digit *, 5> digits() const { return m_digits; }
    Equalizer *equalizer() const { return m_equalizer; }
    ZoneBar *zoneBar() const { return m_zoneBar; }
    DaySwitch *daySwitch() const { return m_daySwitch; }
    StatusStrip *statusStrip() const { return m_strip; }

    // The day the chart and the strip show: 0 today, 1 tomorrow. Tomorrow
    // before its publication hour is refused; tomorrow not yet held is
    // fetched, and shown as it arrives. Without input for a minute, and at
    // midnight, the panel returns to today by itself.
    int shownDay() const { return m_shownDay; }
    void showDay(int day);
    static constexpr std::chrono::milliseconds backToTodayAfter{60'000};

    // The texts as shown.
    QString headerTitle() const;
    QString headerDate() const;
    QString unitText() const;
    // What the digits' tooltip says: why no price is shown, or nothing when
    // the view model is neither loading nor failed.
    QString priceStatus() const;
    // What a screen reader reads: the price as the digits show it ("138 öre
    // per kWh"; nothing while they are blank, "No price: <why>" after a
    // failure), that price as a number (none after a failure), and the
    // date line.
    QString spokenPrice() const;
    QVariant priceInOre() const;
    QString spokenDate() const;
    // Where the panel draws what it has beyond its own elements (header,
    // digits, zones, chart), glows included: the day switch, the strip and
    // the VAT note. Everything else looks as it always did.
    QRegion addedElements() const;
    QString vatNote() const;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QFont textFont(bool bold) const;
    QFont noteFont() const;
    void relayout();
    void showDigits();
    void announcePrice();

    QPointer<price::ContentViewModel> m_viewModel;
    qreal m_distance = 0;
    double m_fontSize = 12;
    Layout m_layout;
    std::array<digit::Digit *, 5> m_digits{};
    ZoneBar *m_zoneBar = nullptr;
    DaySwitch *m_daySwitch = nullptr;
    Equalizer *m_equalizer = nullptr;
    StatusStrip *m_strip = nullptr;
    int m_shownDay = 0;
    QTimer *m_backToToday = nullptr;
    QAction *m_todayKeys = nullptr;
    GlassOverlay *m_glass = nullptr;
    QString m_spokenPrice;
    // Shown, not yet painted: the load waits for the first paint.
    bool m_loadAfterPaint = false;
    // Whether the day switch and the strip have had their first showing.
    bool m_addedShown = false;
};

} // namespace tarimo::display
