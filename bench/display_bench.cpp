// Costs of repainting the whole price panel with a loaded day: the header,
// five digits, the zones, the 24 × 38 cell chart and the glass.

#include "bench/benchmark_main.h"
#include "display/content_view.h"
#include "price/content_view_model.h"
#include "tests/support/run_task.h"
#include "tests/support/scripted_provider.h"
#include "view_helpers/shadow.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <iostream>
#include <memory>
#include <sstream>

using namespace tarimo;

namespace {

double dayCurve(int index, const QDateTime &)
{
    return 0.6 + 0.45 * std::sin(index * 0.13) + 0.3 * std::sin(index * 0.05 + 1.0);
}

// The panel as the price window holds it, after its day has loaded.
struct LoadedPanel
{
    LoadedPanel()
    {
        const QDate day(2025, 11, 12);
        const QByteArray json = test_support::serviceDay(day, 15, dayCurve);
        auto provider = std::make_shared<test_support::ScriptedProvider>(
            [json](const QDateTime &, price::Zone) { return test_support::decodeServiceDay(json); });
        const QDateTime now(day, QTime(17, 20));
        viewModel = std::make_unique<price::ContentViewModel>(provider, [now] { return now; });
        viewModel->timer()->stop();
        // The view model logs the record it shows; keep it out of the figures.
        std::ostringstream log;
        std::streambuf *console = std::cout.rdbuf(log.rdbuf());
        const auto loaded = test_support::runTask(viewModel->loadPrices());
        std::cout.rdbuf(console);
        if (!loaded.succeeded() || viewModel->state() != price::ContentViewModel::State::loaded)
            throw std::runtime_error("the day did not load");
        view = std::make_unique<display::ContentView>(viewModel.get());
    }

    // What the window's repaint does: the backdrop, then the panel and
    // every child widget over it.
    void repaint(QImage &image) const
    {
        image.fill(display::ContentView::backdropColor);
        QPainter painter(&image);
        view->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }

    std::unique_ptr<price::ContentViewModel> viewModel;
    std::unique_ptr<display::ContentView> view;
};

QImage target(qreal ratio)
{
    QImage image(display::ContentView::panelSize * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    return image;
}

// Nothing changed since the last paint: every glow comes from the cache.
// "blurs" counts the blurs that ran during the timed repaints (0 expected).
void repaintUnchanged(benchmark::State &state)
{
    const LoadedPanel panel;
    QImage image = target(qreal(state.range(0)));
    panel.repaint(image); // fills the caches
    const auto before = view_helpers::shadowCacheStatistics();
    for (auto _ : state)
        panel.repaint(image);
    const auto after = view_helpers::shadowCacheStatistics();
    state.counters["blurs"] = double(after.blurs - before.blurs);
    state.counters["cacheHitsPerRepaint"]
        = benchmark::Counter(double(after.hits - before.hits) / double(state.iterations()));
    if (after.blurs != before.blurs)
        state.SkipWithError("an unchanged repaint blurred");
}
BENCHMARK(repaintUnchanged)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// The first paint of a new panel in a fresh process: new widgets with empty
// image caches, and every glow blurred afresh.
void repaintFirst(benchmark::State &state)
{
    LoadedPanel panel;
    QImage image = target(qreal(state.range(0)));
    const auto before = view_helpers::shadowCacheStatistics();
    for (auto _ : state) {
        state.PauseTiming();
        panel.view = std::make_unique<display::ContentView>(panel.viewModel.get());
        view_helpers::clearShadowCache();
        state.ResumeTiming();
        panel.repaint(image);
    }
    state.counters["blursPerRepaint"]
        = benchmark::Counter(double(view_helpers::shadowCacheStatistics().blurs - before.blurs)
                             / double(state.iterations()));
}
BENCHMARK(repaintFirst)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
