#pragma once

#include "store/Error.h"

namespace app {

// A numbered failure that does not come from the store: a conversion, say.
class RuntimeError : public store::Error {
public:
    using store::Error::Error;
};

// The program will not go on, and says why in plain words: the user is shown the
// description alone, without the run-time error heading.
class Refusal : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

} // namespace app
