#include "qvls/core/form.h"

#include "qvls/core/browse_base.h"

namespace qv::qvls {

Form::Form(std::string procedure, fw::RelationSet& primary)
    : fw::FormController("qvls", std::move(procedure), primary)
{ }

fw::Level Form::Prepare()
{
    const fw::Level l = fw::FormController::Prepare();
    if (l == fw::Benign)
        required_.Prepare(window(), kMissingTitle, kMissingTemplate);
    return l;
}

std::unique_ptr<fw::ListBrowser> Form::makeListBrowser(
    fw::ViewReader& reader, const std::string& listControl, const fw::ListButtons& buttons)
{
    auto browser = std::make_unique<BrovexBrowse>(reader, listControl);
    browser->setViewControl(buttons.view);
    browser->setCopyControl(buttons.copy);
    return browser;
}

void Form::CleanUp()
{
    required_.Release();
    fw::FormController::CleanUp();
}

} // namespace qv::qvls
