#include <QComboBox>
#include <QLineEdit>

#include "qt_fixture.h"

namespace qv::qt::testing {
namespace {

// A port takes digits only, and a password shows none of what is typed.
TEST_F(QtHostTest, DigitsAndPasswordEntries)
{
    Program& p = open(R"(
window: Proxy
title: Proxy
at: [10, 10, 200, 60]
controls:
  - {type: entry, name: "?Port", at: [8, 8, 50, 12], flags: [digits]}
  - {type: entry, name: "?Password", at: [8, 24, 90, 12], flags: [password]}
)");
    auto* port = find<QLineEdit>(p, "?Port");
    auto* password = find<QLineEdit>(p, "?Password");
    ASSERT_NE(port, nullptr);
    ASSERT_NE(password, nullptr);
    QTest::keyClicks(port, QStringLiteral("8a0-8"));
    EXPECT_EQ((*p.window)["?Port"].value(), "808");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(port->echoMode(), QLineEdit::Normal);
    // The screen hides it; the model still holds what was typed.
    password->setFocus();
    QTest::keyClicks(password, QStringLiteral("s3cret"));
    ASSERT_TRUE(waitFor([&] { return (*p.window)["?Password"].value() == "s3cret"; }));
    EXPECT_NE(password->displayText(), QStringLiteral("s3cret"));
}

// A drop list over rows the program reads again (a new category added)
// keeps showing the program's choice, not the first row the reset leaves.
TEST_F(QtHostTest, ADropListReadAgainShowsItsChoice)
{
    Program& p = open(R"(
window: Choice
title: Choice
at: [10, 10, 200, 60]
controls:
  - {type: droplist, name: "?Category", at: [8, 8, 120, 12]}
)",
        [](rt::Window& w, Program& p) {
            p.queue = rt::ListQueue(1);
            for (const char* c : {"Classical", "Jazz", "Rock"})
                p.queue.append({c});
            w["?Category"].setList(&p.queue);
            w["?Category"].setSelected(2);
        });
    auto* box = find<QComboBox>(p, "?Category");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentText(), QStringLiteral("Jazz"));
    onThread(p, [&](rt::Window& w) {
        p.queue.clear();
        for (const char* c : {"Classical", "Indie Rock", "Jazz", "Rock"})
            p.queue.append({c});
        w["?Category"].setSelected(2);
    });
    EXPECT_EQ(box->currentText(), QStringLiteral("Indie Rock"));
}

} // namespace
} // namespace qv::qt::testing
