#pragma once
// The catalogue's lists: the program's list that gives back what its
// declaration says it remembers (`remember: [tab, layout]`): the chosen tab of
// its sheet ?CurrentTab and the user's column layout (Ctrl+Alt+R puts the
// design back). A list that declares `brovex:` has the list class: header
// sorting, column commands and filters, and its layout kept by the class.

#include <string>

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

    // The list class, when the list declares one.
    DeclaredBrovex* brovex() const { return brovex_.get(); }

protected:
    fw::Level prepareList() override;
    void restoreLayout() override;
    void saveLayout() override;

private:
    fw::IniStore store_;
    std::unique_ptr<ListFormatSaver> saver_;
    std::unique_ptr<DeclaredBrovex> brovex_;
};

} // namespace qv::qvls
