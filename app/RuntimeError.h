#pragma once

#include "store/Error.h"

namespace app {

// A numbered failure that does not come from the store: a conversion, a program that
// would not start.
class RuntimeError : public store::Error {
public:
    using store::Error::Error;
};

} // namespace app
