#include "print/Paper.h"

#include "print/PrintError.h"

#include <cstdlib>
#include <memory>

#include <paper.h>

namespace print {

namespace {

Paper a4() {
    return {QPageSize(QPageSize::A4), QStringLiteral("A4")};
}

// libpaper's state, from paperinit() to paperdone().
class PaperLibrary {
public:
    PaperLibrary() { paperinit(); }
    ~PaperLibrary() { paperdone(); }
    PaperLibrary(const PaperLibrary&) = delete;
    PaperLibrary& operator=(const PaperLibrary&) = delete;
};

} // namespace

const QStringList& paperNames() {
    static const QStringList names = {QStringLiteral("a4"), QStringLiteral("letter")};
    return names;
}

Paper paperNamed(const QString& name) {
    const qsizetype at = paperNames().indexOf(name.toLower());
    if (at == 0)
        return a4();
    if (at == 1)
        return {QPageSize(QPageSize::Letter), QStringLiteral("Letter")};
    throw PrintError(QStringLiteral("unknown paper '%1': choose a4 or letter").arg(name));
}

Paper systemPaper() {
    const PaperLibrary library;
    const std::unique_ptr<char, decltype(&std::free)> name(systempapername(), &std::free);
    if (!name)
        return a4();
    const QString text = QString::fromLocal8Bit(name.get());
    if (text.compare(QStringLiteral("a4"), Qt::CaseInsensitive) == 0 ||
        text.compare(QStringLiteral("letter"), Qt::CaseInsensitive) == 0)
        return paperNamed(text);
    const struct paper* info = paperinfo(name.get());
    if (!info || paperpswidth(info) <= 0 || paperpsheight(info) <= 0)
        return a4();
    return {QPageSize(QSizeF(paperpswidth(info), paperpsheight(info)), QPageSize::Point, text,
                      QPageSize::ExactMatch),
            text};
}

} // namespace print
