#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace store {

// "MS Access;PWD=secret": a type, then ';'-separated name=value items; only the password
// matters here.
struct ConnectText {
    std::optional<QByteArray> password;

    static ConnectText parse(const QString& text);
};

} // namespace store
