// Turns a dialog template into child widgets of a QDialog.
#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>

#include "res/resources.h"

// Creates every control of t as a child of dialog. A control with an id gets
// the property "controlId" and the object name "ctl<id>". Positions and sizes
// are converted from dialog units with the metrics of the template's font
// (x units of a quarter of the average letter width, y units of an eighth of
// the line height), so the layout keeps its proportions with any font. Sets the title and a fixed
// size.
//
// Auto radio buttons act as a Windows radio group: a group starts at a control
// carrying kGroup. A user click checks the clicked button and clears the other
// buttons of its group, and only then is the command reported. Programmatic
// setChecked() never touches the other buttons.
void BuildDialog(QDialog& dialog, const vortan::res::DialogTemplate& t);

// Push buttons, check boxes and radio buttons report their clicks as commands
// with their control id to this handler (one per dialog; a later call
// replaces it). Without a handler clicks reach nothing.
void SetCommandHandler(QDialog& dialog, std::function<void(int id)> handler);

// Sends command id to the dialog's handler as a click would.
void SendCommand(QDialog& dialog, int id);

// The pixels of 4 horizontal and 8 vertical dialog units for a font: the
// rounded average width of the letters A-Z and a-z, and the line height.
struct DialogBaseUnits {
    int x;
    int y;
};
DialogBaseUnits DialogBaseUnitsOf(const QFont& font);

// Dialog units to pixels for the given font.
QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height);

// The control with the given id, or nullptr (also when it is not a T).
template <class T = QWidget>
T* Control(QWidget& dialog, int id) {
    return dialog.findChild<T*>(QString("ctl%1").arg(id));
}
