#pragma once

#include "display/keyboard_focus.h"
#include "view_helpers/cached_drawing.h"

#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

namespace tarimo::price {
class ContentViewModel;
}

namespace tarimo::display {

// The day's 24 hours as a level meter: one column of cells per hour, lit from
// the bottom in proportion to the hour's price within the day, with the hour
// under it. The label of the clock's hour is bright. Hovering a column shows
// the hour's price; so does moving between the hours with Left and Right
// once the chart has the focus. Screen readers see a list of 24 hours.
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

    // Where things are, in widget coordinates.
    QRectF columnRect(int hour) const;
    QRectF cellRect(int hour, int cell) const;
    QRectF labelRect(int hour) const;
    int hourAt(QPointF position) const;

    // Whether cell `cell` (firstCell … endCell − 1, top to bottom) of `hour`
    // is lit by the loaded prices: when (endCell − cell) / cellCount() is at
    // most the hour's level.
    bool isLit(int hour, int cell) const;
    // The hour whose label is highlighted: the view model's clock's, read at
    // each redraw; none (-1) without a view model.
    int currentHour() const;
    // The hour the keyboard is on, while the chart has the focus.
    int focusedHour() const { return m_focusHour; }
    bool isFocusShown() const { return m_focus.isShown(this); }
    // "17:00, 138 öre per kWh", or "05:00, no price".
    QString spokenHour(int hour) const;

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
        std::vector<int> litCells; // per hour
        int currentHour = -1;
        friend bool operator==(const CacheKey &, const CacheKey &) = default;
    };

    static QFont labelFont(const QFont &base, bool bold);
    // The hour's level, or nothing when it has no record.
    std::optional<double> level(int hour) const;
    bool isLit(int cell, const std::optional<double> &level) const;
    qreal labelHeight() const;
    int litCellCount(int hour) const;
    void drawChart(QPainter &painter, const CacheKey &key) const;
    // Shows the hour's price as a tooltip at `globalPosition`, or hides the
    // tooltip when the hour has none.
    void showPriceTip(int hour, QPoint globalPosition);
    void setFocusHour(int hour);

    QPointer<price::ContentViewModel> m_viewModel;
    int m_firstCell;
    int m_endCell;
    view_helpers::CachedDrawing<CacheKey> m_drawing;
    // The hour whose price the tooltip shows, or -1.
    int m_tipHour = -1;
    int m_focusHour = -1;
    KeyboardFocus m_focus;
};

} // namespace tarimo::display
