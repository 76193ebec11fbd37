#include "bench/BenchBank.h"

#include "app/ProgramFolder.h"
#include "bench/Check.h"
#include "bench/RawBank.h"
#include "store/Bank.h"
#include "store/Categories.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>

#include <array>
#include <random>
#include <stdexcept>

#include <unistd.h>

namespace bench {

namespace {

// Words of the study book, so that texts compress and lay out like real cards.
const std::array<const char*, 64> Words = {
    "cell",       "membrane",   "protein",    "enzyme",        "nucleus",  "chloroplast",
    "energy",     "glucose",    "oxygen",     "carbon",        "dioxide",  "water",
    "organism",   "species",    "population", "ecosystem",     "gene",     "allele",
    "dominant",   "recessive",  "chromosome", "mitosis",       "meiosis",  "DNA",
    "RNA",        "ribosome",   "amino",      "acid",          "sequence", "mutation",
    "selection",  "adaptation", "fossil",     "kingdom",       "phylum",   "bacteria",
    "virus",      "fungus",     "spore",      "root",          "stem",     "leaf",
    "xylem",      "phloem",     "vertebrate", "tissue",        "organ",    "hormone",
    "neuron",     "blood",      "heart",      "lung",          "kidney",   "digestion",
    "food chain", "producer",   "consumer",   "decomposer",    "habitat",  "35 °C",
    "10 µm",      "pH 7",       "ATP",        "photosynthesis"};

const std::array<const char*, 6> QuestionOpenings = {"Which",    "What",     "How does",
                                                     "Why does", "In which", "Name the"};

QString words(std::mt19937& random, int length) {
    std::uniform_int_distribution<size_t> pick(0, Words.size() - 1);
    QString text;
    while (text.size() < length) {
        if (!text.isEmpty())
            text += u' ';
        text += QString::fromUtf8(Words[pick(random)]);
    }
    text.truncate(length);
    return text.trimmed();
}

void makeBank(const QString& path, int questions) {
    std::mt19937 random(20240611u + unsigned(questions));
    std::uniform_int_distribution<int> questionLength(80, 150);
    std::uniform_int_distribution<int> answerLength(100, 300);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<size_t> opening(0, QuestionOpenings.size() - 1);
    const auto& captions = store::categories();

    std::vector<store::Question> cards;
    cards.reserve(size_t(questions));
    for (int n = 1; n <= questions; ++n) {
        store::Question q;
        q.id = n;
        q.index = 0; // as a bank is shipped: the first start renumbers every record
        const QString start = QString::fromUtf8(QuestionOpenings[opening(random)]) + u' ';
        q.question = start + words(random, questionLength(random) - int(start.size()) - 1) + u'?';
        const QString answer = words(random, answerLength(random) - 1);
        q.answer = answer.left(1).toUpper() + answer.mid(1) + u'.';
        q.category = captions[size_t((n - 1) % int(captions.size()))];
        q.sets = {percent(random) < 30, percent(random) < 15, percent(random) < 25};
        q.marks[0] = percent(random) < 10;
        q.marks[1] = percent(random) < 5;
        cards.push_back(std::move(q));
    }
    store::createBank(path, cards);
}

// Copies through a temporary name and syncs, so a copy is whole or absent, and the write-back
// of the copy never lands inside a timed run.
void copySynced(const QString& from, const QString& to) {
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(from, part))
        throw std::runtime_error("cannot copy " + from.toStdString());
    QFile copy(part);
    if (!copy.open(QIODevice::ReadWrite) || ::fsync(copy.handle()) != 0)
        throw std::runtime_error("cannot sync " + part.toStdString());
    copy.close();
    // A journal left by an interrupted run belongs to the old file.
    QFile::remove(to + QStringLiteral("-journal"));
    QFile::remove(to);
    if (!QFile::rename(part, to))
        throw std::runtime_error("cannot rename " + part.toStdString());
}

} // namespace

BankInfo bankIn(const QString& dir, int questions, bool startIndex) {
    BankInfo bank;
    bank.questions = questions;
    bank.folder = QDir(dir).absoluteFilePath(
        QString::fromLatin1(startIndex ? "bank-%1" : "bank-%1-no-index").arg(questions));
    QDir().mkpath(bank.folder + QStringLiteral("/db"));
    bank.file = app::bankPath(bank.folder);
    bank.firstStart = bank.folder + QStringLiteral("/first-start.mdb");
    if (!QFile::exists(bank.firstStart)) {
        if (startIndex) {
            makeBank(bank.firstStart, questions);
        } else {
            const QString part = bank.firstStart + QStringLiteral(".part");
            copySynced(bankIn(dir, questions).firstStart, part);
            RawBank(part).exec(("DROP INDEX " + store::StartIndexName).toUtf8().constData());
            if (!QFile::rename(part, bank.firstStart))
                throw std::runtime_error("cannot rename " + part.toStdString());
        }
    }
    // A folder kept from a run before the bank tool made the index holds a bank without it.
    if (startIndex && store::addStartIndex(bank.firstStart))
        QFile::remove(bank.file);
    require(store::hasStartIndex(bank.firstStart) == startIndex,
            "the bank has the start-up index, or lacks it, as its folder says");
    if (!QFile::exists(bank.file))
        copySynced(bank.firstStart, bank.file);
    return bank;
}

void restoreFirstStart(const BankInfo& bank) {
    copySynced(bank.firstStart, bank.file);
}

} // namespace bench
