#include "print/FontCoverage.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace print {

namespace {

template <typename T, void (*Free)(T*)> struct Freer {
    void operator()(T* p) const { Free(p); }
};
using Pattern = std::unique_ptr<FcPattern, Freer<FcPattern, FcPatternDestroy>>;
using ObjectSet = std::unique_ptr<FcObjectSet, Freer<FcObjectSet, FcObjectSetDestroy>>;
using FontSet = std::unique_ptr<FcFontSet, Freer<FcFontSet, FcFontSetDestroy>>;

// Characters that no font draws: blanks, controls, direction marks, variation selectors.
bool needsNoGlyph(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return QChar::isSpace(c) || category == QChar::Other_Control ||
           category == QChar::Other_Format || (c >= 0xFE00 && c <= 0xFE0F) ||
           (c >= 0xE0100 && c <= 0xE01EF);
}

} // namespace

FontCoverage::FontCoverage()
    : m_all(FcCharSetCreate()) {
    FcInit();
    const Pattern any(FcPatternCreate());
    const ObjectSet charsets(FcObjectSetBuild(FC_CHARSET, nullptr));
    const FontSet fonts(FcFontList(nullptr, any.get(), charsets.get()));
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcCharSet* chars = nullptr;
        if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &chars) == FcResultMatch)
            FcCharSetMerge(m_all, chars, nullptr);
    }
}

FontCoverage::~FontCoverage() {
    FcCharSetDestroy(m_all);
}

QList<char32_t> FontCoverage::missing(const QString& text) {
    QList<char32_t> found;
    for (const char32_t c : QStringView(text).toUcs4()) {
        if (c < 0x80 && c != 0x7F && c >= 0x20)
            continue;
        auto known = m_known.find(c);
        if (known == m_known.end())
            known = m_known.insert(c, needsNoGlyph(c) || FcCharSetHasChar(m_all, c));
        if (!*known && !found.contains(c))
            found << c;
    }
    return found;
}

QString characterName(char32_t c) {
    return QStringLiteral("U+%1 (%2)")
        .arg(uint(c), 4, 16, QChar(u'0'))
        .toUpper()
        .arg(QString::fromUcs4(&c, 1));
}

} // namespace print
