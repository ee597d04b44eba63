#include "qvls/catalogue/list_query.h"

#include "platform/framework/list_browser.h"
#include "platform/framework/list_window.h"
#include "platform/framework/table_access.h"
#include "platform/framework/view_reader.h"
#include "qvls/catalogue/query_wizard_fields.h"
#include "qvls/dictionary/access.h"

namespace qv::qvls {

namespace {
// What lists pass the wizard; their meaning is the wizard's.
constexpr std::array<int, 9> kListOptions{0, 0, 0, 1, 0, 0, 0, 0, 0};
} // namespace

ListQuery::ListQuery(fw::ListWindow& list, std::string_view procedure, rt::ControlId query, rt::ControlId reset)
    : procedure_(procedure)
    , query_(query)
    , reset_(reset)
{
    list.onAccepted(query, [this] { this->query(); });
    list.onAccepted(reset, [this] { this->reset(); });
}

void ListQuery::prepare(fw::ListWindow& list)
{
    list_ = &list;
    const QueryWizardFields::Instance* owner = QueryWizardFields::instance(procedure_);
    if (!owner)
        return;
    QueryWizardFields::fill(QueryFieldQueue_, *owner, QueryWizardError_, &names_);
    bindings_.add(list.reader().access().table());
}

void ListQuery::showButtons()
{
    rt::Window& w = list_->window();
    w[query_].setEnabled(QueryWizardError_ == 0);
    w[reset_].setEnabled(QueryWizardError_ == 0 && !QueryFilter_.empty());
}

void ListQuery::query()
{
    list_->ReloadSelectedRecords();
    if (outside::TC_QWIZARD(QueryFieldQueue_, QueryFieldQueue_.name, QueryFilter_, kListOptions, &bindings_) != 0) {
        list_->window()[reset_].setEnabled(true);
        apply();
    } else {
        // A wizard left without a new filter changes nothing now; the list's
        // next reload reads whatever filter there is.
        list_->reader().setFilter(std::string(kFilterName), QueryFilter_);
    }
}

void ListQuery::reset()
{
    list_->ReloadSelectedRecords();
    list_->window()[reset_].setEnabled(false);
    QueryFilter_.clear();
    apply();
}

void ListQuery::apply()
{
    list_->reader().setFilter(std::string(kFilterName), QueryFilter_);
    list_->browser().ReapplySort();
}

} // namespace qv::qvls
