#include "console/console.h"

#include <QByteArray>

#include <iostream>

namespace tarimo::console {

void printLine(QStringView line)
{
    QByteArray utf8 = line.toUtf8();
    utf8.append('\n');
    std::cout.write(utf8.constData(), utf8.size());
    std::cout.flush();
}

} // namespace tarimo::console
