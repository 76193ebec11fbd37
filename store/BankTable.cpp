#include "store/BankTable.h"

#include "store/MarkFields.h"
#include "store/SqlName.h"

namespace store {

namespace {

QString columnType(const QString& column, IdColumn id) {
    if (column == u"ID" && id == IdColumn::Key)
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

QString bankColumnList() {
    QStringList quoted;
    for (const QString& column : bankColumns())
        quoted << quoteName(column);
    return quoted.join(QStringLiteral(", "));
}

QString bankColumnDefinition(const QString& column, IdColumn id) {
    return quoteName(column) + u' ' + columnType(column, id);
}

QString bankColumnDefinitions(IdColumn id) {
    QStringList definitions;
    for (const QString& column : bankColumns())
        definitions << bankColumnDefinition(column, id);
    return definitions.join(QStringLiteral(", "));
}

QString bankColumnPlaceholders() {
    QStringList placeholders;
    for (qsizetype i = 1; i <= bankColumns().size(); ++i)
        placeholders << QStringLiteral("?%1").arg(i);
    return placeholders.join(QStringLiteral(", "));
}

QString createBankTableSql() {
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoteName(BankTableName), bankColumnDefinitions());
}

QString createBankIndexSql() {
    return QStringLiteral("CREATE INDEX %1 ON %2 (Category)")
        .arg(quoteName(BankTableName + QStringLiteral("_Category")), quoteName(BankTableName));
}

} // namespace store
