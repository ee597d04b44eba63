#include <gtest/gtest.h>

#include "platform/runtime/keycodes.h"

using namespace qv::rt;

TEST(KeyCodes, NamesAndCodes)
{
    struct Case {
        const char* name;
        int code;
        const char* display;
    };
    const Case cases[] = {
        {"CtrlA", 577, "Ctrl+A"},
        {"ShiftEnter", 269, "Shift+Enter"},
        {"AltLeft", 1061, "Alt+Left"},
        {"AltRight", 1063, "Alt+Right"},
        {"AltF11", 1146, "Alt+F11"},
        {"CtrlAltR", 1618, "Ctrl+Alt+R"},
        {"F3", 114, "F3"},
        {"Enter", 13, "Enter"},
        {"CtrlQuote", 734, "Ctrl+'"},
        {"CtrlShiftF3", 882, "Ctrl+Shift+F3"},
        {"MouseLeft", 1, "Left click"},
        {"MouseRight", 2, "Right click"},
        {"MouseLeft2", 5, "Double click"},
        {"Delete", 46, "Del"},
        {"Insert", 45, "Ins"},
        {"CtrlKey186", 698, "Ctrl+Key186"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(key::fromName(c.name), c.code);
        EXPECT_EQ(key::name(c.code), c.name);
        EXPECT_EQ(key::displayText(c.code), c.display);
    }
}

TEST(KeyCodes, NamesIgnoreCaseAndModifierOrder)
{
    EXPECT_EQ(key::fromName("ctrlshiftf3"), key::fromName("ShiftCtrlF3"));
    EXPECT_EQ(key::fromName("altctrlr"), 1618);
}

TEST(KeyCodes, UnknownNamesAreRefused)
{
    for (const char* bad : {"", "Ctrl", "F0", "F25", "Hyper", "CtrlCtrlA", "Key", "Key999", "CtrlF1x"})
        EXPECT_EQ(key::fromName(bad), std::nullopt) << bad;
}
