#pragma once

#include <QHash>
#include <QList>
#include <QString>

struct _FcCharSet;

namespace print {

// The characters of every installed font, as fontconfig, through which Qt finds its fonts,
// knows them.
class FontCoverage {
public:
    FontCoverage();
    ~FontCoverage();
    FontCoverage(const FontCoverage&) = delete;
    FontCoverage& operator=(const FontCoverage&) = delete;

    // The characters of text that no installed font has, each once, in their order.
    QList<char32_t> missing(const QString& text);

private:
    _FcCharSet* m_all;
    QHash<char32_t, bool> m_known;
};

// "U+0378" and the character itself.
QString characterName(char32_t c);

} // namespace print
