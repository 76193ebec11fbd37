#include "bench/BenchBank.h"

#include "store/Bank.h"
#include "store/Categories.h"

#include <QDir>

#include <array>
#include <random>

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

} // namespace

BankInfo makeBank(const QString& root, int questions) {
    BankInfo bank;
    bank.questions = questions;
    bank.folder = QDir(root).filePath(QStringLiteral("bank-%1").arg(questions));
    QDir().mkpath(bank.folder + QStringLiteral("/db"));
    bank.file = bank.folder + QStringLiteral("/db/voreldb.mdb");

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
        const QString start = QString::fromUtf8(QuestionOpenings[opening(random)]) + u' ';
        q.question = start + words(random, questionLength(random) - int(start.size()) - 1) + u'?';
        const QString answer = words(random, answerLength(random) - 1);
        q.answer = answer.left(1).toUpper() + answer.mid(1) + u'.';
        q.category = captions[size_t((n - 1) % int(captions.size()))];
        q.sets = {percent(random) < 30, percent(random) < 15, percent(random) < 25};
        q.marks[0] = percent(random) < 10;
        q.marks[1] = percent(random) < 5;
        bank.textBytes +=
            q.question->toUtf8().size() + q.answer->toUtf8().size() + q.category->toUtf8().size();
        cards.push_back(std::move(q));
    }
    store::createBank(bank.file, cards);
    return bank;
}

} // namespace bench
