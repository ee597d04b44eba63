#include <gtest/gtest.h>

#include "platform/expr/expression.h"
#include "platform/outside/query_wizard.h"
#include "platform/runtime/headless.h"

namespace qv::outside {
namespace {

// The texts the program hands over at start, as far as these tests read them.
void giveTexts()
{
    QueryWizard& w = queryWizard();
    const char* ops[] = {"Is Equal To", "Is NOT Equal To", "Is Greater Than", "Is Less Than",
        "Is Greater Than or Equal To", "Is Less Than or Equal To", "Begins With", "Contains", "Does NOT Begin With",
        "Does NOT Contain", "Is Checked", "Is NOT Checked"};
    for (int i = 0; i < 12; ++i)
        w.setDisplayText(i + 1, ops[i]);
    w.setDisplayText(33, "Invalid Query");
    w.setDisplayText(34, "The query you have designed is invalid.|Please review your query and correct the problem.");
    w.setDisplayText(103, "&AND");
    w.setDisplayText(127, "O&R");
    w.setDisplayText(118, "&Finish");
    w.setDisplayText(154, "Current Query");
    w.setDisplayText(163, "(New Query)");
    w.setDisplayText(166, "Select a field from the list below.");
    w.setDisplayText(171, "Query Wizard");
}

std::string row(std::vector<std::string> v)
{
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i)
        out += v[i] + (i + 1 == v.size() ? kRowEnd : kValueEnd);
    return out;
}

class WizardWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        giveTexts();
        std::int32_t error = 0;
        TC_ADDFIELDSQUEUEDATA(queue,
            row({"Artist (Song)", "0", "SNG:Artist", "@s50", "50", "1", "1", "SelectSNG:Artist()", "", ""})
                + row({"Live", "0", "SNG:Live", "@n3", "1", "2", "2", "", "Live", ""})
                + row({"Type of ending", "0", "SNG:EndType", "@s6", "6", "1", "3", "", "Slow|Fast|Abrupt", ""}),
            error);
        ASSERT_EQ(error, 0);
        TC_INITFIELDSQUEUE(queue, "SONGS");
        names.bindValue("SNG:Artist", expr::Value(std::string("ABBA")));
        names.bindValue("SNG:Live", 1);
        names.bindValue("SNG:EndType", expr::Value(std::string("Slow")));
        names.bindProcedure(
            "SelectSNG:Artist", [](std::span<const expr::Value>) { return expr::Value(std::string("Bee Gees")); });
    }

    // Opens the wizard on a thread of its own; the test then drives it.
    rt::Window& open(std::string start, std::string name = "SONGS")
    {
        filter = std::move(start);
        finished = false;
        host.start("Report", [this, name] {
            response = TC_QWIZARD(queue, name, filter, {0, 1, 0, 1, 0, 0, 0, 0, 0}, &names);
            finished = true;
        });
        rt::Window* w = host.window("QueryWizard");
        EXPECT_NE(w, nullptr);
        return *w;
    }

    // One new condition through the field, operation and value pages.
    void addCondition(rt::Window& w, const char* join, int field, int op, std::string value = {})
    {
        host.press(w, join);
        EXPECT_FALSE(w["?Next"].enabled()); // no field chosen yet
        host.choose(w, "?Fields", field);
        host.press(w, "?Next");
        host.choose(w, "?Operations", op);
        host.press(w, "?Next");
        if (!w["?ValuePage"].hidden() && !value.empty()) {
            if (!w["?Value"].hidden())
                host.enter(w, "?Value", value);
        }
        if (!w["?ValuePage"].hidden())
            host.press(w, "?Next");
        EXPECT_FALSE(w["?CurrentPage"].hidden());
    }

    std::vector<std::string> conditionRows(rt::Window& w)
    {
        std::vector<std::string> rows;
        rt::ListSource* list = w["?Conditions"].list();
        for (int r = 0; r < list->rowCount(); ++r)
            rows.push_back(list->cell(r, 0));
        return rows;
    }

    rt::HeadlessHost host;
    FieldsQueue queue;
    expr::NameTable names;
    std::string filter;
    std::int32_t response = -1;
    bool finished = false;
};

TEST_F(WizardWindow, AWholeQueryFromFieldsToFinish)
{
    rt::Window& w = open("");
    EXPECT_EQ(w.title(), "Query Wizard");
    EXPECT_EQ(w["?And"].text(), "&AND");
    EXPECT_EQ(w["?CurrentPage"].text(), "Current Query");
    EXPECT_EQ(conditionRows(w), std::vector<std::string>{"(New Query)"});
    EXPECT_FALSE(w["?Change"].enabled());

    addCondition(w, "?And", 1, 7, "ab"); // Artist Begins With
    addCondition(w, "?Or", 2, 1); // Live Is Checked: no value page
    // Ending: a drop list of its options.
    host.press(w, "?And");
    host.choose(w, "?Fields", 3);
    host.press(w, "?Next");
    EXPECT_EQ(w["?Operations"].list()->rowCount(), 2);
    host.choose(w, "?Operations", 2);
    host.press(w, "?Next");
    EXPECT_TRUE(w["?Value"].hidden());
    ASSERT_EQ(w["?ValueChoice"].list()->rowCount(), 3);
    host.choose(w, "?ValueChoice", 3);
    host.enter(w, "?CaseSensitive", "1");
    host.press(w, "?Next");

    EXPECT_EQ(conditionRows(w),
        (std::vector<std::string>{
            "Artist (Song) Begins With 'ab'", "OR Live Is Checked", "AND Type of ending Is NOT Equal To 'Abrupt'"}));
    host.press(w, "?Finish");
    ASSERT_TRUE(finished);
    EXPECT_EQ(response, 1);
    EXPECT_EQ(filter, "(SUB(UPPER(SNG:Artist), 1, 2) = 'AB') OR (SNG:Live <> 0 AND SNG:EndType <> 'Abrupt')");
    EXPECT_TRUE(expr::Expression::compile(filter, &names).test(names)) << filter;
}

TEST_F(WizardWindow, CancelKeepsThePreviousFilter)
{
    rt::Window& w = open("SNG:Live = 1");
    // A filter the wizard did not write stays as one hand-typed condition.
    EXPECT_EQ(conditionRows(w), std::vector<std::string>{"SNG:Live = 1"});
    host.press(w, "?Delete");
    addCondition(w, "?And", 1, 1, "x");
    host.press(w, "?Cancel");
    ASSERT_TRUE(finished);
    EXPECT_EQ(response, 0);
    EXPECT_EQ(filter, "SNG:Live = 1");
}

TEST_F(WizardWindow, AFilterItWroteOpensAsItsConditions)
{
    rt::Window& w = open("", "REOPEN");
    addCondition(w, "?And", 1, 8, "O'C"); // Contains
    host.press(w, "?Finish");
    ASSERT_TRUE(finished);
    EXPECT_EQ(filter, "INSTRING('O''C', UPPER(SNG:Artist), 1, 1) > 0");

    rt::Window& again = open(filter, "REOPEN");
    EXPECT_EQ(conditionRows(again), std::vector<std::string>{"Artist (Song) Contains 'O''C'"});
    // Change it: the pages come back with the field, operation and value.
    host.press(again, "?Change");
    EXPECT_EQ(again["?Fields"].selected(), 1);
    host.press(again, "?Next");
    EXPECT_EQ(again["?Operations"].selected(), 8);
    host.choose(again, "?Operations", 1);
    host.press(again, "?Next");
    EXPECT_EQ(again["?Value"].value(), "O'C");
    host.press(again, "?Lookup"); // the field's lookup answers through the caller's names
    EXPECT_EQ(again["?Value"].value(), "Bee Gees");
    host.press(again, "?Next");
    host.press(again, "?Finish");
    EXPECT_EQ(filter, "UPPER(SNG:Artist) = 'BEE GEES'");

    // A queue of the same name without that field keeps the text as it stands.
    queue.rows.erase(queue.rows.begin());
    rt::Window& other = open(filter, "REOPEN");
    EXPECT_EQ(conditionRows(other), std::vector<std::string>{"UPPER(SNG:Artist) = 'BEE GEES'"});
    host.press(other, "?Cancel");
}

TEST_F(WizardWindow, HandTypedConditionsAreChecked)
{
    rt::Window& w = open("");
    host.press(w, "?Manual");
    host.enter(w, "?ManualText", "SNG:Artist = ");
    host.press(w, "?Next");
    ASSERT_NE(host.messageBox(), nullptr);
    EXPECT_EQ(host.messageBox()->title(), "Invalid Query");
    host.answer(rt::button::Ok);
    host.enter(w, "?ManualText", "SNG:Unknown = 1"); // not a name the caller bound
    host.press(w, "?Next");
    ASSERT_NE(host.messageBox(), nullptr);
    host.answer(rt::button::Ok);
    EXPECT_FALSE(w["?ManualPage"].hidden());
    host.enter(w, "?ManualText", "SNG:Live = 1 OR SNG:Live = 2");
    host.press(w, "?Next");
    EXPECT_EQ(conditionRows(w), std::vector<std::string>{"SNG:Live = 1 OR SNG:Live = 2"});
    addCondition(w, "?And", 2, 2);
    host.press(w, "?Finish");
    EXPECT_EQ(filter, "(SNG:Live = 1 OR SNG:Live = 2) AND SNG:Live = 0");
}

TEST_F(WizardWindow, AFilterTooLongIsRefusedNeverCut)
{
    rt::Window& w = open("SNG:Live = 1");
    host.press(w, "?Manual");
    host.enter(w, "?ManualText", "SNG:Artist = '" + std::string(1020, 'x') + "'");
    host.press(w, "?Next");
    host.press(w, "?Finish");
    ASSERT_NE(host.messageBox(), nullptr);
    host.answer(rt::button::Ok);
    EXPECT_FALSE(finished); // the wizard stays open
    EXPECT_FALSE(w["?CurrentPage"].hidden());
    host.press(w, "?Cancel");
    ASSERT_TRUE(finished);
    EXPECT_EQ(filter, "SNG:Live = 1");
}

} // namespace
} // namespace qv::outside
