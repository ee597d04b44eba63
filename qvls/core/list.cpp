#include "qvls/core/list.h"

#include <yaml-cpp/yaml.h>

#include "platform/runtime/window.h"
#include "qvls/core/browse_base.h"
#include "qvls/core/placement.h"

namespace qv::qvls {

List::List(std::string procedure)
    : fw::ListWindow("qvls", std::move(procedure))
{ }

std::unique_ptr<fw::ListBrowser> List::makeBrowser(
    fw::ViewReader& reader, const std::string& listControl, const Buttons& buttons)
{
    auto browser = std::make_unique<BrovexBrowse>(reader, listControl);
    browser->setViewControl(buttons.view);
    browser->setCopyControl(buttons.copy);
    return browser;
}

fw::Level List::Prepare()
{
    const fw::Level l = fw::ListWindow::Prepare();
    if (l != fw::Benign)
        return l;
    opened_ = true;
    restoreLayout();
    followCurrentTab();
    applyDatePictures();
    return l;
}

void List::applyDatePictures()
{
    if (rt::Control* list = browser().listControl())
        ApplyDatePicture(*list);
    besideLists().forEach([](const fw::DeclaredList& beside, const YAML::Node&) {
        if (rt::Control* list = beside.browser().listControl())
            ApplyDatePicture(*list);
    });
}

void List::CleanUp()
{
    if (opened_)
        saveLayout();
    fw::ListWindow::CleanUp();
}

} // namespace qv::qvls
