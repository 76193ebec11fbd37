#include "app/Failure.h"

#include "app/MessageBox.h"
#include "app/RuntimeError.h"
#include "store/Error.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <new>

namespace app {

QString failureText(std::exception_ptr failure) {
    int number = 0;
    QString description;
    try {
        std::rethrow_exception(failure);
    } catch (const Refusal& refusal) {
        return refusal.description();
    } catch (const store::Error& error) {
        number = error.number();
        description = error.description();
    } catch (const std::bad_alloc&) {
        number = store::err::OutOfMemory;
        description = QStringLiteral("Out of memory");
    } catch (const std::exception& error) {
        number = store::err::Internal;
        description =
            QStringLiteral("Internal error: %1").arg(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        number = store::err::Internal;
        description = QStringLiteral("Internal error");
    }
    return QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description);
}

namespace {

[[noreturn]] void showAndEnd(std::exception_ptr failure) {
    const QString text = failureText(failure);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    showMessage(text);
    // The bank is consistent after every handler step, so nothing needs closing.
    std::_Exit(EXIT_FAILURE);
}

FailureReporter& reporter() {
    static FailureReporter current = nullptr;
    return current;
}

} // namespace

void setFailureReporter(FailureReporter replacement) {
    reporter() = replacement;
}

void reportFailure(std::exception_ptr failure) {
    if (FailureReporter replacement = reporter())
        replacement(failure);
    else
        showAndEnd(failure);
}

} // namespace app
