#include "platform/qt/ddx.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include "tests/test_support.h"

namespace {

TEST(Ddx, TowardTheControlShowsSixSignificantDigits) {
    vortan::test::RecordingSink sink;
    QLineEdit edit;
    const std::pair<float, const char*> cases[] = {
        {2.0f, "2"},
        {2.5f, "2.5"},
        {0.0f, "0"},
        {-3.0f, "-3"},
        {1234567.0f, "1.23457e+06"},
        {3000000000.0f, "3e+09"},
    };
    for (const auto& [value, text] : cases) {
        float v = value;
        EXPECT_TRUE(DDX_TextFloat(&edit, v, false, sink));
        EXPECT_EQ(edit.text(), text);
    }
    EXPECT_TRUE(sink.messages.empty());
}

TEST(Ddx, FromTheControlAcceptsNumbersAndRefusesTheRest) {
    struct Case {
        const char* text;
        bool ok;
        float value;  // the value afterwards (starting from 9)
    };
    const Case cases[] = {
        {"12", true, 12.0f}, {"  2.5  ", true, 2.5f}, {"-1", true, -1.0f}, {"1e3", true, 1000.0f},
        {"", false, 9.0f},   {"abc", false, 9.0f},    {"2x", false, 9.0f}, {"   ", false, 9.0f},
    };
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* edit = new QLineEdit(&window);
    layout->addWidget(other);
    layout->addWidget(edit);
    window.show();
    window.activateWindow();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        vortan::test::RecordingSink sink;
        other->setFocus();
        edit->setText(c.text);
        float v = 9.0f;
        EXPECT_EQ(DDX_TextFloat(edit, v, true, sink), c.ok);
        EXPECT_EQ(v, c.value);
        if (c.ok) {
            EXPECT_TRUE(sink.messages.empty());
        } else {
            ASSERT_EQ(sink.messages.size(), 1u);
            EXPECT_EQ(sink.messages[0].text, "Please enter a number.");
            EXPECT_EQ(sink.messages[0].caption, "");
            EXPECT_EQ(sink.messages[0].type, vortan::MB_OK | vortan::MB_ICONEXCLAMATION);
            EXPECT_EQ(window.focusWidget(), edit);
        }
    }
}

}  // namespace
