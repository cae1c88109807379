#pragma once

#include <QStringView>

namespace tarimo::price {

// Writes one UTF-8 line to standard output and flushes it, so that lines
// appear at once even when the output is a pipe.
void printLine(QStringView line);

} // namespace tarimo::price
