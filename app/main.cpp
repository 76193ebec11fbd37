#include "app/launch.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::launch();
    return app::ended(application.exec());
}
