#include "res/qt/dialog_builder.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <vector>

namespace {

using vortan::res::ControlKind;
using vortan::res::Dialog;

TEST(DialogBuilder, EveryControlWithAnIdIsFoundWithItsKindAndText) {
    for (int id : {100, 102, 138, 139}) {
        QDialog d;
        BuildDialog(d, Dialog(id));
        int withId = 0, named = 0;
        for (const auto& c : Dialog(id).controls) {
            if (c.id == -1) continue;
            ++withId;
            QWidget* w = Control(d, c.id);
            ASSERT_NE(w, nullptr) << c.id;
            EXPECT_EQ(w->inherits("QLineEdit"), c.kind == ControlKind::Edit) << c.id;
            EXPECT_EQ(w->inherits("QCheckBox"), c.kind == ControlKind::AutoCheckBox) << c.id;
            EXPECT_EQ(w->inherits("QRadioButton"), c.kind == ControlKind::AutoRadioButton) << c.id;
            if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                EXPECT_EQ(b->text().toStdString(), c.text) << c.id;
            }
        }
        for (QObject* o : d.children()) named += o->objectName().startsWith("ctl");
        EXPECT_EQ(named, withId) << id;  // controls without an id get no name
    }
}

TEST(DialogBuilder, GeometryInDialogUnitsOfTheDialogFont) {
    for (int points : {8, 16}) {
        QDialog d;
        vortan::res::DialogTemplate t = Dialog(102);
        t.fontPoints = points;
        BuildDialog(d, t);
        // A dialog unit: a quarter of the average letter width, an eighth of the line height.
        const QFontMetrics fm(d.font());
        const int letters =
            fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        const double bx = ((letters / 26 + 1) / 2) / 4.0, by = fm.height() / 8.0;
        auto px = [&](int x, int y, int w, int h) {
            return QRect(qRound(x * bx), qRound(y * by), qRound(w * bx), qRound(h * by));
        };
        EXPECT_EQ(QRect(QPoint(), d.size()), px(0, 0, 311, 247)) << points;
        EXPECT_EQ(d.minimumSize(), d.maximumSize()) << points;  // fixed size
        EXPECT_EQ(Control(d, 1)->geometry(), px(240, 225, 58, 13)) << points;
    }
}

TEST(DialogBuilder, ClicksReportTheirIdsAndRadioGroupsAreSettledFirst) {
    QDialog d;
    BuildDialog(d, Dialog(102));
    d.show();
    auto r = [&](int id) { return Control<QRadioButton>(d, id); };
    for (int id : {1027, 1029, 1042}) r(id)->setChecked(true);  // not exclusive from code
    std::vector<int> commands;
    std::string seen;  // 1027, 1028, 1029, 1030, 1042 as the handler sees them
    SetCommandHandler(d, [&](int id) {
        commands.push_back(id);
        seen.clear();
        for (int g : {1027, 1028, 1029, 1030, 1042}) seen += r(g)->isChecked() ? '1' : '0';
    });
    QTest::mouseClick(r(1028), Qt::LeftButton);
    EXPECT_EQ(seen, "01001");
    QTest::mouseClick(r(1028), Qt::LeftButton);  // a checked radio stays checked
    // 1043 lies inside a group box frame: the click reaches it through the frame.
    EXPECT_EQ(d.childAt(r(1043)->geometry().center()), r(1043));
    QTest::mouseClick(r(1043), Qt::LeftButton);
    EXPECT_EQ(seen, "01000");
    EXPECT_TRUE(r(1028)->isChecked());
    // Buttons and check boxes report their ids too, and so does a sent command.
    for (int id : {1022, 1007}) QTest::mouseClick(Control(d, id), Qt::LeftButton);
    SendCommand(d, 77);
    EXPECT_EQ(commands, (std::vector<int>{1028, 1028, 1043, 1022, 1007, 77}));
    EXPECT_TRUE(Control<QCheckBox>(d, 1022)->isChecked());
}

}  // namespace
