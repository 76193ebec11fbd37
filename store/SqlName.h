#pragma once

#include <QString>

namespace store {

// A table or column name as SQL text, quoted so that no name is read as a keyword.
QString quoteName(const QString& name);

} // namespace store
