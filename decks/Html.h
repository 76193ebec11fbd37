#pragma once

#include <QString>

namespace decks {

struct DeckReport;

// Card text written as HTML, as plain text: <br>, <div> and <p> become line breaks, entities
// are decoded, a picture becomes "[picture: ALT or file name]" and a [sound:…] reference goes;
// other tags are dropped. Pictures and sounds are counted in the report, and listed there with
// where when it is given.
QString plainText(const QString& html, DeckReport& report, const QString& where = {});

// &amp;, &lt;, &#228; and the like, decoded; numeric ones only when onlyNumeric.
QString decodeEntities(const QString& text, bool onlyNumeric = false);

} // namespace decks
