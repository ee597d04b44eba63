#include "qvls/browse_extension/brovex_column.h"

#include <stdexcept>

#include <yaml-cpp/yaml.h>

namespace qv::qvls {

namespace {

template <typename T> T valueOr(const YAML::Node& n, T fallback)
{
    return n ? n.as<T>() : fallback;
}

char justificationOf(const YAML::Node& align)
{
    const std::string a = valueOr<std::string>(align, "left");
    return a == "right" ? 'R' : a == "center" ? 'C' : a == "decimal" ? 'D' : 'L';
}

} // namespace

std::vector<BrovexColumnDefinition> brovexColumnDefinitions(const YAML::Node& columns)
{
    std::vector<BrovexColumnDefinition> out;
    for (const YAML::Node& c : columns) {
        BrovexColumnDefinition d;
        const bool computed = static_cast<bool>(c["computed"]);
        d.field = valueOr<std::string>(computed ? c["computed"] : c["field"], "");
        if (d.field.empty())
            throw std::invalid_argument("a list column names no field");
        d.width = valueOr(c["width"], 40);
        d.header = valueOr<std::string>(c["header"], "");
        d.picture = valueOr<std::string>(c["picture"], "@s20");
        d.description = valueOr<std::string>(c["description"], d.header);
        d.justification = justificationOf(c["align"]);
        d.display = valueOr(c["shown"], true);
        d.colors = valueOr(c["colors"], false);
        d.iconX = valueOr(c["icon"], 0);
        d.viewField = valueOr(c["view-field"], computed ? 0 : 1);
        d.totalOk = valueOr(c["total"], false);
        d.graphType = valueOr(c["graph"], 0);
        d.graphOk = d.graphType != 0;
        d.sortable = !computed && valueOr(c["sortable"], true);
        const std::string locator = valueOr<std::string>(c["locator"], d.sortable ? "S" : "");
        d.locatorType = locator.empty() ? ' ' : locator[0];
        out.push_back(std::move(d));
    }
    return out;
}

} // namespace qv::qvls
