#include "price/console.h"

#include <QString>

#include <iostream>

namespace tarimo::price {

void printLine(QStringView line)
{
    const QByteArray utf8 = line.toUtf8();
    std::cout.write(utf8.constData(), utf8.size());
    std::cout << std::endl;
}

} // namespace tarimo::price
