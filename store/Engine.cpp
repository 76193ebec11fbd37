#include "store/Engine.h"

#include "store/ConnectText.h"
#include "store/Error.h"

#include <sqlcipher/sqlite3.h>

namespace store {

Engine::Engine() {
    if (const int rc = sqlite3_initialize(); rc != SQLITE_OK)
        throw Error(err::EngineError, QStringLiteral("The database engine could not start (%1).")
                                          .arg(QString::fromUtf8(sqlite3_errstr(rc))));
}

std::shared_ptr<Database> Engine::openDatabase(const QString& path, Database::Mode mode,
                                               const QString& connect) {
    return std::make_shared<Database>(path, ConnectText::parse(connect), mode);
}

} // namespace store
