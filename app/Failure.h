#pragma once

#include <exception>
#include <utility>

class QString;

namespace app {

// The text the user is shown for a failure: "Run-time error 'N':", a blank line, the
// description; a Refusal's description alone.
QString failureText(std::exception_ptr failure);

// What becomes of a failure that escaped an event handler. The program's own reporter shows
// it and ends the process; tests put one in that fails the running test instead.
using FailureReporter = void (*)(std::exception_ptr failure);
void setFailureReporter(FailureReporter reporter); // nullptr: the program's own
void reportFailure(std::exception_ptr failure);

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
