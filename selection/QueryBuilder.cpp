#include "selection/QueryBuilder.h"

#include "store/MarkFields.h"

#include <QStringList>

namespace selection {

namespace {

const QStringList PremadeQueries = {
    QStringLiteral("SELECT * FROM QATABLE WHERE BASICS = YES"),
    QStringLiteral("SELECT * FROM QATABLE WHERE TOUGH = YES"),
    QStringLiteral("SELECT * FROM QATABLE WHERE FINAL = YES"),
    QStringLiteral("SELECT * FROM QATABLE"),
};

void premade(const OptionsChoice& choice, Selection& s) {
    s.LastTestType = QStringLiteral("0");
    s.LastPremadeType = QString();
    for (int i = 0; i < 4; ++i) {
        if (choice.premadeType[size_t(i)]) {
            s.CurrentSQL = PremadeQueries[i];
            s.LastPremadeType = QString::number(i);
            return;
        }
    }
}

void categories(const OptionsChoice& choice, Selection& s) {
    s.LastTestType = QStringLiteral("1");
    s.CurrentSQL = QStringLiteral("SELECT * FROM QATABLE WHERE");
    for (size_t i = 0; i < store::CategoryCount; ++i) {
        if (choice.customCheck[i] == 1) {
            // The first box's term has two blanks after the equals sign.
            s.CurrentSQL +=
                i == 0 ? QStringLiteral(" CATEGORY =  '") : QStringLiteral(" CATEGORY = '");
            s.CurrentSQL += choice.captions[i] + QStringLiteral("' OR");
            s.LastCategoryChecks[i] = QStringLiteral("TRUE");
        } else {
            s.LastCategoryChecks[i] = QStringLiteral("False");
        }
    }
    if (s.CurrentSQL.endsWith(QStringLiteral(" OR")))
        s.CurrentSQL.chop(3);
    if (s.CurrentSQL.endsWith(QStringLiteral(" WHERE")))
        s.CurrentSQL.chop(6);
}

void customSet(const OptionsChoice& choice, Selection& s) {
    s.LastTestType = QStringLiteral("2");
    const auto& fields = store::markFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (choice.markField == fields[i])
            s.CurrentSQL = QStringLiteral("SELECT * FROM QATABLE WHERE MARK%1 = YES").arg(i + 1);
    }
}

} // namespace

Selection buildQuery(const OptionsChoice& choice, Selection before) {
    if (choice.testType[0])
        premade(choice, before);
    else if (choice.testType[1])
        categories(choice, before);
    else if (choice.testType[2])
        customSet(choice, before);
    return before;
}

} // namespace selection
