#pragma once

// The main() of every benchmark program: a Qt application of the given kind
// (widgets draw offscreen unless told otherwise), then Google Benchmark.

#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

template<class Application>
int runBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Application app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
