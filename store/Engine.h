#pragma once

#include <QString>

#include <memory>

namespace store {

class Database;

// The database engine: made once, on first use, and kept for the run.
class Engine {
public:
    Engine();

    // Always shared: other programs may read and write the bank meanwhile.
    std::shared_ptr<Database> openDatabase(const QString& path, bool readOnly,
                                           const QString& connect);
};

} // namespace store
