#include "store/BankTable.h"

#include "store/Error.h"
#include "store/MarkFields.h"
#include "store/SqlName.h"

#include <algorithm>

namespace store {

const QString StartIndexName = QStringLiteral("QATABLE_ID_Index");
const QStringList StartIndexColumns = {bankColumnName(BankColumn::Id),
                                       bankColumnName(BankColumn::Index)};

namespace {

QString columnType(const QString& column, IdColumn id) {
    if (column == u"ID" && id == IdColumn::Key)
        return QStringLiteral("INTEGER PRIMARY KEY NOT NULL");
    if (column == u"Question" || column == u"Answer" || column == u"Category")
        return QStringLiteral("TEXT");
    return QStringLiteral("INTEGER");
}

} // namespace

const std::array<QString, 3>& premadeSetFields() {
    static const std::array<QString, 3> names = {QStringLiteral("BASICS"), QStringLiteral("TOUGH"),
                                                 QStringLiteral("FINAL")};
    return names;
}

const QStringList& bankColumns() {
    static const QStringList columns =
        QStringList{QStringLiteral("ID"), QStringLiteral("Index"), QStringLiteral("Question"),
                    QStringLiteral("Answer"), QStringLiteral("Category")} +
        QStringList(premadeSetFields().begin(), premadeSetFields().end()) +
        QStringList(markFields().begin(), markFields().end());
    return columns;
}

QString bankColumnName(BankColumn column) {
    return bankColumns()[int(column)];
}

BankColumns::BankColumns(std::initializer_list<BankColumn> columns)
    : m_columns(columns) {}

const BankColumns& BankColumns::all() {
    static const BankColumns every = {
        BankColumn::Id,       BankColumn::Index,  BankColumn::Question, BankColumn::Answer,
        BankColumn::Category, BankColumn::Basics, BankColumn::Tough,    BankColumn::Final,
        BankColumn::Mark1,    BankColumn::Mark2,  BankColumn::Mark3,    BankColumn::Mark4,
        BankColumn::Mark5,    BankColumn::Mark6};
    return every;
}

QString BankColumns::list() const {
    QStringList quoted;
    for (BankColumn column : m_columns)
        quoted << quoteName(bankColumnName(column));
    return quoted.join(QStringLiteral(", "));
}

QString BankColumns::assignments(int first) const {
    QStringList assigned;
    for (BankColumn column : m_columns)
        assigned << QStringLiteral("%1 = ?%2")
                        .arg(quoteName(bankColumnName(column)))
                        .arg(parameter(column, first));
    return assigned.join(QStringLiteral(", "));
}

int BankColumns::at(BankColumn column) const {
    const auto it = std::find(m_columns.begin(), m_columns.end(), column);
    if (it == m_columns.end())
        throw Error(err::ItemNotFound,
                    QStringLiteral("Item not found in this collection. The statement names no "
                                   "column '%1'.")
                        .arg(bankColumnName(column)));
    return int(it - m_columns.begin());
}

QString bankColumnList() {
    return BankColumns::all().list();
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

QString createDeckCardsTableSql() {
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Identity TEXT PRIMARY KEY, ID INTEGER "
                          "NOT NULL) WITHOUT ROWID")
        .arg(DeckCardsTableName);
}

QString createBankIndexSql() {
    return QStringLiteral("CREATE INDEX %1 ON %2 (Category)")
        .arg(quoteName(BankTableName + QStringLiteral("_Category")), quoteName(BankTableName));
}

} // namespace store
