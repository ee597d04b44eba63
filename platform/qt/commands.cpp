#include "platform/qt/commands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "platform/qt/control_factory.h"
#include "platform/qt/key_map.h"
#include "platform/qt/pictures.h"
#include "platform/runtime/keycodes.h"

namespace qv::qt {

using rt::Control;
using rt::ControlType;

CommandSet::CommandSet(rt::Window& window, std::function<bool(const std::string&)> standard,
    std::function<void(const std::string&)> hint, QObject* parent)
    : QObject(parent)
    , window_(window)
    , standard_(std::move(standard))
    , hint_(std::move(hint))
{ }

QMenuBar* CommandSet::buildMenuBar(QWidget* parent)
{
    if (window_.def().menubar.empty())
        return nullptr;
    menuBar_ = new QMenuBar(parent);
    for (const rt::ControlDef& d : window_.def().menubar) {
        Control* c = window_.control(d.number);
        if (!c)
            continue;
        if (c->type() != ControlType::Menu) {
            menuBar_->addAction(makeAction(*c, menuBar_));
            continue;
        }
        auto* menu = menuBar_->addMenu(QString::fromStdString(c->text()));
        actions_[c->number()] = menu->menuAction();
        apply(*c, menu->menuAction());
        addItems(menu, c->children());
    }
    return menuBar_;
}

void CommandSet::addItems(QMenu* menu, const std::vector<Control*>& items)
{
    for (Control* c : items) {
        switch (c->type()) {
        case ControlType::Separator:
            actions_[c->number()] = menu->addSeparator();
            break;
        case ControlType::Menu: {
            QMenu* sub = menu->addMenu(QString::fromStdString(c->text()));
            actions_[c->number()] = sub->menuAction();
            apply(*c, sub->menuAction());
            addItems(sub, c->children());
            break;
        }
        default:
            menu->addAction(makeAction(*c, menu));
            break;
        }
    }
    // A status text shown while an item is under the mouse goes when the menu closes.
    QObject::connect(menu, &QMenu::aboutToHide, this, [this] {
        if (live_)
            hint_({});
    });
}

QToolBar* CommandSet::buildToolBar(QWidget* parent)
{
    if (window_.def().toolbar.empty())
        return nullptr;
    toolBar_ = new QToolBar(parent);
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(24, 24));
    for (const rt::ControlDef& d : window_.def().toolbar) {
        Control* c = window_.control(d.number);
        if (!c)
            continue;
        if (c->type() == ControlType::Separator)
            actions_[c->number()] = toolBar_->addSeparator();
        else if (c->type() == ControlType::Button || c->type() == ControlType::Item)
            toolBar_->addAction(makeAction(*c, toolBar_));
    }
    return toolBar_;
}

QAction* CommandSet::makeAction(Control& c, QObject* parent)
{
    auto* a = new QAction(parent);
    a->setObjectName(QString::fromStdString(c.name()));
    a->setProperty("qvControl", c.number());
    const QIcon icon = loadIcon(c.def().icon, window_.def().module);
    if (!icon.isNull())
        a->setIcon(icon);
    if (c.def().key != 0) {
        a->setShortcut(keymap::toKeySequence(c.def().key));
        a->setShortcutContext(Qt::WindowShortcut);
    }
    actions_[c.number()] = a;
    apply(c, a);
    Control* cp = &c;
    QObject::connect(a, &QAction::triggered, this, [this, cp] {
        if (!live_)
            return;
        if (!cp->def().standard.empty() && standard_(cp->def().standard))
            return;
        window_.post(rt::event::Accepted, cp->number());
    });
    QObject::connect(a, &QAction::hovered, this, [this, cp] {
        if (live_)
            hint_(cp->statusText());
    });
    return a;
}

void CommandSet::apply(Control& c, QAction* a)
{
    QString text = QString::fromStdString(c.text());
    // Menus show the program's own names of the keys.
    if (c.def().key != 0 && c.type() == ControlType::Item)
        text += QLatin1Char('\t') + QString::fromStdString(rt::key::displayText(c.def().key));
    if (c.type() == ControlType::Button && text.isEmpty())
        text = QString::fromStdString(c.toolTip());
    a->setText(text);
    a->setIconText(withoutMnemonic(c.text()));
    QString tip = QString::fromStdString(c.toolTip());
    if (tip.isEmpty())
        tip = withoutMnemonic(c.text());
    a->setToolTip(tip);
    a->setEnabled(c.enabled());
    a->setVisible(!c.hidden());
}

bool CommandSet::controlChanged(Control& c, rt::ControlChange)
{
    const auto it = actions_.find(c.number());
    if (it == actions_.end())
        return false;
    if (c.type() == ControlType::Separator)
        it->second->setVisible(!c.hidden());
    else
        apply(c, it->second);
    return true;
}

void CommandSet::setBlocked(bool blocked)
{
    if (menuBar_)
        menuBar_->setEnabled(!blocked);
    if (toolBar_)
        toolBar_->setEnabled(!blocked);
}

} // namespace qv::qt
