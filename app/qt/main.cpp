// The vortan program: the control panel and its animation window.
#include <QApplication>

#include "app/qt/help_viewer.h"
#include "app/qt/vortan_app.h"
#include "notebook/compressed_decoder.h"
#include "res/qt/app_icon.h"

int main(int argc, char** argv) {
    vortan::notebook::InstallCompressedDataDecoder();
    QApplication app(argc, argv);
    QApplication::setApplicationName("vortan");
    QApplication::setWindowIcon(AppIcon());
    // The panel's end ends the program, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    {
        CVortanApp theApp;
        theApp.InitInstance();
    }
    // The help window lives in this process, so it goes with the program.
    if (CHelpViewer* help = CHelpViewer::Instance()) help->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
