#pragma once

#include "display/keyboard_focus.h"
#include "view_helpers/cached_drawing.h"

#include <QDateTime>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

namespace tarimo::price {
class ContentViewModel;
class PriceDay;
struct SpotPriceModel;
}

namespace tarimo::display {

// A day's hours as a level meter: one column of cells per hour, lit from the
// bottom in proportion to the hour's price within the day, with the hour
// under it. Hovering a column shows the hour's price; so does moving between
// the hours with Left and Right once the chart has the focus. Screen readers
// see a list of the hours.
//
// It shows today, the day of the view model's selected date, as 24 columns
// for the hours 0 to 23 with the clock's hour bright; or tomorrow, once held,
// as the hours that day really has (23 or 25 on the daylight-saving days),
// lit by tomorrow's own range, with no clock hour.
class Equalizer : public QWidget
{
    Q_OBJECT

public:
    static constexpr int hourCount = 24;
    static constexpr qreal spacing = 2;
    static constexpr qreal cellHeight = 2;
    static constexpr qreal labelPixelSize = 8;
    static constexpr qreal glowRadius = 10;

    // One cell per element of the half-open range [firstCell, endCell).
    Equalizer(price::ContentViewModel *viewModel, int firstCell, int endCell, QWidget *parent = nullptr);

    int cellCount() const { return m_endCell - m_firstCell; }

    // 0 today, 1 tomorrow.
    int shownDay() const { return m_shownDay; }
    void setShownDay(int day);
    // Today 24; tomorrow its hours, or 24 while it is not held.
    int columnCount() const;
    // The hour of the day (0 to 23) a column stands for.
    int hourOfColumn(int column) const;
    // The columns whose hours lie from `start` to before `end`.
    QList<int> columnsBetween(const QDateTime &start, const QDateTime &end) const;

    // Where things are, in widget coordinates. Today column h is hour h.
    QRectF columnRect(int column) const;
    QRectF cellRect(int column, int cell) const;
    QRectF labelRect(int column) const;
    int hourAt(QPointF position) const;

    // Whether cell `cell` (firstCell … endCell − 1, top to bottom) of the
    // column is lit by the prices shown.
    bool isLit(int column, int cell) const;
    // The column whose label is highlighted: the view model's clock's hour,
    // read at each redraw; none (-1) without a view model or for tomorrow.
    int currentHour() const;
    // The column the keyboard is on, while the chart has the focus.
    int focusedHour() const { return m_focusHour; }
    bool isFocusShown() const { return m_focus.isShown(this); }
    // "17:00, 138 öre per kWh", or "05:00, no price".
    QString spokenHour(int column) const;
    // The column's price for its tooltip, "138 öre / kwh"; empty without one.
    QString priceTip(int column) const;
    // "Prices by hour, today".
    QString spokenName() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Draws the chart in widget coordinates; lit cells glow past the edges.
    void paint(QPainter &painter);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // What the image shows besides the size and pixel ratio.
    struct CacheKey
    {
        std::vector<int> litCells; // per column
        std::vector<int> hours;    // per column
        int currentHour = -1;
        friend bool operator==(const CacheKey &, const CacheKey &) = default;
    };

    static QFont labelFont(const QFont &base, bool bold);
    // Tomorrow, when it is shown and held.
    const price::PriceDay *tomorrow() const;
    // The column's record: of today's response, or of tomorrow.
    std::optional<price::SpotPriceModel> record(int column) const;
    // The column's level, or nothing when it has no record.
    std::optional<double> level(int column) const;
    bool isLit(int cell, const std::optional<double> &level) const;
    qreal labelHeight() const;
    int litCellCount(int column) const;
    void drawChart(QPainter &painter, const CacheKey &key) const;
    // Shows the column's price as a tooltip at `globalPosition`, or hides
    // the tooltip when the column has none.
    void showPriceTip(int column, QPoint globalPosition);
    void setFocusHour(int column);

    QPointer<price::ContentViewModel> m_viewModel;
    int m_firstCell;
    int m_endCell;
    view_helpers::CachedDrawing<CacheKey> m_drawing;
    // The column whose price the tooltip shows, or -1.
    int m_tipHour = -1;
    int m_focusHour = -1;
    int m_shownDay = 0;
    KeyboardFocus m_focus;
};

} // namespace tarimo::display
