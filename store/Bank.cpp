#include "store/Bank.h"

#include "store/BankError.h"
#include "store/BankTable.h"
#include "store/Database.h"
#include "store/Error.h"
#include "store/MarkFields.h"
#include "store/NewFile.h"
#include "store/OpenBank.h"
#include "store/Schema.h"
#include "store/SqlName.h"
#include "store/Statement.h"

#include <QFileInfo>

#include <utility>

namespace store {

namespace {

QVariant optionalValue(const std::optional<QString>& text) {
    return text ? QVariant(*text) : QVariant();
}

// Writes questions one by one with a statement prepared once.
class Inserter {
public:
    explicit Inserter(Database& db)
        : m_insert(db,
                   QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(quoteName(BankTableName), bankColumnList(), bankColumnPlaceholders())) {
    }

    void operator()(const Question& q) {
        const BankColumns& all = BankColumns::all();
        m_insert.bind(all.parameter(BankColumn::Id), q.id);
        m_insert.bind(all.parameter(BankColumn::Index), q.index.value_or(q.id));
        m_insert.bind(all.parameter(BankColumn::Question), optionalValue(q.question));
        m_insert.bind(all.parameter(BankColumn::Answer), optionalValue(q.answer));
        m_insert.bind(all.parameter(BankColumn::Category), optionalValue(q.category));
        for (int i = 0; i < 3; ++i)
            m_insert.bind(all.parameter(setColumn(i)), q.sets[size_t(i)]);
        for (int i = 0; i < 6; ++i)
            m_insert.bind(all.parameter(markColumn(i)), q.marks[size_t(i)]);
        m_insert.run();
    }

private:
    Statement m_insert;
};

// Remembers the identity another program gave a question, in a table of their own.
class IdentityWriter {
public:
    explicit IdentityWriter(Database& db)
        : m_db(db) {}

    void operator()(const Question& q) {
        if (q.identity.isEmpty())
            return;
        if (!m_insert) {
            m_db.exec(createDeckCardsTableSql().toUtf8().constData());
            m_insert.emplace(m_db, QStringLiteral("INSERT OR REPLACE INTO %1 (Identity, ID) "
                                                  "VALUES (?1, ?2)")
                                       .arg(DeckCardsTableName));
        }
        m_insert->bind(1, q.identity);
        m_insert->bind(2, q.id);
        m_insert->run();
    }

private:
    Database& m_db;
    std::optional<Statement> m_insert;
};

QuestionSource fromList(const std::vector<Question>& questions) {
    return [&questions](const QuestionSink& sink) {
        for (const Question& q : questions)
            sink(q);
    };
}

std::optional<QString> optionalText(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

} // namespace

qint64 createBank(const QString& path, const QuestionSource& questions) {
    NewFile building(path, QStringLiteral("a bank holds marks, so it is never overwritten."));
    if (const QString journal = path + QStringLiteral("-journal"); QFileInfo::exists(journal))
        throw BankError(QStringLiteral("'%1' lies where the new bank's journal would be; the "
                                       "engine would play it back into the new bank. It is "
                                       "left from another bank: move it away first.")
                            .arg(journal));
    qint64 count = 0;
    {
        const auto bank = openBank(building.path(), Database::Mode::CreateNew);
        Database& db = *bank;
        Database::Transaction writing(db);
        createQuestionTable(db);
        Inserter insert(db);
        IdentityWriter remember(db);
        questions([&](const Question& q) {
            insert(q);
            remember(q);
            ++count;
        });
        if (count == 0)
            throw BankError(QStringLiteral("no questions for '%1': Memvane cannot start on an "
                                           "empty bank.")
                                .arg(path));
        createIndexes(db);
        writing.commit();
    }
    building.place();
    return count;
}

void createBank(const QString& path, const std::vector<Question>& questions) {
    createBank(path, fromList(questions));
}

bool isBank(const QString& path) {
    try {
        openBank(path, Database::Mode::ReadOnly);
        return true;
    } catch (const Error& error) {
        if (error.number() == err::NotValidPassword)
            return false;
        throw;
    }
}

std::vector<Question> readBank(const QString& path) {
    auto db = openBank(path, Database::Mode::ReadWrite);
    Statement select(*db, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                              .arg(bankColumnList(), quoteName(BankTableName),
                                   quoteName(bankColumnName(BankColumn::Id))));
    std::vector<Question> questions;
    const BankColumns& all = BankColumns::all();
    while (select.step()) {
        Question q;
        if (select.column(all.at(BankColumn::Id)).isNull())
            throw Error(
                err::InvalidUseOfNull,
                QStringLiteral("Invalid use of Null: a question in '%1' has no ID.").arg(path));
        q.id = select.columnInt64(all.at(BankColumn::Id));
        if (!select.column(all.at(BankColumn::Index)).isNull())
            q.index = select.columnInt64(all.at(BankColumn::Index));
        q.question = optionalText(select.column(all.at(BankColumn::Question)));
        q.answer = optionalText(select.column(all.at(BankColumn::Answer)));
        q.category = optionalText(select.column(all.at(BankColumn::Category)));
        // Yes/no as the program and its card sets read them, whatever another tool stored.
        for (int i = 0; i < 3; ++i)
            q.sets[size_t(i)] = isYes(select.column(all.at(setColumn(i))));
        for (int i = 0; i < 6; ++i)
            q.marks[size_t(i)] = isYes(select.column(all.at(markColumn(i))));
        questions.push_back(std::move(q));
    }
    return questions;
}

QHash<QString, qint64> readIdentities(const QString& path) {
    auto db = openBank(path, Database::Mode::ReadWrite);
    QHash<QString, qint64> identities;
    Statement known(*db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                        "AND name = '%1'")
                             .arg(DeckCardsTableName));
    if (!known.step())
        return identities;
    Statement select(*db, QStringLiteral("SELECT Identity, ID FROM %1").arg(DeckCardsTableName));
    while (select.step())
        identities.insert(select.column(0).toString(), select.columnInt64(1));
    return identities;
}

ImportCounts importQuestions(const QString& path, const QuestionSource& questions, bool dryRun) {
    auto db = openBank(path, Database::Mode::ReadWrite);
    ImportCounts counts;
    Database::Transaction writing(*db);
    const QString table = quoteName(BankTableName);
    // The texts, the category and the sets: what an import may change.
    const BankColumns changeable = {BankColumn::Question, BankColumn::Answer, BankColumn::Category,
                                    BankColumn::Basics,   BankColumn::Tough,  BankColumn::Final};
    Statement find(*db,
                   QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1")
                       .arg(changeable.list(), table, quoteName(bankColumnName(BankColumn::Id))));
    Statement update(
        *db, QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?1")
                 .arg(table, changeable.assignments(2), quoteName(bankColumnName(BankColumn::Id))));
    Inserter insert(*db);
    IdentityWriter remember(*db);
    questions([&](const Question& q) {
        remember(q);
        find.bind(1, q.id);
        if (!find.step()) {
            find.reset();
            Question added = q;
            added.marks = {};
            added.index.reset();
            insert(added);
            ++counts.added;
            return;
        }
        bool same = optionalText(find.column(changeable.at(BankColumn::Question))) == q.question &&
                    optionalText(find.column(changeable.at(BankColumn::Answer))) == q.answer &&
                    optionalText(find.column(changeable.at(BankColumn::Category))) == q.category;
        for (int i = 0; i < 3; ++i)
            same =
                same && isYes(find.column(changeable.at(setColumn(i)))) == (q.sets[size_t(i)] != 0);
        find.reset();
        if (same) {
            ++counts.unchanged;
            return;
        }
        update.bind(1, q.id);
        update.bind(changeable.parameter(BankColumn::Question, 2), optionalValue(q.question));
        update.bind(changeable.parameter(BankColumn::Answer, 2), optionalValue(q.answer));
        update.bind(changeable.parameter(BankColumn::Category, 2), optionalValue(q.category));
        for (int i = 0; i < 3; ++i)
            update.bind(changeable.parameter(setColumn(i), 2), q.sets[size_t(i)]);
        update.run();
        ++counts.updated;
    });
    if (!dryRun) {
        addStartIndex(*db);
        writing.commit();
    }
    return counts;
}

} // namespace store
