#pragma once

#include <QString>

namespace app {

// The folder that holds the program: the bank lives in its db folder, the readme beside it.
QString programFolder();

// The question bank of a program folder.
QString bankPath(const QString& folder = programFolder());

// Points programFolder() elsewhere (tests run the program on banks in temporary folders);
// an empty path restores the executable's folder.
void setProgramFolder(const QString& folder);

} // namespace app
