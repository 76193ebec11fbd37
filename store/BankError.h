#pragma once

#include "store/Error.h"

namespace store {

// A failure of a bank command, for the user.
class BankError : public Error {
public:
    explicit BankError(const QString& message)
        : Error(err::BankRefused, message) {}
};

} // namespace store
