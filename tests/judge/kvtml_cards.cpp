// KDE's own reading of a KVTML file, for the tests to set beside ours. Built on Qt 5 and KDE's
// libkeduvocdocument, it never shares a process with Qt 6.
//
// kvtml-cards FILE [QUESTION_SIDE ANSWER_SIDE]
// prints a line a card, "QUESTION<TAB>ANSWER<TAB>LESSON/SUBLESSON", with backslash, tab, line
// feed and carriage return written as \\, \t, \n and \r; the sides are identifier numbers, 0 and 1
// unless given.
#include <KEduVocDocument>
#include <KEduVocExpression>
#include <KEduVocLesson>
#include <KEduVocTranslation>

#include <QTextStream>
#include <QUrl>

#include <cstdio>

namespace {

QString escaped(QString text) {
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

QString side(KEduVocExpression* entry, int index) {
    return entry->translationIndices().contains(index) ? entry->translation(index)->text()
                                                       : QString();
}

void list(KEduVocContainer* lesson, const QString& path, int question, int answer,
          QTextStream& out) {
    const auto entries = lesson->entries(KEduVocContainer::NotRecursive);
    for (KEduVocExpression* entry : entries)
        out << escaped(side(entry, question)) << '\t' << escaped(side(entry, answer)) << '\t'
            << path << '\n';
    const auto children = lesson->childContainers();
    for (KEduVocContainer* child : children)
        list(child, path.isEmpty() ? child->name() : path + QLatin1Char('/') + child->name(),
             question, answer, out);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "Usage: kvtml-cards FILE [QUESTION_SIDE ANSWER_SIDE]\n");
        return 2;
    }
    const int question = argc == 4 ? std::atoi(argv[2]) : 0;
    const int answer = argc == 4 ? std::atoi(argv[3]) : 1;
    KEduVocDocument document;
    const auto opened = document.open(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])),
                                      KEduVocDocument::FileOpenReadOnly);
    QTextStream err(stderr);
    if (opened != KEduVocDocument::NoError) {
        err << "kvtml-cards: " << argv[1] << ": " << KEduVocDocument::errorDescription(opened)
            << '\n';
        return 1;
    }
    QTextStream out(stdout);
    out.setCodec("UTF-8");
    list(document.lesson(), QString(), question, answer, out);
    return 0;
}
