#include "menubar_access/console_line.h"

#include <iostream>

namespace tarimo::menubar_access {

void printLine(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::cout.write(utf8.constData(), utf8.size());
    std::cout << '\n' << std::flush;
}

} // namespace tarimo::menubar_access
