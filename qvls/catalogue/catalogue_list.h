#pragma once
// The catalogue's lists: the program's list that gives back what its
// declaration says it remembers (`remember: [tab, layout]`): the chosen tab of
// its sheet ?CurrentTab and the user's column layout (Ctrl+Alt+R puts the
// design back). A list that declares `brovex:`, the window's own or one
// beside it, has the list class: header sorting, column commands and
// filters, and its layout kept by the class (Ctrl+Alt+R puts its design
// back too).

#include <memory>
#include <string>
#include <vector>

#include "platform/framework/ini_store.h"
#include "qvls/browse_extension/declared_brovex.h"
#include "qvls/catalogue/list_format_saver.h"
#include "qvls/core/list.h"

namespace qv::qvls {

class CatalogueList : public List
{
public:
    explicit CatalogueList(std::string procedure);

    fw::Level OnEvent(const rt::Event& e) override;

    // The list class of the window's list, when it declares one.
    DeclaredBrovex* brovex() const { return ownBrovex_ ? brovex_.front().get() : nullptr; }

protected:
    fw::Level prepareList() override;
    void restoreLayout() override;
    void saveLayout() override;

private:
    fw::IniStore store_;
    std::unique_ptr<ListFormatSaver> saver_;
    std::vector<std::unique_ptr<DeclaredBrovex>> brovex_; // the window's list's first, then those beside it
    bool ownBrovex_ = false;
};

} // namespace qv::qvls
