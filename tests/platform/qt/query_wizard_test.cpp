// The query wizard as the Qt host draws it: on every page each control that
// shows lies inside the window, so nothing is cut off.

#include "qt_fixture.h"

#include <QWidget>

#include "platform/expr/expression.h"
#include "platform/outside/query_wizard.h"
#include "platform/qt/window_view.h"

namespace qv::qt::testing {
namespace {

class QueryWizardLook : public QtHostTest
{
protected:
    void SetUp() override
    {
        QtHostTest::SetUp();
        outside::QueryWizard& texts = outside::queryWizard();
        const std::pair<int, const char*> given[]
            = {{1, "Is Equal To"}, {7, "Begins With"}, {71, "MS Sans Serif"}, {72, "10"}, {75, "MS Sans Serif"},
                {76, "8"}, {103, "&AND"}, {106, "< &Back"}, {109, "Cancel"}, {112, "&Change"}, {115, "&Delete"},
                {118, "&Finish"}, {121, "&Manual"}, {124, "&Next >"}, {127, "O&R"}, {151, "Constant &Value"},
                {154, "Current Query"}, {155, "Add conditions by pressing the AND or OR buttons."},
                {156, "Press Change or Delete to modify a condition."},
                {157, "Enter a value to complete your expression."}, {158, "Field Selection"}, {160, "Manual Override"},
                {159, "Fields to Evaluate"}, {162, "Compare Using Case Sensitive Matching"}, {163, "(New Query)"},
                {164, "Operation Selection"}, {165, "Query Operations"}, {166, "Select a field from the list below."},
                {168, "Select a query operation to perform on the selected field."}, {169, "Value Entry"},
                {171, "Query Wizard"}};
        for (const auto& [n, t] : given)
            texts.setDisplayText(n, t);
        std::int32_t error = 0;
        outside::TCQW_FIELDSQUEUE artist;
        artist.QWFLDDESC = "Artist (Song)";
        artist.QWFLDNAME = "SNG:Artist";
        artist.QWFLDPICTURE = "@s50";
        artist.QWFLDLOOKUP = "SelectSNG:Artist()";
        outside::TC_ADDFIELDSQUEUEDATA(queue_, outside::packFieldRow(artist), error);
        thread_ = host_->start("wizard", [this] {
            outside::TC_QWIZARD(queue_, "SONGS", filter_, {}, &names_);
            done_ = true;
        });
        names_.bindProcedure("SelectSNG:Artist", [](std::span<const expr::Value>) { return expr::Value(""); });
        ASSERT_TRUE(waitFor([this] {
            return wizard() && host_->view(*wizard()) && host_->view(*wizard())->outerWidget()->isVisible();
        }));
    }
    void TearDown() override
    {
        if (!done_) {
            wizard()->post(rt::event::Accepted, (*wizard())["?Cancel"].number());
            waitFor([this] { return done_; });
        }
        QtHostTest::TearDown();
    }
    rt::Window* wizard() const { return rt::Scheduler::instance().topWindow(thread_); }
    void press(const char* control)
    {
        wizard()->post(rt::event::Accepted, (*wizard())[control].number());
        QCoreApplication::processEvents();
        waitFor([] { return false; }, 50);
    }
    void choose(const char* control, int row)
    {
        (*wizard())[control].userSelected(row);
        wizard()->post(rt::event::NewSelection, (*wizard())[control].number());
        waitFor([] { return false; }, 50);
    }

    // Every control that shows lies inside the window's own area.
    void expectAllInside(const char* page)
    {
        QWidget* outer = host_->view(*wizard())->outerWidget();
        const QRect area = outer->rect();
        for (QWidget* w : outer->findChildren<QWidget*>()) {
            if (!w->isVisible() || w->parentWidget() != outer)
                continue;
            EXPECT_TRUE(area.contains(w->geometry())) << page << ": " << w->metaObject()->className();
        }
    }

    outside::FieldsQueue queue_;
    std::string filter_;
    expr::NameTable names_;
    int thread_ = 0;
    bool done_ = false;
};

TEST_F(QueryWizardLook, EveryPageFitsItsWindow)
{
    expectAllInside("current");
    press("?And");
    expectAllInside("field");
    choose("?Fields", 1);
    press("?Next");
    expectAllInside("operation");
    choose("?Operations", 1);
    press("?Next");
    expectAllInside("value");
    press("?Back");
    press("?Back");
    press("?Back");
    press("?Manual");
    expectAllInside("manual");
}

} // namespace
} // namespace qv::qt::testing
