#include "tools/bank/BankCommands.h"

#include "store/Bank.h"
#include "store/Categories.h"
#include "store/CsvReader.h"
#include "store/Error.h"
#include "store/NewFile.h"
#include "store/Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace tools {

namespace {

struct Command {
    QString name;
    QString usage;
    QString help;
    std::function<void(const QStringList&, QTextStream&)> run;
};

constexpr qint64 PieceBytes = 64 * 1024;

void openCsv(QFile& file) {
    if (!file.open(QIODevice::ReadOnly))
        throw store::BankError(
            QStringLiteral("cannot read '%1': %2").arg(file.fileName(), file.errorString()));
}

// Reads the file a piece at a time and passes each question on as soon as it is read, so a
// file of any size takes little memory. Returns how many there were.
qint64 readQuestions(QFile& file, const store::QuestionSink& sink) {
    qint64 count = 0;
    try {
        store::QuestionReader reader([&](const store::Question& q) {
            sink(q);
            ++count;
        });
        QByteArray piece(PieceBytes, Qt::Uninitialized);
        for (;;) {
            const qint64 read = file.read(piece.data(), PieceBytes);
            if (read < 0)
                throw store::BankError(QStringLiteral("cannot read '%1': %2")
                                           .arg(file.fileName(), file.errorString()));
            if (read == 0)
                break;
            reader.feed(QByteArrayView(piece.constData(), read));
        }
        reader.finish();
    } catch (const store::CsvError& error) {
        throw store::BankError(QStringLiteral("%1, line %2: %3")
                                   .arg(file.fileName())
                                   .arg(error.line())
                                   .arg(error.reason()));
    }
    return count;
}

void create(const QStringList& args, QTextStream& out) {
    QFile csv(args[0]);
    openCsv(csv);
    const qint64 count = store::createBank(args[1], [&](const store::QuestionSink& sink) {
        if (readQuestions(csv, sink) == 0)
            throw store::BankError(
                QStringLiteral("%1 holds no questions, only a header: Memvane cannot start on an "
                               "empty bank, so none was made.")
                    .arg(args[0]));
    });
    out << "Created " << args[1] << " with " << count << " questions.\n";
}

void import(const QStringList& args, QTextStream& out) {
    QFile csv(args[0]);
    openCsv(csv);
    const store::ImportCounts counts = store::importQuestions(
        args[1], [&](const store::QuestionSink& sink) { readQuestions(csv, sink); });
    out << "Added " << counts.added << ", updated " << counts.updated << ", left alone "
        << counts.unchanged << ".\n";
}

void exportCsv(const QStringList& args, QTextStream& out) {
    const auto questions = store::readBank(args[0]);
    const QString refusal = QStringLiteral("'%1' exists already").arg(args[1]);
    if (QFileInfo::exists(args[1]))
        throw store::BankError(refusal);
    store::NewFile file(args[1]);
    file.write(store::questionsCsv(questions));
    if (!file.place())
        throw store::BankError(refusal);
    out << "Exported " << questions.size() << " questions to " << args[1] << ".\n";
}

void check(const QStringList& args, QTextStream& out) {
    const QString& bank = args.last();
    const auto questions = store::readBank(bank);
    const bool added = args.size() == 2 && store::addStartIndex(bank);
    const auto& captions = store::categories();
    QMap<QString, int> perCategory;
    std::array<int, 3> perSet{};
    std::array<int, 6> perMark{};
    int nullTexts = 0;
    int indexOff = 0;
    for (const store::Question& q : questions) {
        perCategory[q.category.value_or(QStringLiteral("(none)"))]++;
        for (size_t i = 0; i < 3; ++i)
            perSet[i] += q.sets[i];
        for (size_t i = 0; i < 6; ++i)
            perMark[i] += q.marks[i];
        nullTexts += !q.question + !q.answer + !q.category;
        indexOff += q.index != q.id;
    }
    out << "Questions: " << questions.size() << "\n\nPer category:\n";
    for (const QString& caption : captions)
        out << "  " << caption << ": " << perCategory.value(caption) << "\n";
    QStringList strays;
    for (auto it = perCategory.cbegin(); it != perCategory.cend(); ++it) {
        if (std::find(captions.begin(), captions.end(), it.key()) == captions.end())
            strays << QStringLiteral("  %1: %2 (matches no category box)")
                          .arg(it.key())
                          .arg(it.value());
    }
    if (!strays.isEmpty())
        out << strays.join(u'\n') << "\n";
    out << "\nPer set:\n  BASICS: " << perSet[0] << "\n  TOUGH: " << perSet[1]
        << "\n  FINAL: " << perSet[2] << "\n";
    for (size_t i = 0; i < 6; ++i)
        out << "  Custom Set #" << i + 1 << ": " << perMark[i] << "\n";
    out << "\nNull texts: " << nullTexts << "\n";
    out << (indexOff == 0
                ? QStringLiteral("Index = ID in every question.\n")
                : QStringLiteral("Index differs from ID in %1 questions.\n").arg(indexOff));
    out << (added                        ? QStringLiteral("Start-up index: added.\n")
            : store::hasStartIndex(bank) ? QStringLiteral("Start-up index: present.\n")
                                         : QStringLiteral("Start-up index: missing; memvane-bank "
                                                          "check --fix BANK adds it.\n"));
}

const QList<Command>& commands() {
    static const QList<Command> list = {
        {QStringLiteral("create"), QStringLiteral("create CSV BANK"),
         QStringLiteral(
             "Builds a new bank from a CSV file with the header "
             "ID,Question,Answer,Category,BASICS,TOUGH,FINAL (and optionally Index, "
             "Mark1 to Mark6) and at least one question. Refuses to overwrite an existing "
             "bank."),
         create},
        {QStringLiteral("import"), QStringLiteral("import CSV BANK"),
         QStringLiteral("Adds the CSV's new questions to the bank and updates the texts, category "
                        "and sets of existing ones by ID. Every mark is kept."),
         import},
        {QStringLiteral("export"), QStringLiteral("export BANK CSV"),
         QStringLiteral("Writes the whole bank, marks included, as CSV that create reads back."),
         exportCsv},
        {QStringLiteral("check"), QStringLiteral("check [--fix] BANK"),
         QStringLiteral("Opens the bank with the program's key and reports its questions per "
                        "category and set, categories that match no category box, null texts, "
                        "whether Index equals ID, and whether the bank has the index on ID and "
                        "Index that lets the program start fast. --fix adds that index to a bank "
                        "made by an older tool."),
         check},
    };
    return list;
}

QString overview() {
    QString text = QStringLiteral("Usage: memvane-bank COMMAND ARGS...\n\nCommands:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1\n").arg(c.usage);
    return text + QStringLiteral("\nmemvane-bank COMMAND --help tells more.\n");
}

// Whether args are what the usage asks for; a word in square brackets is an option, given as
// written or left out.
bool fits(const Command& c, const QStringList& args) {
    qsizetype at = 0;
    for (const QString& word : c.usage.split(u' ').mid(1)) {
        if (!word.startsWith(u'['))
            ++at;
        else if (at < args.size() && args[at] == word.mid(1, word.size() - 2))
            ++at;
    }
    return at == args.size();
}

} // namespace

int runBankCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.isEmpty() || arguments[0] == u"--help" || arguments[0] == u"-h") {
        (arguments.isEmpty() ? err : out) << overview();
        return arguments.isEmpty() ? 2 : 0;
    }
    const auto& list = commands();
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const Command& c) { return c.name == arguments[0]; });
    if (it == list.end()) {
        err << "memvane-bank: unknown command '" << arguments[0] << "'\n\n" << overview();
        return 2;
    }
    const QStringList args = arguments.mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << "Usage: memvane-bank " << it->usage << "\n\n" << it->help << "\n";
        return 0;
    }
    if (!fits(*it, args)) {
        err << "Usage: memvane-bank " << it->usage << "\n";
        return 2;
    }
    try {
        it->run(args, out);
        return 0;
    } catch (const store::BankError& error) {
        err << "memvane-bank " << it->name << ": " << error.what() << "\n";
    } catch (const store::Error& error) {
        err << "memvane-bank " << it->name << ": error " << error.number() << ": "
            << error.description() << "\n";
    }
    return 1;
}

int runBankCommand(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runBankCommand(arguments, out, err);
}

} // namespace tools
