#include "platform/qt/pictures.h"

#include <QFileInfo>
#include <array>
#include <string>

#include "platform/runtime/resources.h"

namespace qv::qt {

QPixmap loadPicture(std::string_view name, std::string_view module)
{
    QPixmap pm;
    if (name.empty())
        return pm;
    constexpr std::array<std::string_view, 4> folders{"", "pictures/", "images/", "icons/"};
    const std::array<std::string_view, 2> modules{module, "qvls"};
    for (std::string_view m : modules) {
        if (m.empty())
            continue;
        for (std::string_view folder : folders) {
            const auto bytes = rt::ResourceStore::find(m, std::string(folder) + std::string(name));
            if (bytes
                && pm.loadFromData(reinterpret_cast<const uchar*>(bytes->data()), static_cast<uint>(bytes->size())))
                return pm;
        }
    }
    QString path = QString::fromStdString(std::string(name));
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo::exists(path))
        pm.load(path);
    return pm;
}

QIcon loadIcon(std::string_view name, std::string_view module)
{
    const QPixmap pm = loadPicture(name, module);
    return pm.isNull() ? QIcon() : QIcon(pm);
}

} // namespace qv::qt
