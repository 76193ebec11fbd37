#pragma once

class QString;

namespace app {

// Every message of the program: the product name as title, an OK button, no icon; modal
// until dismissed.
void showMessage(const QString& text);

} // namespace app
