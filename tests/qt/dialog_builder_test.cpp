#include "res/qt/dialog_builder.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <vector>

namespace {

using vortan::res::Dialog;

struct Built {
    QDialog dialog;
    std::vector<int> commands;
    explicit Built(int id) {
        BuildDialog(dialog, Dialog(id));
        SetCommandHandler(dialog, [this](int c) { commands.push_back(c); });
    }
};

TEST(DialogBuilder, EveryControlWithAnIdIsFoundWithItsKindAndText) {
    for (int id : {100, 102, 138, 139}) {
        Built b(id);
        int withId = 0;
        for (const auto& c : Dialog(id).controls) {
            if (c.id == -1) continue;
            ++withId;
            SCOPED_TRACE(c.id);
            QWidget* w = Control(b.dialog, c.id);
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->property("controlId").toInt(), c.id);
            const QString text = QString::fromUtf8(c.text.data(), qsizetype(c.text.size()));
            switch (c.kind) {
                case vortan::res::ControlKind::Edit:
                    EXPECT_NE(qobject_cast<QLineEdit*>(w), nullptr);
                    break;
                case vortan::res::ControlKind::PushButton:
                case vortan::res::ControlKind::DefaultPushButton:
                    ASSERT_NE(qobject_cast<QPushButton*>(w), nullptr);
                    EXPECT_EQ(qobject_cast<QPushButton*>(w)->text(), text);
                    break;
                case vortan::res::ControlKind::AutoCheckBox:
                    ASSERT_NE(qobject_cast<QCheckBox*>(w), nullptr);
                    EXPECT_EQ(qobject_cast<QCheckBox*>(w)->text(), text);
                    break;
                case vortan::res::ControlKind::AutoRadioButton:
                    ASSERT_NE(qobject_cast<QRadioButton*>(w), nullptr);
                    EXPECT_EQ(qobject_cast<QRadioButton*>(w)->text(), text);
                    break;
                default:
                    break;
            }
        }
        // Controls without an id get no name: only the id'd ones are "ctl...".
        int named = 0;
        for (QObject* o : b.dialog.children())
            if (o->objectName().startsWith("ctl")) ++named;
        EXPECT_EQ(named, withId) << id;
    }
}

TEST(DialogBuilder, TitleAndLabelsFromTheTemplate) {
    Built b(102);
    EXPECT_EQ(b.dialog.windowTitle(), "Vortan");
    QStringList labels;
    for (auto* l : b.dialog.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("Time Delay: (ms):"));
    EXPECT_TRUE(labels.contains("# Colortables [1..7]:"));
    QStringList frames;
    for (auto* g : b.dialog.findChildren<QGroupBox*>()) frames << g->title();
    EXPECT_TRUE(frames.contains("Advanced Settings"));
    EXPECT_TRUE(frames.contains("Without Orientation"));
}

TEST(DialogBuilder, GeometryFollowsTheDialogFontMetrics) {
    // The same template with two fonts: positions scale with the font's own
    // units, so proportions are kept.
    for (int points : {8, 16}) {
        QDialog d;
        vortan::res::DialogTemplate t = Dialog(102);
        t.fontPoints = points;
        BuildDialog(d, t);
        const QFontMetrics fm(d.font());
        const int letters =
            fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        const double bx = ((letters / 26 + 1) / 2) / 4.0, by = fm.height() / 8.0;
        SCOPED_TRACE(points);
        EXPECT_EQ(d.width(), qRound(311 * bx));
        EXPECT_EQ(d.height(), qRound(247 * by));
        EXPECT_EQ(d.minimumSize(), d.maximumSize());  // fixed size
        const QRect quit = Control(d, 1)->geometry();
        EXPECT_EQ(quit,
                  QRect(qRound(240 * bx), qRound(225 * by), qRound(58 * bx), qRound(13 * by)));
        const QRect edit = Control(d, 1034)->geometry();
        EXPECT_EQ(edit, QRect(qRound(82 * bx), qRound(200 * by), qRound(51 * bx), qRound(14 * by)));
    }
}

TEST(DialogBuilder, LabelsFitTheirTextWithoutCoveringOtherControls) {
    for (int id : {100, 102, 138, 139}) {
        QDialog d;
        BuildDialog(d, Dialog(id));
        const QFontMetrics fm(d.font());
        for (const auto& c : Dialog(id).controls) {
            if (c.kind != vortan::res::ControlKind::Static) continue;
            const QString text = QString::fromUtf8(c.text.data(), qsizetype(c.text.size()));
            QLabel* label = nullptr;
            for (auto* l : d.findChildren<QLabel*>())
                if (l->text() == text) label = l;
            ASSERT_NE(label, nullptr) << c.text;
            EXPECT_LE(fm.horizontalAdvance(text), label->width()) << c.text;
            // What the label grew by covers no control that takes input.
            const QRect original = DialogUnitsToPixels(d.font(), c.x, c.y, c.width, c.height);
            EXPECT_EQ(label->geometry().topLeft(), original.topLeft());
            if (label->width() <= original.width()) continue;
            const QRect grown(original.right() + 1, original.top(),
                              label->width() - original.width(), original.height());
            for (auto* w : d.findChildren<QWidget*>()) {
                if (w->property("controlId").isValid()) {
                    EXPECT_FALSE(grown.intersects(w->geometry()))
                        << c.text << " / " << w->objectName().toStdString();
                }
            }
        }
    }
}

TEST(DialogBuilder, UserClickInARadioGroupChecksItAndClearsTheOthersBeforeTheCommand) {
    Built b(102);
    b.dialog.show();
    auto r = [&](int id) { return Control<QRadioButton>(b.dialog, id); };
    // Programmatic check marks are not exclusive.
    r(1027)->setChecked(true);
    r(1029)->setChecked(true);
    r(1042)->setChecked(true);
    EXPECT_TRUE(r(1027)->isChecked());
    EXPECT_TRUE(r(1029)->isChecked());

    // Seen from the command handler: the group is already settled.
    std::vector<bool> seen;
    SetCommandHandler(b.dialog, [&](int id) {
        b.commands.push_back(id);
        for (int g : {1027, 1028, 1029, 1030, 1042}) seen.push_back(r(g)->isChecked());
    });
    QTest::mouseClick(r(1028), Qt::LeftButton);
    EXPECT_EQ(b.commands, std::vector<int>{1028});
    EXPECT_EQ(seen, (std::vector<bool>{false, true, false, false, true}));

    // A click on a checked radio keeps it checked (and still reports the command).
    QTest::mouseClick(r(1028), Qt::LeftButton);
    EXPECT_TRUE(r(1028)->isChecked());
    EXPECT_EQ(b.commands, (std::vector<int>{1028, 1028}));

    // The other group is independent.
    QTest::mouseClick(r(1043), Qt::LeftButton);
    EXPECT_TRUE(r(1043)->isChecked());
    EXPECT_FALSE(r(1042)->isChecked());
    EXPECT_TRUE(r(1028)->isChecked());
}

TEST(DialogBuilder, GroupBoxesDoNotTakeTheClicksOfTheControlsInside) {
    Built b(102);
    b.dialog.show();
    // 1042 lies inside the "With Orientation" frame; click through the frame
    // at the radio's position as the dialog sees it.
    QWidget* radio = Control(b.dialog, 1042);
    const QPoint at = radio->geometry().center();
    QWidget* hit = b.dialog.childAt(at);
    EXPECT_EQ(hit, radio);
    QTest::mouseClick(radio, Qt::LeftButton);
    EXPECT_EQ(b.commands, std::vector<int>{1042});
}

TEST(DialogBuilder, ButtonsAndCheckBoxesReportTheirIds) {
    Built b(138);
    b.dialog.show();
    QTest::mouseClick(Control(b.dialog, 1045), Qt::LeftButton);
    QTest::mouseClick(Control(b.dialog, 2), Qt::LeftButton);
    QTest::mouseClick(Control(b.dialog, 1), Qt::LeftButton);
    EXPECT_EQ(b.commands, (std::vector<int>{1045, 2, 1}));
    EXPECT_TRUE(Control<QCheckBox>(b.dialog, 1045)->isChecked());
    SendCommand(b.dialog, 77);
    EXPECT_EQ(b.commands.back(), 77);
}

TEST(DialogBuilder, ControlLookupOfTheWrongKindOrUnknownIdGivesNull) {
    Built b(139);
    EXPECT_EQ(Control<QPushButton>(b.dialog, 1047), nullptr);
    EXPECT_NE(Control<QLineEdit>(b.dialog, 1047), nullptr);
    EXPECT_EQ(Control(b.dialog, 4242), nullptr);
}

TEST(DialogBuilder, AboutBoxShowsTheIcon) {
    Built b(100);
    EXPECT_EQ(b.dialog.windowTitle(), "About vortan");
    bool iconShown = false;
    for (auto* l : b.dialog.findChildren<QLabel*>())
        if (!l->pixmap().isNull()) iconShown = l->pixmap().width() == 32;
    EXPECT_TRUE(iconShown);
}

}  // namespace
