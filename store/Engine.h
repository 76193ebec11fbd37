#pragma once

#include "store/Database.h"

#include <QString>

#include <memory>

namespace store {

// The database engine: made once, on first use, and kept for the run.
class Engine {
public:
    Engine();

    // Other programs may read and write the bank meanwhile.
    std::shared_ptr<Database> openDatabase(const QString& path, Database::Mode mode,
                                           const QString& connect);
};

} // namespace store
