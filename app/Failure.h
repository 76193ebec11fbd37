#pragma once

#include <exception>
#include <utility>

class QString;

namespace app {

// The text the user is shown for a failure: "Run-time error 'N':", a blank line, the
// description; a Refusal's description alone.
QString failureText(std::exception_ptr failure);

// Reports a failure that escaped an event handler, then ends the process.
[[noreturn]] void reportFailure(std::exception_ptr failure);

// Wraps an event handler for connect(): what escapes it is reported at this boundary.
template <class Handler> auto handler(Handler run) {
    return [run = std::move(run)](auto&&...) {
        try {
            run();
        } catch (...) {
            reportFailure(std::current_exception());
        }
    };
}

} // namespace app
