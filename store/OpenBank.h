#pragma once

#include "store/Database.h"

#include <QString>

#include <memory>

namespace store {

// A bank opened with the program's key: to read, to write, or made new (CreateNew refuses an
// existing file).
std::shared_ptr<Database> openBank(const QString& path, Database::Mode mode);

} // namespace store
