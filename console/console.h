#pragma once

#include <QStringView>

namespace tarimo::console {

// Writes `line` and a line break to standard output as UTF-8, in one write,
// and flushes: lines of concurrent tasks stay whole, and each appears at once
// even when the output is a pipe or the process stops right after.
void printLine(QStringView line);

} // namespace tarimo::console
