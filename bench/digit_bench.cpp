// Costs of drawing segment digits and their glows.
#include "bench/benchmark_main.h"
#include "digit/digit.h"
#include "view_helpers/shadow.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <benchmark/benchmark.h>

#include <memory>

using tarimo::digit::Digit;
namespace view_helpers = tarimo::view_helpers;

namespace {

// A 60 × 80 digit as the price panel makes it.
struct Stage
{
    explicit Stage(int value)
    {
        QColor faint(Qt::black);
        faint.setAlphaF(0.052f);
        QColor red(0xff, 0, 0);
        red.setAlphaF(0.95f);
        digit = std::make_unique<Digit>(8, 0, value, faint, red, true);
        digit->setFixedSize(60, 80);
    }

    std::unique_ptr<Digit> digit;
};

QImage target(qreal ratio)
{
    QImage image(QSize(92, 112) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

// The digit's paint, as its widget runs it on every repaint.
void paintUnchanged(benchmark::State &state)
{
    const qreal ratio = qreal(state.range(0));
    Stage stage(8);
    QImage image = target(ratio);
    QPainter painter(&image);
    painter.translate(16, 16);
    stage.digit->paint(painter); // fills the cache
    const auto blursBefore = view_helpers::shadowCacheStatistics().blurs;
    for (auto _ : state)
        stage.digit->paint(painter);
    if (view_helpers::shadowCacheStatistics().blurs != blursBefore)
        state.SkipWithError("an unchanged repaint blurred");
}
BENCHMARK(paintUnchanged)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// The whole widget repaint through Qt: paint event, overhang effect, clip.
void renderUnchangedWidget(benchmark::State &state)
{
    Stage stage(8);
    QImage image = target(1);
    stage.digit->render(&image);
    for (auto _ : state)
        stage.digit->render(&image, QPoint(16, 16));
}
BENCHMARK(renderUnchangedWidget)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// A new value each time: the digit redraws its image. Arg 1 empties the
// shared glow cache first, so every lit segment is blurred afresh.
void changeValue(benchmark::State &state)
{
    const bool cold = state.range(0) != 0;
    Stage stage(8);
    QImage image = target(1);
    QPainter painter(&image);
    int value = 0;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            view_helpers::clearShadowCache();
            state.ResumeTiming();
        }
        value = (value + 1) % 10;
        stage.digit->setValue(value);
        stage.digit->paint(painter);
    }
}
BENCHMARK(changeValue)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// One blur of the size the next panel needs most: a 14 × 2 bar-chart cell
// with radius 10, and the 400 × 360 inner shadow with radius 20.
void blurCell(benchmark::State &state)
{
    QImage image = target(1);
    QPainter painter(&image);
    QPainterPath cell;
    cell.addRect(QRectF(10, 50, 14, 2));
    const auto glow = view_helpers::Shadow::glow(Qt::red, 1.0, 10);
    for (auto _ : state) {
        view_helpers::clearShadowCache();
        view_helpers::drawPathShadow(painter, cell, glow);
    }
}
BENCHMARK(blurCell)->Unit(benchmark::kMicrosecond);

void blurPanelInnerShadow(benchmark::State &state)
{
    const qreal ratio = qreal(state.range(0));
    QImage image(QSize(400, 360) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    QColor black(Qt::black);
    black.setAlphaF(0.7f);
    const view_helpers::Shadow shadow{black, 20, QPointF(1, 1)};
    for (auto _ : state) {
        view_helpers::clearShadowCache();
        view_helpers::drawInnerShadow(painter, QRectF(0, 0, 400, 360), shadow);
    }
}
BENCHMARK(blurPanelInnerShadow)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
