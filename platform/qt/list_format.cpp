#include "platform/qt/list_format.h"

#include <QtGlobal>
#include <string>

namespace qv::qt {

std::vector<rt::ListFormatColumn> shownColumns(std::string_view format)
{
    rt::ListFormatReading r = rt::readListFormat(format);
    if (r.error)
        qWarning("list format \"%s\": %s at character %zu", std::string(format).c_str(), r.error->message.c_str(),
            r.error->position);
    return std::move(r.format.columns);
}

Qt::Alignment alignmentOf(char justification)
{
    switch (justification) {
    case 'R':
    case 'D':
        return Qt::AlignRight | Qt::AlignVCenter;
    case 'C':
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace qv::qt
