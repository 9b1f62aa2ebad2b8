#include "platform/qt/ddx.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QWidget>

#include "tests/test_support.h"

namespace {

TEST(Ddx, ShowsSixSignificantDigitsAndRefusesWhatIsNoNumberWithTheFocusOnTheEdit) {
    QWidget window;
    auto* other = new QLineEdit(&window);
    auto* edit = new QLineEdit(&window);
    window.show();
    vortan::test::RecordingSink sink;
    float shown = 1234567.0f;  // every format: the dialog data tests
    EXPECT_TRUE(DDX_TextFloat(edit, shown, false, sink));
    EXPECT_EQ(edit->text(), "1.23457e+06");
    // The text; accepted; the value afterwards, starting from 9.
    const std::tuple<const char*, bool, float> cases[] = {
        {"  2.5  ", true, 2.5f}, {"1e3", true, 1000}, {"", false, 9}, {"2x", false, 9}};
    for (auto [text, ok, value] : cases) {
        sink.messages.clear();
        other->setFocus();
        edit->setText(text);
        float v = 9.0f;
        EXPECT_EQ(DDX_TextFloat(edit, v, true, sink), ok) << text;
        EXPECT_EQ(v, value) << text;
        EXPECT_EQ(sink.messages.size(), ok ? 0u : 1u) << text;  // each refusal said once
        EXPECT_EQ(window.focusWidget(), ok ? other : edit) << text;
    }
    EXPECT_EQ(sink.messages.at(0),
              (vortan::test::RecordedMessage{"Please enter a number.", "",
                                             vortan::MB_OK | vortan::MB_ICONEXCLAMATION}));
}

}  // namespace
