#pragma once

#include <QString>

namespace store {

// The password every question bank is made with, and the connect text that carries it.
// Inline, so that a constant of another file made from them is made after them.
inline const QString BankPassword = QStringLiteral("mopr5ledun");
inline const QString BankConnectText = QStringLiteral("MS Access;PWD=") + BankPassword;

} // namespace store
