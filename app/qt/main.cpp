// The vortan program: the control panel and its animation window.
#include <QApplication>

#include "app/qt/vortan_app.h"
#include "res/qt/app_icon.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("vortan");
    QApplication::setWindowIcon(AppIcon());
    // The panel's end ends the program, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    CVortanApp theApp;
    theApp.InitInstance();
    return 0;
}
