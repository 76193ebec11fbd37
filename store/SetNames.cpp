#include "store/SetNames.h"

namespace store {

const std::array<QString, 3>& premadeSetNames() {
    static const std::array<QString, 3> names = {
        QStringLiteral("Just the Basics"),
        QStringLiteral("Tough Terms"),
        QStringLiteral("Final Exam"),
    };
    return names;
}

QString customSetName(int n) {
    return QStringLiteral("Custom Set %1").arg(n);
}

QStringList setNames(const Question& question) {
    QStringList names;
    for (size_t i = 0; i < question.sets.size(); ++i) {
        if (question.sets[i] != 0)
            names << premadeSetNames()[i];
    }
    for (size_t i = 0; i < question.marks.size(); ++i) {
        if (question.marks[i] != 0)
            names << customSetName(int(i) + 1);
    }
    return names;
}

} // namespace store
