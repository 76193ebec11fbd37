#pragma once

#include <stdexcept>
#include <string>

namespace bench {

// Stops the run when what it measured did not do its work.
inline void require(bool condition, const char* what) {
    if (!condition)
        throw std::runtime_error(std::string("check failed: ") + what);
}

} // namespace bench
