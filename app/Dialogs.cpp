#include "app/Dialogs.h"

#include "app/Windows.h"
#include "viewer/FrmMain.h"

namespace app {

QWidget* dialogParent() {
    return loadedWindow<viewer::FrmMain>();
}

} // namespace app
