#include <gtest/gtest.h>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"

using namespace qv::rt;

namespace {

struct MessageCase {
    const char* what;
    MessageSpec spec;
    int press; // button value or custom index the user presses
    int expected;
    std::vector<std::string> buttonTexts;
};

class MessageBoxes : public ::testing::TestWithParam<MessageCase>
{ };

TEST_P(MessageBoxes, AnswerIsTheButtonPressed)
{
    const MessageCase& c = GetParam();
    HeadlessHost host;
    int answer = -1;
    host.start("Asker", [&] { answer = message(c.spec); });
    MessageBoxWindow* box = host.messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), c.spec.title);
    std::vector<std::string> texts;
    for (const auto& b : box->buttons())
        texts.push_back(b.text);
    EXPECT_EQ(texts, c.buttonTexts);
    host.answer(c.press);
    EXPECT_EQ(answer, c.expected);
    EXPECT_EQ(host.messageBox(), nullptr);
}

MessageSpec spec(int buttons, std::string custom = {}, int def = 0)
{
    MessageSpec s;
    s.title = "Save Record";
    s.text = "Save changes?|Press Cancel to keep editing.";
    s.icon = Icon::Question;
    s.buttons = buttons;
    s.custom = std::move(custom);
    s.defaultButton = def;
    return s;
}

INSTANTIATE_TEST_SUITE_P(Answers, MessageBoxes,
    ::testing::Values(MessageCase{"yes", spec(button::Yes | button::No | button::Cancel), button::Yes, button::Yes,
                          {"&Yes", "&No", "Cancel"}},
        MessageCase{
            "no", spec(button::Yes | button::No | button::Cancel), button::No, button::No, {"&Yes", "&No", "Cancel"}},
        MessageCase{"cancel", spec(button::Yes | button::No | button::Cancel), button::Cancel, button::Cancel,
            {"&Yes", "&No", "Cancel"}},
        MessageCase{"retry", spec(button::Retry | button::Cancel), button::Retry, button::Retry, {"&Retry", "Cancel"}},
        MessageCase{"custom", spec(0, "&Replace|&Add|Skip"), 2, 2, {"&Replace", "&Add", "Skip"}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(MessageBox, TextLinesDefaultButtonAndClosing)
{
    HeadlessHost host;
    int answer = -1;
    host.start("Asker", [&] { answer = message(spec(button::Yes | button::No | button::Cancel, {}, button::No)); });
    MessageBoxWindow* box = host.messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Save changes?\nPress Cancel to keep editing.");
    EXPECT_EQ(box->icon(), Icon::Question);
    EXPECT_EQ(box->defaultAnswer(), button::No);
    EXPECT_TRUE((*box)["?Button2"].isDefault());
    // Closed from its title bar: a box with Cancel answers Cancel.
    host.post(*box, {event::CloseWindow});
    EXPECT_EQ(answer, button::Cancel);
}

TEST(MessageBox, OnlyTheAskingThreadWaits)
{
    HeadlessHost host;
    int answer = -1;
    int otherEvents = 0;
    host.start("Asker", [&] { answer = message("Really?", "Question", Icon::Question, button::Yes | button::No); });
    host.start("Other", [&] {
        Window w(parseWindowDef("title: Other\n", "test", "Other"));
        w.open();
        while (w.waitEvent().code != event::CloseWindow)
            ++otherEvents;
    });
    const int before = otherEvents;
    host.post(2, {event::Accepted});
    EXPECT_EQ(otherEvents, before + 1);
    EXPECT_EQ(answer, -1);
    host.answer(button::No);
    EXPECT_EQ(answer, button::No);
}

TEST(FileDialog, ChosenFileIsReturnedAndCancelLeavesTheNameAsItWas)
{
    HeadlessHost host;
    FileDialogSpec spec{"Choose a Logo", "old.bmp", "Pictures|*.bmp;*.jpg|All files|*.*"};
    bool chosen = true;
    host.start("Chooser", [&] { chosen = fileDialog(spec); });
    auto* dlg = host.dialog<FileDialogWindow>();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->request().filter, "Pictures|*.bmp;*.jpg|All files|*.*");
    dlg->answer(std::nullopt);
    host.settle();
    EXPECT_FALSE(chosen);
    EXPECT_EQ(spec.fileName, "old.bmp");

    host.start("Chooser", [&] { chosen = fileDialog(spec); });
    auto answer = host.dialog<FileDialogWindow>()->request();
    answer.fileName = "/home/me/new logo.jpg";
    host.dialog<FileDialogWindow>()->answer(answer);
    host.settle();
    EXPECT_TRUE(chosen);
    EXPECT_EQ(spec.fileName, "/home/me/new logo.jpg");
}

TEST(FontAndColourDialogs, AnswerOrKeep)
{
    HeadlessHost host;
    FontSpec font{"Arial", 10};
    int colour = 0x0000FF;
    bool fontChosen = false, colourChosen = true;
    host.start("Fonts", [&] {
        fontChosen = fontDialog(font);
        colourChosen = colorDialog(colour);
    });
    host.dialog<FontDialogWindow>()->answer(FontSpec{"Times New Roman", 12, 0, true, false});
    host.settle();
    host.dialog<ColorDialogWindow>()->answer(std::nullopt);
    host.settle();
    EXPECT_TRUE(fontChosen);
    EXPECT_EQ(font.name, "Times New Roman");
    EXPECT_TRUE(font.bold);
    EXPECT_FALSE(colourChosen);
    EXPECT_EQ(colour, 0x0000FF);
}

} // namespace
