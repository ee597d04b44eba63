#include "platform/qt/status_zones.h"

namespace qv::qt {

StatusZones::StatusZones(QStatusBar* bar, const rt::Window& window, const DialogUnits& units)
    : window_(window)
{
    bar->setSizeGripEnabled(window.def().resizable || window.kind() == rt::WindowKind::Frame);
    std::vector<int> widths = window.def().statusZones;
    if (widths.empty())
        widths.push_back(-1);
    for (size_t i = 0; i < widths.size(); ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("zone%1").arg(i + 1));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        if (widths[i] > 0) {
            label->setFixedWidth(units.x(widths[i]));
            bar->addPermanentWidget(label, 0);
        } else {
            label->setMinimumWidth(units.x(20));
            bar->addPermanentWidget(label, 1);
        }
        zones_.push_back(label);
    }
    refresh();
}

void StatusZones::refresh()
{
    for (size_t i = 0; i < zones_.size(); ++i) {
        if (i == 0 && hinting_)
            continue;
        zones_[i]->setText(QString::fromStdString(window_.statusText(static_cast<int>(i) + 1)));
    }
}

void StatusZones::showHint(const std::string& text)
{
    hinting_ = !text.empty();
    if (hinting_)
        zones_[0]->setText(QString::fromStdString(text));
    else
        zones_[0]->setText(QString::fromStdString(window_.statusText(1)));
}

QLabel* StatusZones::zone(int number) const
{
    return number >= 1 && number <= static_cast<int>(zones_.size()) ? zones_[number - 1] : nullptr;
}

} // namespace qv::qt
