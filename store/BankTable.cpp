#include "store/BankTable.h"

#include "store/MarkFields.h"
#include "store/SqlName.h"

namespace store {

namespace {

QString columnType(const QString& column) {
    if (column == u"ID")
        return QStringLiteral("INTEGER PRIMARY KEY NOT NULL");
    if (column == u"Question" || column == u"Answer" || column == u"Category")
        return QStringLiteral("TEXT");
    return QStringLiteral("INTEGER");
}

} // namespace

const QStringList& bankColumns() {
    static const QStringList columns =
        QStringList{QStringLiteral("ID"),       QStringLiteral("Index"),
                    QStringLiteral("Question"), QStringLiteral("Answer"),
                    QStringLiteral("Category"), QStringLiteral("BASICS"),
                    QStringLiteral("TOUGH"),    QStringLiteral("FINAL")} +
        QStringList(markFields().begin(), markFields().end());
    return columns;
}

QString bankColumnDefinitions() {
    QStringList definitions;
    for (const QString& column : bankColumns())
        definitions << quoteName(column) + u' ' + columnType(column);
    return definitions.join(QStringLiteral(", "));
}

QString createBankTableSql() {
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoteName(BankTableName), bankColumnDefinitions());
}

} // namespace store
