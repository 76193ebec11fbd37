#pragma once

#include "store/Error.h"

namespace print {

// A card set that cannot be laid out on paper as asked, for the user to mend.
class PrintError : public store::Error {
public:
    explicit PrintError(const QString& message)
        : Error(store::err::PrintRefused, message) {}
};

} // namespace print
