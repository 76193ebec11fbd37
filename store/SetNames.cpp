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

} // namespace store
