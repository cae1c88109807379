#pragma once

#include <stdexcept>

namespace tarimo::price {

// A fetch that was stopped before it had an answer. It says nothing more,
// and nothing takes the answer's place (not even a saved copy).
class CancellationError : public std::runtime_error
{
public:
    CancellationError()
        : std::runtime_error("The operation was cancelled.")
    {}
};

} // namespace tarimo::price
