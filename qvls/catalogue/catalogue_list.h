#pragma once
// The catalogue's lists: the program's list that gives back the user's
// column layout and chosen tab when it opens again (Ctrl+Alt+R puts the
// design back).

#include <string>

#include "platform/framework/ini_store.h"
#include "qvls/catalogue/list_format_saver.h"
#include "qvls/core/list.h"

namespace qv::qvls {

class CatalogueList : public List
{
public:
    explicit CatalogueList(std::string procedure);

    fw::Level OnEvent(const rt::Event& e) override;

protected:
    void restoreLayout() override;
    void saveLayout() override;

private:
    fw::IniStore store_;
    std::unique_ptr<ListFormatSaver> saver_;
};

} // namespace qv::qvls
