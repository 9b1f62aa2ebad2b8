// The animation window's menu and accelerators, built from menu 134 and
// accelerator table 135; every item and key is routed through OnCommand.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include "res/resources.h"
#include "view/qt/vortan_frame.h"

namespace res = vortan::res;

namespace {

// A virtual-key code as a Qt key; 0 for codes the table does not use.
int QtKeyOf(std::uint16_t vk) {
    if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
    if (vk >= 0x70 && vk <= 0x87) return Qt::Key_F1 + (vk - 0x70);  // VK_F1..VK_F24
    return 0;
}

}  // namespace

void CVortanFrame::BuildMenu() {
    QMenu* popup = nullptr;
    QString popupName;
    for (const res::MenuItem& item : res::Menu134()) {
        const QString name = QString::fromUtf8(item.popup.data(), qsizetype(item.popup.size()));
        if (!popup || name != popupName) {
            popup = menuBar()->addMenu(name);
            popupName = name;
            // The check mark follows the record whenever the menu opens.
            connect(popup, &QMenu::aboutToShow, this, [this] { OnCommandUpdate(); });
        }
        if (item.command == 0) {
            popup->addSeparator();
            continue;
        }
        // The text after the tab shows in the menu's shortcut column; the
        // keys themselves are the accelerator table's.
        QAction* action =
            popup->addAction(QString::fromUtf8(item.text.data(), qsizetype(item.text.size())));
        action->setData(item.command);
        const int command = item.command;
        if (command == res::ID_ANIMATION) {
            action->setCheckable(true);
            m_animationAction = action;
        }
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    }
}

void CVortanFrame::BuildAccelerators() {
    for (const res::Accelerator& accel : res::Accelerators135()) {
        if (!(accel.flags & res::FVIRTKEY)) continue;
        const int key = QtKeyOf(accel.key);
        if (key == 0) continue;
        const int modifiers = (accel.flags & res::FCONTROL) ? int(Qt::ControlModifier) : 0;
        auto* shortcut = new QShortcut(QKeySequence(key | modifiers), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int command = accel.command;
        connect(shortcut, &QShortcut::activated, this, [this, command] { OnCommand(command); });
    }
}

QAction* CVortanFrame::MenuAction(int command) const {
    for (QAction* action : findChildren<QAction*>())
        if (action->data().toInt() == command && !action->isSeparator()) return action;
    return nullptr;
}
