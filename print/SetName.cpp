#include "print/SetName.h"

#include "selection/QueryBuilder.h"
#include "store/MarkFields.h"
#include "store/SetNames.h"

#include <QStringList>

#include <algorithm>

namespace print {

QString setName(const selection::OptionsChoice& choice) {
    if (choice.testType[1]) {
        QStringList topics;
        for (size_t i = 0; i < choice.captions.size(); ++i)
            if (choice.customCheck[i] == 1)
                topics << choice.captions[i];
        return topics.join(QStringLiteral(", "));
    }
    if (choice.testType[2]) {
        const auto& fields = store::markFields();
        return store::customSetName(
            int(std::find(fields.begin(), fields.end(), choice.markField) - fields.begin()) + 1);
    }
    const auto& premade = store::premadeSetNames();
    for (size_t i = 0; i < premade.size(); ++i)
        if (choice.premadeType[i])
            return premade[i];
    return QStringLiteral("All Available Questions");
}

} // namespace print
