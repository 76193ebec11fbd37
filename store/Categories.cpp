#include "store/Categories.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace store {

namespace {

// Levenshtein distance: the fewest letters to insert, delete or change to make a into b.
int distance(const QString& a, const QString& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min(
                {above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

} // namespace

const std::array<QString, CategoryCount>& categories() {
    static const std::array<QString, CategoryCount> captions = {
        QStringLiteral("The Chemistry of Life"),
        QStringLiteral("Cell Structure and Function"),
        QStringLiteral("Photosynthesis and Cellular Respiration"),
        QStringLiteral("Cell Division"),
        QStringLiteral("Mendelian Genetics"),
        QStringLiteral("DNA and Protein Synthesis"),
        QStringLiteral("Biotechnology"),
        QStringLiteral("Evolution"),
        QStringLiteral("Classification"),
        QStringLiteral("Bacteria and Viruses"),
        QStringLiteral("Protists and Fungi"),
        QStringLiteral("Plants"),
        QStringLiteral("Animals"),
        QStringLiteral("The Human Body"),
        QStringLiteral("Ecology"),
    };
    return captions;
}

QString closestOf(const QString& text, const QStringList& words) {
    const QString wanted = text.trimmed().toCaseFolded();
    QString best;
    int bestScore = std::numeric_limits<int>::max();
    for (const QString& word : words) {
        const QString folded = word.toCaseFolded();
        const int score = folded == wanted ? -2
                          : folded.contains(wanted) || wanted.contains(folded)
                              ? -1
                              : distance(folded, wanted);
        if (score < bestScore) {
            bestScore = score;
            best = word;
        }
    }
    return best;
}

QString closestCategory(const QString& text) {
    return closestOf(text, QStringList(categories().begin(), categories().end()));
}

} // namespace store
