#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tarimo::api_client {

// Leaves Unicode letters, marks and decimal digits as they are and writes every
// other character as "%" and two upper-case hex digits per UTF-8 byte, so
// that "a b-c" becomes "a%20b%2Dc". Text that is not valid UTF-16 (a lone
// surrogate) has no UTF-8 form: the result is then absent.
std::optional<QString> percentEncoded(QStringView text);

// Resolves every "%" escape. Absent when an escape is malformed or the
// resolved bytes are not valid UTF-8.
std::optional<QString> removingPercentEncoding(QStringView text);

} // namespace tarimo::api_client
