#include "store/ConnectText.h"

#include <QStringList>

namespace store {

ConnectText ConnectText::parse(const QString& text) {
    ConnectText result;
    const QStringList items = text.split(u';');
    for (qsizetype i = 1; i < items.size(); ++i) {
        const QString& item = items[i];
        const qsizetype eq = item.indexOf(u'=');
        if (eq < 0)
            continue;
        if (item.left(eq).trimmed().compare(u"PWD", Qt::CaseInsensitive) == 0)
            result.password = item.mid(eq + 1).toUtf8();
    }
    return result;
}

} // namespace store
