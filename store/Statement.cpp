#include "store/Statement.h"

#include "store/Database.h"

#include <sqlcipher/sqlite3.h>

namespace store {

void Statement::Finalize::operator()(sqlite3_stmt* stmt) const {
    sqlite3_finalize(stmt);
}

Statement::Statement(const Database& db, const QString& sql)
    : m_db(&db) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const int rc =
        sqlite3_prepare_v2(db.handle(), text.constData(), int(text.size()), &stmt, nullptr);
    m_stmt.reset(stmt);
    if (rc != SQLITE_OK)
        db.fail(rc, sql);
}

void Statement::bind(int index, const QVariant& value) {
    sqlite3_stmt* stmt = m_stmt.get();
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc =
                sqlite3_bind_blob64(stmt, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, index, text.constData(), text.size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        m_db->fail(rc);
}

void Statement::bindInt64(int index, qint64 value) {
    if (const int rc = sqlite3_bind_int64(m_stmt.get(), index, value); rc != SQLITE_OK)
        m_db->fail(rc);
}

int Statement::parameterCount() const {
    return sqlite3_bind_parameter_count(m_stmt.get());
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Leave the statement reusable before reporting.
    sqlite3_reset(m_stmt.get());
    m_db->fail(rc);
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(m_stmt.get());
    sqlite3_clear_bindings(m_stmt.get());
}

QVariant Statement::column(int column) const {
    sqlite3_stmt* stmt = m_stmt.get();
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt, column)));
    }
    case SQLITE_NULL:
    default:
        return {};
    }
}

qint64 Statement::columnInt64(int column) const {
    return sqlite3_column_int64(m_stmt.get(), column);
}

bool Statement::columnIsInteger(int column) const {
    return sqlite3_column_type(m_stmt.get(), column) == SQLITE_INTEGER;
}

} // namespace store
