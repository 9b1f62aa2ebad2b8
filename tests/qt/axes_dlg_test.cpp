#include "view/qt/axes_dlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QScreen>

#include "tests/qt/frame_test_support.h"

namespace {

using vortan::test::ModalScript;
constexpr int kOk = vortan::IDOK, kCancel = vortan::IDCANCEL, kEscape = -1;
constexpr int X = IDC_AXIS_X, Y = IDC_AXIS_Y, Z = IDC_AXIS_Z;

// Clicks the controls in turn (kEscape: the Escape key); the boxes as the dialog opened.
std::function<void(QDialog&)> Clicks(std::vector<int> ids, std::array<bool, 3>* opened = nullptr) {
    return [=](QDialog& d) {
        for (int i = 0; opened && i < 3; ++i)
            (*opened)[i] = Control<QCheckBox>(d, X + i)->isChecked();
        for (int id : ids)
            id == kEscape ? QTest::keyClick(&d, Qt::Key_Escape) : vortan::test::ClickControl(d, id);
    };
}

TEST(AxesDialog, TwoBoxesRequiredAndCancelKeepsTheFlagsAsClicked) {
    // the clicks; the flags afterwards; the result; how often "Two Checkboxes must be selected!"
    const std::tuple<std::vector<int>, std::array<int, 3>, int, int> cases[] = {
        {{Y, kOk, kCancel}, {1, 0, 0}, kCancel, 1},
        {{Z, kOk, X, kOk}, {0, 1, 1}, kOk, 1},
        {{X, Y, kOk, kOk, kCancel}, {0, 0, 0}, kCancel, 2},
        {{Z, kCancel}, {1, 1, 1}, kCancel, 0},
        {{X, kEscape}, {0, 1, 0}, kCancel, 0}};
    const vortan::test::FakeUiService::Message refused{"Two Checkboxes must be selected!", "Info",
                                                       0};
    for (const auto& [clicks, xyz, result, refusals] : cases) {
        const std::string name = ::testing::PrintToString(clicks);
        vortan::test::FakeUiService ui;
        vortan::AxesDlgState fields{7, 7, 7};  // opening resets them
        CAxesDlg dialog(fields, ui);
        std::array<bool, 3> opened{};
        ModalScript script(Clicks(clicks, &opened));
        EXPECT_EQ(dialog.DoModal(), result) << name;
        EXPECT_TRUE(script.Closed()) << name;
        EXPECT_EQ(opened, (std::array{true, true, false})) << name;
        EXPECT_EQ((std::array{fields.m_axisX, fields.m_axisY, fields.m_axisZ}), xyz) << name;
        EXPECT_EQ(ui.messages, std::vector(refusals, refused)) << name;
    }
}

class FrameAxesTest : public vortan::test::FrameFixture {
  protected:
    FrameAxesTest() : FrameFixture(3) {}
};

// The axis dialog of a 3-D file opens before the window, over the picture's place.
TEST_F(FrameAxesTest, EveryPairDrawsItsOwnPictureAndCancelCopiesTheFlags) {
    const std::tuple<std::vector<int>, std::array<int, 3>, int, int> cases[] = {
        // clicks, flags, size
        {{kOk}, {1, 1, 0}, 400, 300},
        {{Y, Z, kOk}, {1, 0, 1}, 400, 300},
        {{X, Z, kOk}, {0, 1, 1}, 400, 300},
        {{Y, kCancel}, {1, 0, 0}, 400, 300},  // x only: drawn as y and z
        {{kOk}, {1, 1, 0}, 5000, 4000}};
    std::vector<std::vector<vortan::CanvasPixel>> pictures;
    for (const auto& [clicks, xyz, w, h] : cases) {
        const std::string name = ::testing::PrintToString(clicks);
        CVortanFrame* f = Make(vortan::test::FrameParams(m_input, 3, false));
        f->m_imageWidth = w;
        f->m_imageHeight = h;
        QRect placed, screen;
        bool visible = true;
        ModalScript script([&, clicks = Clicks(clicks)](QDialog& d) {
            visible = f->isVisible();
            placed = d.frameGeometry();
            screen = d.screen()->availableGeometry();
            clicks(d);
        });
        ASSERT_TRUE(f->Create()) << name;
        EXPECT_TRUE(script.Closed() && !visible) << name;
        EXPECT_EQ((std::array{f->m_axisX, f->m_axisY, f->m_axisZ}), xyz) << name;
        constexpr int kFrame = 4;  // the window frame is not known before the dialog shows
        const QRect picture(50, 50, w, h + 30);
        EXPECT_TRUE(screen.adjusted(-kFrame, -kFrame, kFrame, kFrame).contains(placed)) << name;
        const QPoint off = placed.center() - picture.center();
        if (screen.contains(picture)) {
            EXPECT_LE(std::max(std::abs(off.x()), std::abs(off.y())), kFrame) << name;
        }
        if (w > 1000) continue;  // too large to show
        f->ActivateFrame();
        ASSERT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000)) << name;
        pictures.push_back(f->Canvas().Pixels());
        f->close();
    }
    ASSERT_EQ(pictures.size(), 4u);
    EXPECT_TRUE(pictures[0] != pictures[1] && pictures[0] != pictures[2] &&
                pictures[1] != pictures[2] && pictures[3] == pictures[2]);
    EXPECT_TRUE(m_ui.messages.empty());
}

}  // namespace
