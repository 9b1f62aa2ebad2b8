#include "view/qt/axes_dlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QScreen>
#include <array>
#include <cstdlib>

#include "tests/qt/frame_test_support.h"

namespace {

using vortan::test::ClickControl;
using vortan::test::FakeUiService;
using vortan::test::ModalScript;

std::array<bool, 3> Marks(QDialog& d) {
    std::array<bool, 3> m{};
    int i = 0;
    for (int id : {IDC_AXIS_X, IDC_AXIS_Y, IDC_AXIS_Z}) {
        auto* box = Control<QCheckBox>(d, id);
        m[i++] = box && box->isChecked();
    }
    return m;
}

// One scripted opening: the clicks, then OK (1) or Cancel (2) as the last id.
struct AxesCase {
    const char* name;
    std::vector<int> clicks;
    std::array<int, 3> xyz;  // flags afterwards
    int result;
    int messages;  // "Two Checkboxes must be selected!" shown this often
};

class AxesDialogTest : public ::testing::TestWithParam<AxesCase> {};

TEST_P(AxesDialogTest, ClicksOkAndCancel) {
    const AxesCase& c = GetParam();
    FakeUiService ui;
    vortan::AxesDlgState fields{7, 7, 7};  // opening resets them
    CAxesDlg dialog(fields, ui);
    std::array<bool, 3> opened{};
    ModalScript script([&](QDialog& d) {
        opened = Marks(d);
        for (int id : c.clicks) {
            ClickControl(d, id);
            if (id >= IDC_AXIS_X) {
                // Box and flag stay in step after every click.
                EXPECT_EQ(Marks(d), (std::array{fields.m_axisX != 0, fields.m_axisY != 0,
                                                fields.m_axisZ != 0}));
            }
        }
    });
    EXPECT_EQ(dialog.DoModal(), c.result);
    EXPECT_TRUE(script.Ran());
    EXPECT_FALSE(script.LeftOpen());
    EXPECT_EQ(opened, (std::array{true, true, false}));
    EXPECT_EQ((std::array{fields.m_axisX, fields.m_axisY, fields.m_axisZ}), c.xyz);
    ASSERT_EQ(ui.messages.size(), static_cast<std::size_t>(c.messages));
    for (const auto& m : ui.messages)
        EXPECT_EQ(m, (FakeUiService::Message{"Two Checkboxes must be selected!", "Info", 0}));
}

constexpr int kOk = vortan::IDOK;
constexpr int kCancel = vortan::IDCANCEL;
constexpr int X = IDC_AXIS_X, Y = IDC_AXIS_Y, Z = IDC_AXIS_Z;

INSTANTIATE_TEST_SUITE_P(
    Cases, AxesDialogTest,
    ::testing::Values(AxesCase{"OkAtOnce", {kOk}, {1, 1, 0}, kOk, 0},
                      AxesCase{"OnlyXThenOkRefused", {Y, kOk, kCancel}, {1, 0, 0}, kCancel, 1},
                      AxesCase{"XAndZ", {Y, Z, kOk}, {1, 0, 1}, kOk, 0},
                      AxesCase{"YAndZ", {X, Z, kOk}, {0, 1, 1}, kOk, 0},
                      AxesCase{"ThreeRefusedThenTwo", {Z, kOk, X, kOk}, {0, 1, 1}, kOk, 1},
                      AxesCase{
                          "NoneRefusedTwice", {X, Y, kOk, kOk, kCancel}, {0, 0, 0}, kCancel, 2},
                      AxesCase{"ToggleBack", {Z, Z, kOk}, {1, 1, 0}, kOk, 0},
                      AxesCase{"CancelKeepsClicks", {Z, kCancel}, {1, 1, 1}, kCancel, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AxesDialog, EscapeCancelsWithTheFlagsAsClicked) {
    FakeUiService ui;
    vortan::AxesDlgState fields;
    CAxesDlg dialog(fields, ui);
    ModalScript script([](QDialog& d) {
        ClickControl(d, X);
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), vortan::IDCANCEL);
    EXPECT_TRUE(script.Ran());
    EXPECT_FALSE(script.LeftOpen());
    EXPECT_EQ((std::array{fields.m_axisX, fields.m_axisY, fields.m_axisZ}), (std::array{0, 1, 0}));
}

// The axis dialog inside window creation, driven through the frame.
class FrameAxesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_input = m_dir.file("lines3.math");
        vortan::test::WriteTextFile(m_input, vortan::test::FrameInputText(120, 90, 3));
    }
    void TearDown() override {
        for (auto& f : m_frames)
            if (f) f->close();
        vortan::test::FlushDeletes();
    }
    // Creates and shows a 3-D window whose axis dialog runs script.
    CVortanFrame* Open(std::function<void(QDialog&)> script) {
        auto* f = new CVortanFrame(m_ui, nullptr);
        vortan::ApplyAnimationParameters(vortan::test::FrameParams(m_input, 3, false), *f);
        m_frames.emplace_back(f);
        ModalScript modal(std::move(script));
        EXPECT_TRUE(f->Create());
        EXPECT_TRUE(modal.Ran());
        EXPECT_FALSE(modal.LeftOpen());
        f->ActivateFrame();
        EXPECT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
        return f;
    }
    static std::array<int, 3> Axes(const CVortanFrame* f) {
        return {f->m_axisX, f->m_axisY, f->m_axisZ};
    }

    vortan::test::TempDir m_dir;
    std::string m_input;
    FakeUiService m_ui;
    std::vector<QPointer<CVortanFrame>> m_frames;
};

TEST_F(FrameAxesTest, OpensWithXAndYCheckedBeforeTheWindowShows) {
    std::array<bool, 3> marks{};
    bool windowVisible = true;
    CVortanFrame* f = Open([&](QDialog& d) {
        marks = Marks(d);
        windowVisible = m_frames.back()->isVisible();
        ClickControl(d, kOk);
    });
    EXPECT_EQ(marks, (std::array{true, true, false}));
    EXPECT_FALSE(windowVisible);
    EXPECT_EQ(Axes(f), (std::array{1, 1, 0}));
}

TEST_F(FrameAxesTest, EveryPairDrawsItsOwnPicture) {
    CVortanFrame* xy = Open([](QDialog& d) { ClickControl(d, kOk); });
    CVortanFrame* xz = Open([](QDialog& d) {
        ClickControl(d, Y);
        ClickControl(d, Z);
        ClickControl(d, kOk);
    });
    CVortanFrame* yz = Open([](QDialog& d) {
        ClickControl(d, X);
        ClickControl(d, Z);
        ClickControl(d, kOk);
    });
    EXPECT_EQ(Axes(xz), (std::array{1, 0, 1}));
    EXPECT_EQ(Axes(yz), (std::array{0, 1, 1}));
    EXPECT_NE(xy->Canvas().Pixels(), xz->Canvas().Pixels());
    EXPECT_NE(xy->Canvas().Pixels(), yz->Canvas().Pixels());
    EXPECT_NE(xz->Canvas().Pixels(), yz->Canvas().Pixels());
}

TEST_F(FrameAxesTest, CancelWithYUncheckedCopiesTheFlagsAndShowsYZ) {
    CVortanFrame* yz = Open([](QDialog& d) {
        ClickControl(d, X);
        ClickControl(d, Z);
        ClickControl(d, kOk);
    });
    CVortanFrame* cancelled = Open([](QDialog& d) {
        ClickControl(d, Y);
        ClickControl(d, kCancel);
    });
    EXPECT_EQ(Axes(cancelled), (std::array{1, 0, 0}));
    EXPECT_EQ(cancelled->Canvas().Pixels(), yz->Canvas().Pixels());
    EXPECT_TRUE(m_ui.messages.empty());
}

// The window is not shown while its axis dialog runs: the dialog opens over
// the place the picture will take (inside the screen), not in a corner.
TEST_F(FrameAxesTest, OpensOverThePlaceOfThePicture) {
    const struct { int width, height; } sizes[] = {{400, 300}, {5000, 4000}};
    for (const auto& size : sizes) {
        auto* f = new CVortanFrame(m_ui, nullptr);
        vortan::AnimationParameters p = vortan::test::FrameParams(m_input, 3, false);
        p.m_imageWidth = size.width;
        p.m_imageHeight = size.height;
        vortan::ApplyAnimationParameters(p, *f);
        m_frames.emplace_back(f);
        QRect placed;
        QRect screen;
        ModalScript modal([&](QDialog& d) {
            placed = d.frameGeometry();
            screen = d.screen()->availableGeometry();
            ClickControl(d, kOk);
        });
        ASSERT_TRUE(f->Create());
        ASSERT_TRUE(modal.Ran());
        // The dialog's window frame is not known before it shows: a few
        // pixels of it may stick out.
        constexpr int kFrame = 4;
        const QRect picture(50, 50, size.width, size.height + 30);
        EXPECT_TRUE(screen.adjusted(-kFrame, -kFrame, kFrame, kFrame).contains(placed))
            << size.width;
        if (screen.contains(picture)) {
            EXPECT_LE(std::abs(placed.center().x() - picture.center().x()), kFrame) << size.width;
            EXPECT_LE(std::abs(placed.center().y() - picture.center().y()), kFrame) << size.width;
        }
        f->close();
        vortan::test::FlushDeletes();
    }
}

}  // namespace
