// Feeds arbitrary bytes to store::readCsv and store::parseQuestions. store::CsvError is the
// expected outcome for text they do not accept; any other exception is a finding, and so is
// accepted text that does not survive being written back with csvField / questionsCsv and
// read again, or that reads differently when handed over in pieces (abort, so libFuzzer keeps
// the input).
#include "store/CsvReader.h"
#include "store/QuestionCsv.h"

#include <QByteArrayList>
#include <QByteArrayView>
#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& csv) {
    std::fprintf(stderr, "csv_fuzzer: %s\n  csv (%lld bytes): %s\n", what,
                 static_cast<long long>(csv.size()), csv.toPercentEncoding(" ,\"\n").constData());
    std::abort();
}

// Lines of the text as an editor counts them, ended by LF, CRLF or CR alone: what a CsvError
// or a record may point at.
int lineCount(const QByteArray& csv) {
    return int(csv.count('\n') + csv.count('\r') - csv.count("\r\n")) + 1;
}

void checkLine(int line, const QByteArray& csv, const char* what) {
    if (line < 1 || line > lineCount(csv))
        fail(what, csv);
}

// Runs one reader; CsvError is an answer, anything else is a finding.
template <typename Read>
auto guarded(Read read, const QByteArray& csv) -> std::optional<decltype(read(csv))> {
    try {
        return read(csv);
    } catch (const store::CsvError& e) {
        checkLine(e.line(), csv, "a CsvError whose line is outside the text");
        if (e.reason().isEmpty())
            fail("a CsvError without a reason", csv);
        return std::nullopt;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "csv_fuzzer: unexpected exception: %s\n", e.what());
        fail("an exception other than CsvError", csv);
    } catch (...) {
        fail("a non-standard exception", csv);
    }
}

void checkRecords(const QByteArray& csv) {
    const auto records = guarded(store::readCsv, csv);
    if (!records)
        return;
    // Every byte of accepted text lies in some field or is ASCII syntax, so the whole text must
    // be UTF-8: readCsv refuses a field that is not.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(csv);
    if (utf8.hasError())
        fail("readCsv accepted text that is not UTF-8", csv);
    int previous = 1;
    bool blankRecord = false;
    for (const store::CsvRecord& record : *records) {
        checkLine(record.line, csv, "a record whose line is outside the text");
        if (record.line < previous)
            fail("records whose lines go backwards", csv);
        previous = record.line;
        if (record.fields.empty())
            fail("a record without fields", csv);
        blankRecord = blankRecord || (record.fields.size() == 1 && !record.fields[0]);
    }
    // A record of one null field is a blank line when written, which is no record at all.
    if (blankRecord)
        return;
    QByteArray written;
    for (const store::CsvRecord& record : *records) {
        QByteArrayList fields;
        for (const auto& field : record.fields)
            fields.append(store::csvField(field));
        written += fields.join(',') + '\n';
    }
    const auto again = guarded(store::readCsv, written);
    if (!again)
        fail("the records written back with csvField are refused", written);
    if (again->size() != records->size())
        fail("the records written back read as a different number of records", written);
    for (size_t i = 0; i < records->size(); ++i) {
        if ((*again)[i].fields != (*records)[i].fields)
            fail("a record written back with csvField reads as different fields", written);
    }
}

bool same(const store::Question& a, const store::Question& b) {
    // Without an Index column the Index is the ID, and questionsCsv writes it so.
    return a.id == b.id && a.question == b.question && a.answer == b.answer &&
           a.category == b.category && a.sets == b.sets && a.marks == b.marks &&
           a.index.value_or(a.id) == b.index.value_or(b.id);
}

void checkQuestions(const QByteArray& csv) {
    const auto questions = guarded(store::parseQuestions, csv);
    if (!questions)
        return;
    const QByteArray written = store::questionsCsv(*questions);
    const auto again = guarded(store::parseQuestions, written);
    if (!again)
        fail("questionsCsv wrote text that parseQuestions refuses", written);
    if (again->size() != questions->size())
        fail("questionsCsv text reads back as a different number of questions", written);
    for (size_t i = 0; i < questions->size(); ++i) {
        if (!same((*questions)[i], (*again)[i]))
            fail("a question written by questionsCsv reads back different", written);
        if (!(*again)[i].index)
            fail("questionsCsv text reads back without an Index", written);
    }
    if (store::questionsCsv(*again) != written)
        fail("questionsCsv is not stable over a second round trip", written);
}

// What a reader makes of the text handed over in pieces of one size: its fault as "line N:
// reason", or what it read, written out.
template <typename Feed> QString inPieces(const QByteArray& csv, qsizetype size, Feed feed) {
    try {
        return feed([&](auto& reader) {
            for (qsizetype at = 0; at < csv.size(); at += size)
                reader.feed(QByteArrayView(csv).sliced(at, std::min(size, csv.size() - at)));
            reader.finish();
        });
    } catch (const store::CsvError& e) {
        return QStringLiteral("line %1: %2").arg(e.line()).arg(e.reason());
    }
}

QString recordsInPieces(const QByteArray& csv, qsizetype size) {
    return inPieces(csv, size, [](auto read) {
        QString out;
        store::CsvReader reader([&](store::CsvRecord&& record) {
            out += QString::number(record.line);
            for (const auto& field : record.fields)
                out += field ? u'|' + *field : QStringLiteral("|<null>");
            out += u'\n';
        });
        read(reader);
        return out;
    });
}

QString questionsInPieces(const QByteArray& csv, qsizetype size) {
    return inPieces(csv, size, [](auto read) {
        std::vector<store::Question> questions;
        store::QuestionReader reader([&](const store::Question& q) { questions.push_back(q); });
        read(reader);
        return QString::fromUtf8(store::questionsCsv(questions));
    });
}

// The readers take text in pieces of any size, and the pieces must not change the answer: the
// same records and questions, or the same fault on the same line.
void checkPieces(const QByteArray& csv) {
    const qsizetype whole = std::max<qsizetype>(csv.size(), 1);
    const qsizetype piece = csv.isEmpty() ? 1 : 1 + qsizetype(uchar(csv.back()) % 7);
    if (recordsInPieces(csv, whole) != recordsInPieces(csv, piece))
        fail("records read in pieces differ from records read whole", csv);
    if (questionsInPieces(csv, whole) != questionsInPieces(csv, piece))
        fail("questions read in pieces differ from questions read whole", csv);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // No copy and no terminating NUL: a read past the end is an ASan report.
    const QByteArray csv =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    checkRecords(csv);
    checkQuestions(csv);
    checkPieces(csv);
    return 0;
}
