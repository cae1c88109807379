#pragma once

#include <QString>

namespace tarimo::menubar_access {

// Writes `text` and a newline to standard output as UTF-8 and flushes, so
// each message is one whole line even when the process stops right after.
void printLine(const QString &text);

} // namespace tarimo::menubar_access
