#pragma once

#include <QString>

namespace store {

// "1 question", "2 questions": a count and its noun, as every message that counts says it.
inline QString counted(qint64 n, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
}

} // namespace store
