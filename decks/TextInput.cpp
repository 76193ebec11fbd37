#include "decks/TextInput.h"

#include <QIODevice>
#include <QStringDecoder>

namespace decks {

void readInPieces(QIODevice& file, const std::function<void(QByteArrayView)>& feed) {
    QByteArray piece(PieceBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 read = file.read(piece.data(), PieceBytes);
        if (read < 0)
            throw DeckError(QString(), file.errorString());
        if (read == 0)
            break;
        feed(QByteArrayView(piece.constData(), read));
    }
}

QString decoded(QByteArrayView bytes, int line) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        throw DeckError(lineText(line), QStringLiteral("the text is not UTF-8 (--encoding "
                                                       "latin1 or utf-16 says what it is)"));
    for (const QChar c : text) {
        if ((c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c.unicode() == 0x7f)
            throw DeckError(lineText(line),
                            QStringLiteral("a control character (U+%1) that is "
                                           "no text")
                                .arg(QString::number(c.unicode(), 16).toUpper(), 4, u'0'));
    }
    return text;
}

QString wholeText(QIODevice& file) {
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xef\xbb\xbf"))
        bytes.remove(0, 3);
    // Decoded line by line, so that a fault names its line.
    QString text;
    int line = 1;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = at;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end < bytes.size())
            end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        text += decoded(QByteArrayView(bytes).sliced(at, end - at), line++);
        at = end;
    }
    return text;
}

QString splitsNone(int n, const char* what) {
    return n == 1 ? QStringLiteral("does not split its one %1").arg(QLatin1String(what))
                  : QStringLiteral("splits none of its %1 %2s").arg(n).arg(QLatin1String(what));
}

void take(Card&& card, const CardSink& sink, DeckReport& report) {
    if (card.question.trimmed().isEmpty() || card.answer.trimmed().isEmpty()) {
        report.skipped.emplace_back(card.where, card.question.trimmed().isEmpty()
                                                    ? QStringLiteral("no question")
                                                    : QStringLiteral("no answer"));
        return;
    }
    sink(std::move(card));
}

} // namespace decks
