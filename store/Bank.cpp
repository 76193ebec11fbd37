#include "store/Bank.h"

#include "store/BankError.h"
#include "store/BankPassword.h"
#include "store/BankTable.h"
#include "store/ConnectText.h"
#include "store/Database.h"
#include "store/Error.h"
#include "store/MarkFields.h"
#include "store/NewFile.h"
#include "store/Schema.h"
#include "store/SqlName.h"
#include "store/Statement.h"

#include <QFileInfo>

#include <utility>

namespace store {

namespace {

std::shared_ptr<Database> openBank(const QString& path) {
    return std::make_shared<Database>(path, ConnectText::parse(BankConnectText),
                                      Database::Mode::ReadWrite);
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
        m_insert.bind(1, q.id);
        m_insert.bind(2, q.index.value_or(q.id));
        m_insert.bind(3, q.question ? QVariant(*q.question) : QVariant());
        m_insert.bind(4, q.answer ? QVariant(*q.answer) : QVariant());
        m_insert.bind(5, q.category ? QVariant(*q.category) : QVariant());
        for (int i = 0; i < 3; ++i)
            m_insert.bind(6 + i, q.sets[size_t(i)]);
        for (int i = 0; i < 6; ++i)
            m_insert.bind(9 + i, q.marks[size_t(i)]);
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
            m_db.exec("CREATE TABLE IF NOT EXISTS DECKCARDS (Identity TEXT PRIMARY KEY, "
                      "ID INTEGER NOT NULL) WITHOUT ROWID");
            m_insert.emplace(m_db, QStringLiteral("INSERT OR REPLACE INTO DECKCARDS "
                                                  "(Identity, ID) VALUES (?1, ?2)"));
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
        Database db(building.path(), ConnectText::parse(BankConnectText),
                    Database::Mode::CreateNew);
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
        Database db(path, ConnectText::parse(BankConnectText), Database::Mode::ReadOnly);
        return true;
    } catch (const Error& error) {
        if (error.number() == err::NotValidPassword)
            return false;
        throw;
    }
}

std::vector<Question> readBank(const QString& path) {
    auto db = openBank(path);
    Statement select(*db, QStringLiteral("SELECT %1 FROM %2 ORDER BY ID")
                              .arg(bankColumnList(), quoteName(BankTableName)));
    std::vector<Question> questions;
    while (select.step()) {
        Question q;
        if (select.column(0).isNull())
            throw Error(
                err::InvalidUseOfNull,
                QStringLiteral("Invalid use of Null: a question in '%1' has no ID.").arg(path));
        q.id = select.columnInt64(0);
        if (!select.column(1).isNull())
            q.index = select.columnInt64(1);
        q.question = optionalText(select.column(2));
        q.answer = optionalText(select.column(3));
        q.category = optionalText(select.column(4));
        // Yes/no as the program and its card sets read them, whatever another tool stored.
        for (int i = 0; i < 3; ++i)
            q.sets[size_t(i)] = isYes(select.column(5 + i));
        for (int i = 0; i < 6; ++i)
            q.marks[size_t(i)] = isYes(select.column(8 + i));
        questions.push_back(std::move(q));
    }
    return questions;
}

QHash<QString, qint64> readIdentities(const QString& path) {
    auto db = openBank(path);
    QHash<QString, qint64> identities;
    Statement known(*db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                        "AND name = 'DECKCARDS'"));
    if (!known.step())
        return identities;
    Statement select(*db, QStringLiteral("SELECT Identity, ID FROM DECKCARDS"));
    while (select.step())
        identities.insert(select.column(0).toString(), select.columnInt64(1));
    return identities;
}

ImportCounts importQuestions(const QString& path, const QuestionSource& questions, bool dryRun) {
    auto db = openBank(path);
    ImportCounts counts;
    Database::Transaction writing(*db);
    const QString table = quoteName(BankTableName);
    Statement find(*db, QStringLiteral("SELECT Question, Answer, Category, BASICS, TOUGH, FINAL "
                                       "FROM %1 WHERE ID = ?1")
                            .arg(table));
    Statement update(*db, QStringLiteral("UPDATE %1 SET Question = ?2, Answer = ?3, "
                                         "Category = ?4, BASICS = ?5, TOUGH = ?6, FINAL = ?7 "
                                         "WHERE ID = ?1")
                              .arg(table));
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
        bool same = optionalText(find.column(0)) == q.question &&
                    optionalText(find.column(1)) == q.answer &&
                    optionalText(find.column(2)) == q.category;
        for (int i = 0; i < 3; ++i)
            same = same && isYes(find.column(3 + i)) == (q.sets[size_t(i)] != 0);
        find.reset();
        if (same) {
            ++counts.unchanged;
            return;
        }
        update.bind(1, q.id);
        update.bind(2, q.question ? QVariant(*q.question) : QVariant());
        update.bind(3, q.answer ? QVariant(*q.answer) : QVariant());
        update.bind(4, q.category ? QVariant(*q.category) : QVariant());
        for (int i = 0; i < 3; ++i)
            update.bind(5 + i, q.sets[size_t(i)]);
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
