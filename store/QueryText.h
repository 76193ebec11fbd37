#pragma once

#include <QString>
#include <QVariant>

#include <vector>

namespace store {

// One "<field> = <value>" term of a WHERE clause.
struct Condition {
    enum class Kind { True, False, Equals };
    QString field;
    Kind kind = Kind::Equals;
    QVariant value; // for Equals: a qint64 or a QString
};

// The query language the program sends:
//   SELECT * FROM <table> [WHERE <field> = <value> [OR <field> = <value>]...]
// with YES, NO, TRUE, FALSE, integers and '...' texts as values.
struct Query {
    QString table;
    std::vector<Condition> conditions; // joined by OR; none: every record

    // Throws store::Error 3075 quoting the text when it is not of that form.
    static Query parse(const QString& text);
};

} // namespace store
