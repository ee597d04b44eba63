// The wizard's window: the current query, then a field, an operation and a
// value for each new or changed condition, or a condition typed by hand.

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "outside/windows/QueryWizard.h"
#include "platform/expr/expression.h"
#include "platform/outside/query_design.h"
#include "platform/outside/query_wizard.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/resources.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"

std::span<const qv::rt::EmbeddedFile> outsideResources();

namespace qv::outside {

namespace {

namespace W = ctl::QueryWizard;

std::string txt(int number)
{
    return queryWizard().displayText(number);
}

// What the wizard made last under a queue name: a filter text it wrote is
// taken apart again into the conditions it came from.
struct Remembered {
    std::string filter;
    std::vector<QueryCondition> conditions;
};
std::map<std::string, Remembered>& remembered()
{
    static std::map<std::string, Remembered> byName;
    return byName;
}

enum class Page { Current, Field, Operation, Value, Manual };

class WizardDialog
{
public:
    WizardDialog(const FieldsQueue& queue, const expr::Bindings* bindings)
        : queue_(queue)
        , bindings_(bindings)
    { }

    // True, with the filter, when the user finished.
    bool run(std::vector<QueryCondition>& conditions, std::string& filter)
    {
        conditions_ = conditions;
        w_ = rt::Window::load("outside", W::kWindow);
        applyTexts();
        fillFields();
        rt::Window& w = *w_;
        w[W::Conditions].setList(&conditionRows_);
        w[W::Fields].setList(&fieldRows_);
        w[W::Operations].setList(&operationRows_);
        w[W::ValueChoice].setList(&choiceRows_);
        showConditions();
        show(Page::Current);
        w.open();
        bool finished = false;
        while (!finished) {
            const rt::Event e = w.waitEvent();
            if (e.code == rt::event::CloseWindow)
                break;
            if (e.code == rt::event::NewSelection)
                showButtons();
            if (e.code != rt::event::Accepted)
                continue;
            if (e.control == W::Cancel.number)
                break;
            if (e.control == W::Finish.number)
                finished = finish(filter);
            else
                accepted(e.control);
        }
        if (finished)
            conditions = conditions_;
        w.close();
        return finished;
    }

private:
    rt::Control& c(rt::ControlId id) const { return (*w_)[id]; }

    void applyTexts()
    {
        rt::Window& w = *w_;
        w.setTitle(txt(171));
        const rt::FontDef font{txt(71), std::atoi(txt(72).c_str())};
        for (const auto& control : w.controls())
            if (control->font().name.empty() && !font.name.empty()) {
                rt::FontDef f = control->font();
                f.name = font.name;
                f.size = font.size;
                control->setFont(f);
            }
        // Each button has a tip, a status text and a caption, numbered in that order.
        for (const auto& [id, first] : {std::pair{W::And, 101}, {W::Back, 104}, {W::Cancel, 107}, {W::Change, 110},
                 {W::Delete, 113}, {W::Finish, 116}, {W::Manual, 119}, {W::Next, 122}, {W::Or, 125}}) {
            c(id).setToolTip(txt(first));
            c(id).setStatusText(txt(first + 1));
            c(id).setText(txt(first + 2));
        }
        c(W::CurrentPage).setText(txt(154));
        c(W::CurrentHint1).setText(txt(155));
        c(W::CurrentHint2).setText(txt(156));
        c(W::FieldPage).setText(txt(158));
        c(W::FieldHint).setText(txt(166));
        c(W::FieldsPrompt).setText(txt(159));
        c(W::OperationPage).setText(txt(164));
        c(W::OperationHint).setText(txt(168));
        c(W::OperationsPrompt).setText(txt(165));
        c(W::ValuePage).setText(txt(169));
        c(W::ValueHint).setText(txt(157));
        c(W::ValuePrompt).setText(txt(151));
        c(W::CaseSensitive).setText(txt(162));
        c(W::ManualPage).setText(txt(160));
        c(W::ManualHint).setText(txt(157));
    }

    void fillFields()
    {
        for (const TCQW_FIELDSQUEUE& f : queue_.rows)
            fieldRows_.append({f.QWFLDDESC});
    }

    void showConditions()
    {
        conditionRows_.clear();
        for (std::size_t i = 0; i < conditions_.size(); ++i)
            conditionRows_.append({conditionDescription(conditions_[i], queue_, i == 0)});
        if (conditions_.empty())
            conditionRows_.append({txt(163)});
        rt::Control& list = c(W::Conditions);
        list.setSelected(
            conditions_.empty() ? 0 : std::clamp(list.selected(), 1, static_cast<int>(conditions_.size())));
    }

    void show(Page page)
    {
        page_ = page;
        c(W::CurrentPage).setHidden(page != Page::Current);
        c(W::FieldPage).setHidden(page != Page::Field);
        c(W::OperationPage).setHidden(page != Page::Operation);
        c(W::ValuePage).setHidden(page != Page::Value);
        c(W::ManualPage).setHidden(page != Page::Manual);
        showButtons();
        // Each page is one step: the user goes on typing or choosing in it.
        w_->select(c(focusOf(page)));
    }

    rt::ControlId focusOf(Page page) const
    {
        switch (page) {
        case Page::Field:
            return W::Fields;
        case Page::Operation:
            return W::Operations;
        case Page::Value:
            return c(W::Value).hidden() ? W::ValueChoice : W::Value;
        case Page::Manual:
            return W::ManualText;
        case Page::Current:
            break;
        }
        return W::Conditions;
    }

    void showButtons()
    {
        const bool current = page_ == Page::Current;
        const bool chosen = selectedCondition() >= 0;
        c(W::Change).setEnabled(chosen);
        c(W::Delete).setEnabled(chosen);
        c(W::Back).setEnabled(!current);
        c(W::Finish).setEnabled(current);
        bool next = false;
        if (page_ == Page::Field)
            next = c(W::Fields).selected() > 0;
        else if (page_ == Page::Operation)
            next = c(W::Operations).selected() > 0;
        else if (page_ == Page::Value || page_ == Page::Manual)
            next = true;
        c(W::Next).setEnabled(next);
    }

    int selectedCondition() const
    {
        const int row = c(W::Conditions).selected();
        return conditions_.empty() || row < 1 || row > static_cast<int>(conditions_.size()) ? -1 : row - 1;
    }

    const TCQW_FIELDSQUEUE* field() const
    {
        const int row = c(W::Fields).selected();
        return row >= 1 && row <= static_cast<int>(queue_.rows.size()) ? &queue_.rows[row - 1] : nullptr;
    }

    void accepted(int control)
    {
        if (control == W::And.number || control == W::Or.number) {
            editing_ = -1;
            draft_ = QueryCondition{};
            draft_.orWithPrevious = control == W::Or.number;
            c(W::Fields).setSelected(0);
            show(Page::Field);
        } else if (control == W::Change.number && selectedCondition() >= 0) {
            editing_ = selectedCondition();
            draft_ = conditions_[editing_];
            if (draft_.isManual()) {
                c(W::ManualText).setValue(draft_.manual);
                show(Page::Manual);
            } else {
                c(W::Fields).setSelected(fieldRow(draft_.field));
                show(Page::Field);
            }
        } else if (control == W::Delete.number && selectedCondition() >= 0) {
            conditions_.erase(conditions_.begin() + selectedCondition());
            showConditions();
            showButtons();
        } else if (control == W::Manual.number) {
            editing_ = -1;
            draft_ = QueryCondition{};
            c(W::ManualText).setValue({});
            show(Page::Manual);
        } else if (control == W::Back.number) {
            back();
        } else if (control == W::Next.number) {
            next();
        } else if (control == W::Lookup.number) {
            lookup();
        }
    }

    int fieldRow(const std::string& name) const
    {
        const TCQW_FIELDSQUEUE* f = queue_.find(name);
        return f ? static_cast<int>(f - queue_.rows.data()) + 1 : 0;
    }

    void back()
    {
        switch (page_) {
        case Page::Field:
        case Page::Manual:
            show(Page::Current);
            break;
        case Page::Operation:
            show(Page::Field);
            break;
        case Page::Value:
            show(Page::Operation);
            break;
        case Page::Current:
            break;
        }
    }

    void next()
    {
        switch (page_) {
        case Page::Field:
            if (const TCQW_FIELDSQUEUE* f = field()) {
                if (draft_.field != f->QWFLDNAME) {
                    draft_.field = f->QWFLDNAME;
                    draft_.value.clear();
                }
                showOperations(*f);
                show(Page::Operation);
            }
            break;
        case Page::Operation: {
            const int row = c(W::Operations).selected();
            if (row < 1 || row > static_cast<int>(operations_.size()))
                break;
            draft_.op = operations_[row - 1];
            if (takesValue(draft_.op)) {
                showValueEntry(*field());
                show(Page::Value);
            } else {
                keepDraft();
            }
            break;
        }
        case Page::Value:
            readValue();
            keepDraft();
            break;
        case Page::Manual:
            draft_.field.clear();
            draft_.manual = std::string(text::trimRight(c(W::ManualText).value()));
            if (draft_.manual.empty() || !valid("(" + draft_.manual + ")"))
                invalidQuery();
            else
                keepDraft();
            break;
        case Page::Current:
            break;
        }
    }

    void showOperations(const TCQW_FIELDSQUEUE& f)
    {
        operations_ = operationsFor(f);
        operationRows_.clear();
        int chosen = 0;
        for (std::size_t i = 0; i < operations_.size(); ++i) {
            operationRows_.append({txt(static_cast<int>(operations_[i]))});
            if (operations_[i] == draft_.op)
                chosen = static_cast<int>(i) + 1;
        }
        c(W::Operations).setSelected(chosen);
        c(W::OperationField)
            .setText(f.QWFLDCONTROL == fieldcontrol::Check && !f.QWFLDOPTIONS.empty() ? f.QWFLDOPTIONS : f.QWFLDDESC);
    }

    void showValueEntry(const TCQW_FIELDSQUEUE& f)
    {
        const bool choice = f.QWFLDCONTROL == fieldcontrol::DropList;
        const bool isText = f.QWFLDDATATYPE == datatype::Text;
        c(W::ValueField).setText(f.QWFLDDESC + " " + txt(static_cast<int>(draft_.op)));
        c(W::Value).setHidden(choice);
        c(W::ValueChoice).setHidden(!choice);
        c(W::Lookup).setHidden(choice || f.QWFLDLOOKUP.empty() || !bindings_);
        c(W::CaseSensitive).setHidden(!isText);
        c(W::CaseSensitive).setValue(draft_.caseSensitive ? "1" : "");
        if (choice) {
            choiceRows_.clear();
            int chosen = 1;
            int row = 0;
            for (const std::string& option : text::split(f.QWFLDOPTIONS, '|')) {
                choiceRows_.append({option});
                if (option == draft_.value)
                    chosen = row + 1;
                ++row;
            }
            c(W::ValueChoice).setSelected(chosen);
            c(W::ValueChoice).setValue(choiceRows_.rowCount() ? choiceRows_.cell(chosen - 1, 0) : std::string());
        } else {
            c(W::Value).setValue(draft_.value);
        }
    }

    void readValue()
    {
        const TCQW_FIELDSQUEUE* f = queue_.find(draft_.field);
        if (f && f->QWFLDCONTROL == fieldcontrol::DropList) {
            const int row = c(W::ValueChoice).selected();
            draft_.value = row >= 1 ? choiceRows_.cell(row - 1, 0) : std::string();
        } else {
            draft_.value = std::string(text::trimRight(c(W::Value).value()));
        }
        draft_.caseSensitive = !c(W::CaseSensitive).value().empty() && c(W::CaseSensitive).value() != "0";
    }

    // The field's lookup, called through the caller's bound procedure; its
    // answer, when it gives one, becomes the value.
    void lookup()
    {
        const TCQW_FIELDSQUEUE* f = queue_.find(draft_.field);
        if (!f || f->QWFLDLOOKUP.empty() || !bindings_)
            return;
        const expr::Evaluation answer = expr::evaluate(f->QWFLDLOOKUP, *bindings_);
        const std::string value(text::trimRight(answer.value.toString()));
        if (answer.ok() && !value.empty())
            c(W::Value).setValue(value);
    }

    void keepDraft()
    {
        if (editing_ >= 0) {
            conditions_[editing_] = draft_;
        } else {
            conditions_.push_back(draft_);
            c(W::Conditions).setSelected(static_cast<int>(conditions_.size()));
        }
        showConditions();
        show(Page::Current);
    }

    bool valid(const std::string& expression) const { return expr::Expression::compile(expression, bindings_).ok(); }

    void invalidQuery() const { rt::message(txt(34), txt(33), rt::Icon::Exclamation); }

    bool finish(std::string& filter)
    {
        std::string built = buildFilter(conditions_, queue_);
        if (built.size() > kMaxFilterLength || !valid(built)) {
            invalidQuery();
            return false;
        }
        filter = std::move(built);
        return true;
    }

    const FieldsQueue& queue_;
    const expr::Bindings* bindings_;
    std::unique_ptr<rt::Window> w_;
    rt::ListQueue conditionRows_, fieldRows_, operationRows_, choiceRows_;
    std::vector<QueryCondition> conditions_;
    std::vector<Operation> operations_;
    QueryCondition draft_;
    int editing_ = -1;
    Page page_ = Page::Current;
};

void registerResources()
{
    static const bool once = [] {
        rt::ResourceStore::add("outside", outsideResources());
        return true;
    }();
    (void)once;
}

} // namespace

std::int32_t TC_QWIZARD(FieldsQueue& queue, std::string_view name, std::string& filter, const std::array<int, 9>& fixed,
    const expr::Bindings* bindings)
{
    (void)fixed; // they tune the original's behaviour; this wizard has one
    registerResources();
    Remembered& memory = remembered()[std::string(name)];
    std::vector<QueryCondition> conditions;
    const std::string start(text::trimRight(filter));
    const bool fieldsKnown = std::all_of(memory.conditions.begin(), memory.conditions.end(),
        [&queue](const QueryCondition& c) { return c.isManual() || queue.find(c.field); });
    // Another owner's queue of the same name may lack a field the filter tests.
    if (!start.empty() && start == memory.filter && fieldsKnown) {
        conditions = memory.conditions;
    } else if (!start.empty()) {
        QueryCondition kept;
        kept.manual = start;
        conditions.push_back(kept);
    }
    std::string made;
    TCQW_Response = 0;
    if (WizardDialog(queue, bindings).run(conditions, made)) {
        filter = made;
        memory = {made, conditions};
        TCQW_Response = made.empty() ? 0 : 1;
    }
    return TCQW_Response;
}

} // namespace qv::outside
