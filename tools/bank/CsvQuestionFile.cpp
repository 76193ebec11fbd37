#include "tools/bank/CsvQuestionFile.h"

#include "store/BankError.h"
#include "store/CsvReader.h"
#include "store/QuestionCsv.h"

#include <QFile>

namespace tools {

namespace {

constexpr qint64 PieceBytes = 64 * 1024;

} // namespace

qint64 readCsvQuestionFile(const QString& path, const store::QuestionSink& sink) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw store::BankError(
            QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
    qint64 count = 0;
    try {
        store::QuestionReader reader([&](const store::Question& q) {
            sink(q);
            ++count;
        });
        QByteArray piece(PieceBytes, Qt::Uninitialized);
        for (;;) {
            const qint64 read = file.read(piece.data(), PieceBytes);
            if (read < 0)
                throw store::BankError(
                    QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
            if (read == 0)
                break;
            reader.feed(QByteArrayView(piece.constData(), read));
        }
        reader.finish();
    } catch (const store::CsvError& error) {
        throw store::BankError(
            QStringLiteral("%1, line %2: %3").arg(path).arg(error.line()).arg(error.reason()));
    }
    return count;
}

} // namespace tools
