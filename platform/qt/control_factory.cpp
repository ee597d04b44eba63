#include "platform/qt/control_factory.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <regex>

#include "platform/qt/dialogs.h"
#include "platform/qt/key_map.h"
#include "platform/qt/list_model.h"
#include "platform/qt/list_mouse.h"
#include "platform/qt/list_table.h"
#include "platform/qt/pictures.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/paths.h"
#include "platform/text/text.h"

namespace qv::qt {

using rt::Control;
using rt::ControlChange;
using rt::ControlType;

QString withoutMnemonic(const std::string& text)
{
    QString out;
    const QString in = QString::fromStdString(text);
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == QLatin1Char('&') && i + 1 < in.size())
            ++i;
        out += in[i];
    }
    return out;
}

// ---------------------------------------------------------------- ControlView

ControlView::ControlView(Control& control, QWidget* widget, ControlHost& host)
    : control_(control)
    , widget_(widget)
    , host_(host)
{
    widget_->setObjectName(QString::fromStdString(control.name()));
    widget_->setProperty("qvControl", control.number());
    widget_->installEventFilter(this);
    showFont();
}

void ControlView::showFont()
{
    const rt::FontDef& f = control_.font();
    if (!f.name.empty() || f.size > 0 || f.bold || f.italic)
        widget_->setFont(makeFont(f, widget_->font()));
    if (f.color >= 0) {
        QPalette p = widget_->palette();
        const QColor c = fromColorRef(f.color);
        p.setColor(QPalette::WindowText, c);
        p.setColor(QPalette::Text, c);
        p.setColor(QPalette::ButtonText, c);
        widget_->setPalette(p);
    }
}

ControlView::~ControlView() = default;

void ControlView::load()
{
    showText();
    showValue();
    showList();
    showSelection();
    apply(ControlChange::Enabled);
    apply(ControlChange::Marks);
    apply(ControlChange::Access);
    showProperties();
    place();
}

void ControlView::apply(ControlChange what)
{
    switch (what) {
    case ControlChange::Text:
        showText();
        break;
    case ControlChange::Value:
        showValue();
        break;
    case ControlChange::Selection:
        showSelection();
        break;
    case ControlChange::List:
        showList();
        break;
    case ControlChange::Enabled:
        widget_->setEnabled(control_.enabled());
        break;
    case ControlChange::Hidden:
        host_.visibilityChanged();
        break;
    case ControlChange::Geometry:
        place();
        break;
    case ControlChange::Marks:
        widget_->setToolTip(QString::fromStdString(control_.toolTip()));
        break;
    case ControlChange::Font:
        showFont();
        break;
    case ControlChange::Access:
        showAccess();
        break;
    case ControlChange::Property:
        showProperties();
        break;
    case ControlChange::Scroll:
    case ControlChange::Created:
    case ControlChange::Destroyed:
        break;
    }
}

void ControlView::showAccess()
{
    const bool readOnly = control_.readOnly();
    if (auto* line = qobject_cast<QLineEdit*>(widget_))
        line->setReadOnly(readOnly);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(widget_))
        text->setReadOnly(readOnly);
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget_))
        spin->setReadOnly(readOnly);
    // A skipped control is still reached by a click.
    if (control_.skip() && widget_->focusPolicy() != Qt::NoFocus)
        widget_->setFocusPolicy(Qt::ClickFocus);
    else if (!control_.skip() && widget_->focusPolicy() == Qt::ClickFocus)
        widget_->setFocusPolicy(Qt::StrongFocus);
}

bool ControlView::shouldShow() const
{
    if (control_.effectivelyHidden())
        return false;
    for (const Control* c = &control_; c->parent(); c = c->parent()) {
        if (c->type() != ControlType::Tab || c->parent()->type() != ControlType::Sheet)
            continue;
        const auto& tabs = c->parent()->children();
        const int index = static_cast<int>(std::find(tabs.begin(), tabs.end(), c) - tabs.begin()) + 1;
        const int shown = c->parent()->selected() > 0 ? c->parent()->selected() : 1;
        if (index != shown)
            return false;
    }
    return true;
}

void ControlView::detach()
{
    live_ = false;
    widget_->removeEventFilter(this);
    widget_->blockSignals(true);
}

void ControlView::post(int code, int keyCode)
{
    if (live_)
        control_.window().post(rt::Event{code, control_.number(), keyCode});
}

void ControlView::input(std::string value)
{
    if (live_)
        control_.userInput(std::move(value));
}

void ControlView::place()
{
    if (!onCanvas())
        return;
    const QRect r = host_.units().toPixels(control_.geometry());
    const QSize hint = widget_->sizeHint();
    widget_->setGeometry(std::max(r.x(), 0), std::max(r.y(), 0), r.width() >= 0 ? r.width() : hint.width(),
        r.height() >= 0 ? r.height() : hint.height());
}

bool ControlView::eventFilter(QObject* watched, QEvent* event)
{
    if (!live_)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        control_.window().userFocus(&control_);
        host_.showHint(control_.statusText());
        post(rt::event::Selected);
        break;
    case QEvent::FocusOut:
        focusLost();
        break;
    case QEvent::KeyPress: {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (keyPressed(keymap::toKeyCode(k->key(), k->modifiers())))
            return true;
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

namespace {

// ---------------------------------------------------------------- labels

// A label whose text may be turned: a graph's legends stand upright.
class TurnedLabel : public QLabel
{
public:
    using QLabel::QLabel;
    void setAngle(int degrees)
    {
        if (degrees == angle_)
            return;
        angle_ = degrees;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (angle_ == 0) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter p(this);
        p.setFont(font());
        p.setPen(palette().color(QPalette::WindowText));
        p.translate(width() / 2.0, height() / 2.0);
        p.rotate(-angle_);
        // Turned a quarter, the text runs along the label's height.
        const bool across = (angle_ / 90) % 2 != 0;
        const QSizeF size = across ? QSizeF(height(), width()) : QSizeF(width(), height());
        p.drawText(QRectF(QPointF(-size.width() / 2, -size.height() / 2), size), Qt::AlignCenter, text());
    }

private:
    int angle_ = 0;
};

class LabelView : public ControlView
{
public:
    LabelView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new TurnedLabel(parent), host)
        , label_(static_cast<TurnedLabel*>(widget_))
    {
        label_->setTextFormat(Qt::PlainText);
    }
    void setBuddy(QWidget* w)
    {
        label_->setBuddy(w);
        showText();
    }

protected:
    // A string bound to a variable shows its value; otherwise its text.
    void showText() override
    {
        if (!control_.def().use.empty() && control_.type() == ControlType::String)
            return;
        const QString t = QString::fromStdString(control_.text());
        label_->setText(label_->buddy() ? t : withoutMnemonic(control_.text()));
    }
    void showValue() override
    {
        if (!control_.def().use.empty() && control_.type() == ControlType::String)
            label_->setText(QString::fromStdString(control_.value()));
    }
    void showProperties() override { label_->setAngle(std::atoi(control_.property(rt::prop::Angle).c_str())); }

private:
    TurnedLabel* label_;
};

// ---------------------------------------------------------------- entries

int maxLengthOf(const std::string& picture)
{
    static const std::regex s(R"(^@[sS](\d+))");
    std::smatch m;
    return std::regex_search(picture, m, s) ? std::stoi(m[1]) : 0;
}

class EntryView : public ControlView
{
public:
    EntryView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new QLineEdit(parent), host)
        , edit_(static_cast<QLineEdit*>(widget_))
    {
        if (const int n = maxLengthOf(c.picture()))
            edit_->setMaxLength(n);
        if (c.def().password)
            edit_->setEchoMode(QLineEdit::Password);
        QObject::connect(edit_, &QLineEdit::textEdited, this, [this](const QString& t) {
            input(t.toStdString());
            // An immediate entry reports every keystroke as a new selection.
            if (control_.immediate())
                post(rt::event::NewSelection, lastKey_);
        });
        QObject::connect(edit_, &QLineEdit::editingFinished, this, [this] { commit(); });
        QObject::connect(edit_, &QLineEdit::cursorPositionChanged, this, [this] { reportSelection(); });
        QObject::connect(edit_, &QLineEdit::selectionChanged, this, [this] { reportSelection(); });
        // A digits-only entry refuses every other character.
        if (c.def().digits)
            edit_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit_));
    }
    void apply(ControlChange what) override
    {
        ControlView::apply(what);
        if (what == ControlChange::Property)
            showTextSelection();
    }
    void commit() override
    {
        if (!live() || !edit_->isModified())
            return;
        edit_->setModified(false);
        post(rt::event::Accepted);
    }

protected:
    void showValue() override
    {
        quietly([&] {
            edit_->setText(QString::fromStdString(control_.value()));
            edit_->setModified(false);
        });
        showTextSelection();
    }
    bool keyPressed(int keyCode) override
    {
        lastKey_ = keyCode;
        return false;
    }

private:
    // The model counts from 1; SelEnd below SelStart means a caret only.
    void reportSelection()
    {
        if (!live())
            return;
        const int start = edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
        const int end = edit_->hasSelectedText() ? edit_->selectionEnd() : start;
        control_.userProperty(rt::prop::SelStart, std::to_string(start + 1));
        control_.userProperty(rt::prop::SelEnd, std::to_string(end));
    }
    void showTextSelection()
    {
        const std::string s = control_.property(rt::prop::SelStart);
        if (s.empty())
            return;
        const int start = std::stoi(s) - 1;
        const std::string e = control_.property(rt::prop::SelEnd);
        const int end = e.empty() ? start : std::stoi(e);
        quietly([&] {
            if (end > start)
                edit_->setSelection(start, end - start);
            else
                edit_->setCursorPosition(start);
        });
    }

    QLineEdit* edit_;
    int lastKey_ = 0;
};

class TextView : public ControlView
{
public:
    TextView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new QPlainTextEdit(parent), host)
        , edit_(static_cast<QPlainTextEdit*>(widget_))
    {
        edit_->setTabChangesFocus(true);
        QObject::connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
            modified_ = true;
            input(edit_->toPlainText().toStdString());
        });
    }
    void commit() override
    {
        if (!modified_)
            return;
        modified_ = false;
        post(rt::event::Accepted);
    }
    void apply(ControlChange what) override
    {
        ControlView::apply(what);
        if (what != ControlChange::Scroll)
            return;
        // As the arrow keys do: the caret moves a line, the view follows it.
        const int lines = control_.takeScrollLines();
        for (int i = 0; i < std::abs(lines); ++i)
            edit_->moveCursor(lines > 0 ? QTextCursor::Down : QTextCursor::Up);
        edit_->ensureCursorVisible();
    }

protected:
    void focusLost() override { commit(); }
    void showValue() override
    {
        quietly([&] { edit_->setPlainText(QString::fromStdString(control_.value())); });
        modified_ = false;
    }

private:
    QPlainTextEdit* edit_;
    bool modified_ = false;
};

class SpinView : public ControlView
{
public:
    SpinView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new QSpinBox(parent), host)
        , spin_(static_cast<QSpinBox*>(widget_))
    {
        spin_->setRange(c.def().low, c.def().high);
        QObject::connect(spin_, &QSpinBox::valueChanged, this, [this](int v) {
            modified_ = true;
            input(std::to_string(v));
            post(rt::event::NewSelection);
        });
        QObject::connect(spin_, &QSpinBox::editingFinished, this, [this] { commit(); });
    }
    void commit() override
    {
        if (!modified_)
            return;
        modified_ = false;
        post(rt::event::Accepted);
    }

protected:
    void showValue() override
    {
        quietly([&] { spin_->setValue(QString::fromStdString(control_.value()).toInt()); });
        modified_ = false;
    }

private:
    QSpinBox* spin_;
    bool modified_ = false;
};

// ---------------------------------------------------------------- buttons

class ButtonView : public ControlView
{
public:
    ButtonView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new QPushButton(parent), host)
        , button_(static_cast<QPushButton*>(widget_))
    {
        button_->setAutoDefault(false);
        const QIcon icon = loadIcon(c.def().icon, host.module());
        if (!icon.isNull())
            button_->setIcon(icon);
        QObject::connect(button_, &QPushButton::clicked, this, [this] { post(rt::event::Accepted); });
    }
    void apply(ControlChange what) override
    {
        ControlView::apply(what);
        if (what == ControlChange::Marks)
            button_->setDefault(control_.isDefault());
        if (what == ControlChange::Property)
            if (const std::string icon = control_.property(rt::prop::Icon); !icon.empty() && icon != shownIcon_) {
                shownIcon_ = icon;
                button_->setIcon(loadIcon(icon, host_.module()));
            }
    }

protected:
    void showText() override { button_->setText(QString::fromStdString(control_.text())); }

private:
    QPushButton* button_;
    std::string shownIcon_;
};

class CheckView : public ControlView
{
public:
    CheckView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new QCheckBox(parent), host)
        , box_(static_cast<QCheckBox*>(widget_))
    {
        QObject::connect(box_, &QCheckBox::toggled, this, [this](bool on) {
            input(on ? onValue() : std::string());
            post(rt::event::Accepted);
        });
    }

protected:
    void showText() override { box_->setText(QString::fromStdString(control_.text())); }
    void showValue() override
    {
        const std::string& v = control_.value();
        quietly([&] { box_->setChecked(control_.def().value.empty() ? !v.empty() && v != "0" : v == onValue()); });
    }

private:
    std::string onValue() const { return control_.def().value.empty() ? "1" : control_.def().value; }
    QCheckBox* box_;
};

// An option group: the radios are its children; its value is the value of
// the chosen radio (by default the radio's text).
class OptionView : public ControlView
{
public:
    OptionView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, c.text().empty() ? new QWidget(parent) : new QGroupBox(parent), host)
        , group_(new QButtonGroup(this))
    {
        QObject::connect(group_, &QButtonGroup::idClicked, this, [this](int index) {
            if (!live())
                return;
            control_.userSelected(index);
            input(radioValue(index));
            post(rt::event::Accepted);
        });
    }
    void addRadio(QRadioButton* radio, int index) { group_->addButton(radio, index); }
    std::string radioValue(int index) const
    {
        const auto& radios = control_.children();
        if (index < 1 || index > static_cast<int>(radios.size()))
            return {};
        const Control* r = radios[index - 1];
        return r->def().value.empty() ? withoutMnemonic(r->text()).toStdString() : r->def().value;
    }

protected:
    void showText() override
    {
        if (auto* box = qobject_cast<QGroupBox*>(widget_))
            box->setTitle(QString::fromStdString(control_.text()));
    }
    void showValue() override
    {
        const int n = static_cast<int>(control_.children().size());
        for (int i = 1; i <= n; ++i)
            if (radioValue(i) == control_.value())
                check(i);
    }
    void showSelection() override
    {
        if (control_.selected() > 0)
            check(control_.selected());
    }

private:
    void check(int index)
    {
        if (QAbstractButton* b = group_->button(index)) {
            const bool was = group_->blockSignals(true);
            b->setChecked(true);
            group_->blockSignals(was);
        }
    }
    QButtonGroup* group_;
};

class RadioView : public ControlView
{
public:
    RadioView(Control& c, QWidget* parent, ControlHost& host, OptionView* option)
        : ControlView(c, new QRadioButton(parent), host)
        , radio_(static_cast<QRadioButton*>(widget_))
    {
        if (option) {
            const auto& siblings = c.parent()->children();
            option->addRadio(
                radio_, static_cast<int>(std::find(siblings.begin(), siblings.end(), &c) - siblings.begin()) + 1);
        }
    }

protected:
    void showText() override { radio_->setText(QString::fromStdString(control_.text())); }

private:
    QRadioButton* radio_;
};

// ---------------------------------------------------------------- lists

// Rows are dragged by hand rather than with QDrag, whose exec() would run an
// event loop of its own; the list never moves a row itself: the program
// hears of the drag and the drop and decides.
class ListView : public ControlView
{
public:
    ListView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new ListTable(parent), host)
        , view_(static_cast<ListTable*>(widget_))
        , model_(new ListModel(this))
    {
        lists().push_back(this);
        view_->setModel(model_);
        view_->setSelectionBehavior(QAbstractItemView::SelectRows);
        view_->setSelectionMode(QAbstractItemView::SingleSelection);
        view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view_->setShowGrid(false);
        view_->setWordWrap(false);
        view_->verticalHeader()->hide();
        view_->viewport()->installEventFilter(this);
        // The layout the program reads back changes with these.
        for (QWidget* w : {static_cast<QWidget*>(view_->verticalScrollBar()), static_cast<QWidget*>(view_->header())})
            w->installEventFilter(this);
        QObject::connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { reportGeometry(); });
        mouse_ = new ListMouseFilter(c, *view_, host, [this] {
            showColumns();
            reportGeometry();
        });
        QObject::connect(
            view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& now) {
                if (!live() || !now.isValid())
                    return;
                control_.userSelected(now.row() + 1);
                post(rt::event::NewSelection);
            });
        QObject::connect(view_, &QTableView::doubleClicked, this, [this] {
            // An alerted double-click reaches the program as an alert key.
            if (!control_.window().alertKeys().count(rt::key::MouseLeft2))
                post(rt::event::Accepted);
        });
        QObject::connect(model_, &ListModel::modelReset, this, [this] { showSelection(); });
        showProperties();
    }
    ~ListView() override { std::erase(lists(), this); }

protected:
    void detach() override
    {
        mouse_->detach();
        // The rows may outlive the window (a dialog's rows declared before
        // it): a later change of theirs must not reach a closed list.
        model_->setSource(nullptr);
        ControlView::detach();
    }
    void apply(ControlChange what) override
    {
        ControlView::apply(what);
        if (what == ControlChange::Property)
            showProperties();
        else if (what == ControlChange::Font)
            showRowHeight();
        reportGeometry();
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide)
            reportGeometry();
        if (watched != view_ && watched != view_->viewport())
            return false;
        if (watched == view_->viewport() && live()) {
            switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                pressed(*static_cast<QMouseEvent*>(event));
                break;
            case QEvent::MouseMove:
                if (dragRow_ > 0 && moved(*static_cast<QMouseEvent*>(event)))
                    return true; // the highlight stays on the row pressed
                break;
            case QEvent::MouseButtonRelease:
                released(*static_cast<QMouseEvent*>(event));
                break;
            default:
                break;
            }
        }
        return ControlView::eventFilter(watched, event);
    }
    void showList() override
    {
        model_->setSource(control_.list());
        showColumns();
        showSelection();
    }
    void showColumns()
    {
        const std::vector<rt::ListFormatColumn> columns = shownColumns(control_.format());
        model_->setColumns(columns);
        std::vector<ListTable::Column> layout;
        bool headers = false;
        for (const rt::ListFormatColumn& c : columns) {
            headers = headers || !c.header.value_or("").empty();
            layout.push_back({host_.units().x(c.width), c.has(rt::list_mark::Fixed), c.has(rt::list_mark::RightBorder),
                host_.units().x(c.data.offset.value_or(0))});
        }
        view_->setColumns(std::move(layout));
        view_->horizontalHeader()->setVisible(headers);
    }
    void showRowHeight()
    {
        const int units = std::atoi(control_.property(rt::list_prop::LineHeight).c_str());
        view_->verticalHeader()->setDefaultSectionSize(
            units > 0 ? host_.units().y(units) : QFontMetrics(view_->font()).height() + 4);
    }
    void showProperties()
    {
        namespace lp = rt::list_prop;
        showRowHeight();
        view_->setScrollBars(control_.property(lp::HScroll) == "1", control_.property(lp::VScroll) == "1");
        if (const std::string icons = control_.property(lp::Icons); icons != shownIcons_) {
            shownIcons_ = icons;
            std::vector<QIcon> pictures;
            for (const QString& name : QString::fromStdString(icons).split('|', Qt::SkipEmptyParts))
                pictures.push_back(loadIcon(name.toStdString(), host_.module()));
            model_->setIcons(std::move(pictures));
        }
        view_->delegate()->setCurrentColumn(currentColumn());
        view_->header()->setPressedColumn(std::atoi(control_.property(lp::PressedColumn).c_str()));
        view_->header()->setDragText(QString::fromStdString(control_.property(lp::HeaderDragText)),
            view_->header()->mapFrom(view_, QPoint(std::atoi(control_.property(lp::HeaderDragX).c_str()), 0)).x());
        view_->viewport()->update();
    }
    // 1-based, 0 while columns are not selected.
    int currentColumn() const
    {
        if (control_.property(rt::list_prop::ColumnSelect) != "1")
            return 0;
        return std::max(std::atoi(control_.property(rt::list_prop::CurrentColumn).c_str()), 1);
    }
    void reportGeometry()
    {
        if (!live())
            return;
        rt::ListGeometry g;
        g.width = view_->width();
        g.height = view_->height();
        g.headerHeight = view_->header()->isHidden() ? 0 : view_->header()->height();
        const QScrollBar* bar = view_->verticalScrollBar();
        g.verticalScrollBar = bar->isVisibleTo(view_) ? bar->width() : 0;
        g.scrolledColumns = view_->scrolledColumns();
        for (const ListTable::Column& c : view_->columns())
            g.columnWidths.push_back(c.pixels);
        control_.userListGeometry(std::move(g));
    }
    void showSelection() override
    {
        QItemSelectionModel* sel = view_->selectionModel();
        const bool was = sel->blockSignals(true);
        const int row = control_.selected() - 1;
        if (row >= 0 && row < model_->rowCount()) {
            const QModelIndex i = model_->index(row, 0);
            sel->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            view_->scrollTo(i);
        } else {
            sel->clearSelection();
            sel->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        }
        sel->blockSignals(was);
        view_->viewport()->update();
    }
    // An immediate list leaves scrolling to the program: the keys become
    // scroll events for it.
    bool keyPressed(int code) override
    {
        if (currentColumn() > 0 && (code == rt::key::Left || code == rt::key::Right))
            return moveCurrentColumn(code == rt::key::Left ? -1 : 1);
        if (!control_.immediate())
            return false;
        int e = 0;
        switch (code) {
        case rt::key::Up:
            e = rt::event::ScrollUp;
            break;
        case rt::key::Down:
            e = rt::event::ScrollDown;
            break;
        case rt::key::PgUp:
            e = rt::event::PageUp;
            break;
        case rt::key::PgDn:
            e = rt::event::PageDown;
            break;
        case rt::key::Home:
        case rt::key::Home | rt::key::Ctrl:
        case rt::key::PgUp | rt::key::Ctrl:
            e = rt::event::ScrollTop;
            break;
        case rt::key::End:
        case rt::key::End | rt::key::Ctrl:
        case rt::key::PgDn | rt::key::Ctrl:
            e = rt::event::ScrollBottom;
            break;
        default:
            return false;
        }
        post(e);
        return true;
    }

private:
    bool moveCurrentColumn(int by)
    {
        showCurrentColumn(std::clamp(currentColumn() + by, 1, std::max(model_->columnCount(), 1)));
        return true;
    }
    void showCurrentColumn(int column)
    {
        control_.userProperty(rt::list_prop::CurrentColumn, std::to_string(column));
        view_->delegate()->setCurrentColumn(column);
        view_->viewport()->update();
    }
    static std::vector<ListView*>& lists()
    {
        static std::vector<ListView*> all;
        return all;
    }
    // 1-based, 0 outside the rows.
    int rowAt(const QPoint& inViewport) const
    {
        if (!view_->viewport()->rect().contains(inViewport))
            return 0;
        const QModelIndex i = view_->indexAt(inViewport);
        return i.isValid() ? i.row() + 1 : 0;
    }
    // The list under a point of the screen that would take this list's rows.
    ListView* targetAt(const QPoint& global) const
    {
        for (QWidget* w = QApplication::widgetAt(global); w; w = w->parentWidget())
            for (ListView* l : lists())
                if (l->view_ == w)
                    return l->live() && l->view_->isEnabled() && l->view_->isVisible()
                            && l->control_.acceptsDropFrom(control_)
                        ? l
                        : nullptr;
        return nullptr;
    }
    void pressed(const QMouseEvent& m)
    {
        const int row = rowAt(m.position().toPoint());
        control_.userMouseDown(row);
        const QModelIndex cell = view_->indexAt(m.position().toPoint());
        if (currentColumn() > 0 && cell.isValid())
            showCurrentColumn(cell.column() + 1);
        endDrag();
        if (m.button() == Qt::LeftButton && row > 0 && !control_.dragId().empty()) {
            dragRow_ = row;
            dragFrom_ = m.position().toPoint();
        }
    }
    bool moved(const QMouseEvent& m)
    {
        if (!(m.buttons() & Qt::LeftButton)) {
            endDrag();
            return false;
        }
        if (!dragging_ && (m.position().toPoint() - dragFrom_).manhattanLength() >= QApplication::startDragDistance())
            dragging_ = true;
        if (dragging_)
            view_->viewport()->setCursor(
                targetAt(m.globalPosition().toPoint()) ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
        return true;
    }
    void released(const QMouseEvent& m)
    {
        if (m.button() != Qt::LeftButton || !dragging_) {
            if (m.button() == Qt::LeftButton)
                endDrag();
            control_.userMouseUp(rowAt(m.position().toPoint()));
            return;
        }
        const int from = dragRow_;
        endDrag();
        const QPoint global = m.globalPosition().toPoint();
        if (ListView* target = targetAt(global))
            control_.userDrag(from, target->control_, target->rowAt(target->view_->viewport()->mapFromGlobal(global)));
    }
    void endDrag()
    {
        if (dragging_)
            view_->viewport()->unsetCursor();
        dragRow_ = 0;
        dragging_ = false;
    }

    ListTable* view_;
    ListModel* model_;
    ListMouseFilter* mouse_;
    std::string shownIcons_;
    int dragRow_ = 0; // the row pressed, while it may still be dragged
    QPoint dragFrom_;
    bool dragging_ = false;
};

// Drop lists and combos: fixed choices "a|b|c" (a choice may be followed
// by "#value"), or the first column of a list source.
class ComboView : public ControlView
{
public:
    ComboView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new QComboBox(parent), host)
        , combo_(static_cast<QComboBox*>(widget_))
    {
        const bool editable = c.type() == ControlType::Combo || c.type() == ControlType::DropCombo;
        combo_->setEditable(editable);
        QObject::connect(combo_, &QComboBox::activated, this, [this](int index) {
            if (!live())
                return;
            control_.userSelected(index + 1);
            input(valueAt(index));
            post(rt::event::Accepted);
        });
        if (editable) {
            QObject::connect(
                combo_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& t) { input(t.toStdString()); });
            QObject::connect(combo_->lineEdit(), &QLineEdit::editingFinished, this, [this] { commit(); });
        }
    }
    void detach() override
    {
        if (model_)
            model_->setSource(nullptr); // as a list's: its rows may outlive the window
        ControlView::detach();
    }
    void commit() override
    {
        QLineEdit* e = combo_->lineEdit();
        if (!e || !e->isModified())
            return;
        e->setModified(false);
        post(rt::event::Accepted);
    }

protected:
    void showList() override
    {
        quietly([&] {
            combo_->clear();
            if (hasSource()) {
                if (!model_) {
                    model_ = new ListModel(this);
                    // Rows read again leave the box on its first row: once
                    // the box has taken the change, show the program's choice.
                    const auto showChoice = [this] {
                        if (!live())
                            return;
                        if (control_.selected() > 0)
                            showSelection();
                        else
                            showValue();
                    };
                    QObject::connect(model_, &ListModel::modelReset, this, showChoice, Qt::QueuedConnection);
                    QObject::connect(model_, &ListModel::rowsInserted, this, showChoice, Qt::QueuedConnection);
                    QObject::connect(model_, &ListModel::rowsRemoved, this, showChoice, Qt::QueuedConnection);
                }
                model_->setSource(control_.list());
                combo_->setModel(model_);
            } else {
                bool first = true;
                for (const std::string& part : text::split(control_.def().from, '|')) {
                    if (!part.empty() && part[0] == '#' && !first)
                        continue; // the value the choice before it stands for
                    if (part.empty() && control_.def().from.empty())
                        break;
                    combo_->addItem(QString::fromStdString(part));
                    first = false;
                }
            }
        });
        showValue();
    }
    void showValue() override
    {
        quietly([&] {
            int found = -1;
            for (int i = 0; i < combo_->count(); ++i)
                if (valueAt(i) == control_.value())
                    found = i;
            combo_->setCurrentIndex(found);
            if (combo_->isEditable() && found < 0)
                combo_->setEditText(QString::fromStdString(control_.value()));
        });
    }
    void showSelection() override
    {
        if (control_.selected() > 0)
            quietly([&] { combo_->setCurrentIndex(control_.selected() - 1); });
    }

private:
    bool hasSource() const { return control_.list() != nullptr; }
    std::string valueAt(int index) const { return control_.choiceValue(index + 1); }
    QComboBox* combo_;
    ListModel* model_ = nullptr;
};

// ---------------------------------------------------------------- sheets

// A tab bar has one font for every tab; a tab the program made bold (the
// current tab's mark) carries that in its data and is drawn bold here.
class BoldTabStyle : public QProxyStyle
{
public:
    void drawControl(
        ControlElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const override
    {
        const auto* bar = qobject_cast<const QTabBar*>(widget);
        if (element == CE_TabBarTabLabel && bar) {
            const int index = bar->tabAt(option->rect.center());
            if (index >= 0 && bar->tabData(index).toBool()) {
                painter->save();
                QFont bold = painter->font();
                bold.setBold(true);
                painter->setFont(bold);
                QProxyStyle::drawControl(element, option, painter, widget);
                painter->restore();
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

class SheetView : public ControlView
{
public:
    SheetView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new QTabWidget(parent), host)
        , tabs_(static_cast<QTabWidget*>(widget_))
    {
        auto* style = new BoldTabStyle;
        style->setParent(tabs_->tabBar());
        tabs_->tabBar()->setStyle(style);
        QObject::connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
            if (!live() || index < 0)
                return;
            control_.userSelected(index + 1);
            host_.visibilityChanged();
            post(rt::event::NewSelection);
        });
    }
    QTabWidget* tabs() const { return tabs_; }
    void load() override
    {
        ControlView::load();
        showWizardStyle();
    }
    void apply(ControlChange what) override
    {
        ControlView::apply(what);
        if (what == ControlChange::Property)
            showWizardStyle();
    }

protected:
    void showWizardStyle() { tabs_->tabBar()->setVisible(control_.property(rt::prop::Wizard) != "1"); }
    void showSelection() override
    {
        const int index = control_.selected() > 0 ? control_.selected() - 1 : 0;
        quietly([&] { tabs_->setCurrentIndex(index); });
        host_.visibilityChanged();
    }

private:
    QTabWidget* tabs_;
};

// A tab is a page of its sheet. Its controls are drawn on the window's
// canvas, like every other control, and shown while the tab is chosen.
class TabView : public ControlView
{
public:
    TabView(Control& c, ControlHost& host, SheetView* sheet)
        : ControlView(c, new QWidget, host)
        , sheet_(sheet)
    {
        if (sheet_)
            sheet_->tabs()->addTab(widget_, QString());
    }
    bool onCanvas() const override { return false; }
    void apply(ControlChange what) override
    {
        if (!sheet_)
            return;
        const int index = sheet_->tabs()->indexOf(widget_);
        if (what == ControlChange::Hidden) {
            sheet_->tabs()->setTabVisible(index, !control_.hidden());
            host_.visibilityChanged();
        } else if (what == ControlChange::Enabled) {
            sheet_->tabs()->setTabEnabled(index, control_.enabled());
        } else if (what == ControlChange::Marks) {
            sheet_->tabs()->setTabToolTip(index, QString::fromStdString(control_.toolTip()));
        } else if (what == ControlChange::Text) {
            showText();
        } else if (what == ControlChange::Font) {
            sheet_->tabs()->tabBar()->setTabData(index, control_.font().bold);
            sheet_->tabs()->tabBar()->update();
        }
    }
    void load() override
    {
        showText();
        apply(ControlChange::Font);
        apply(ControlChange::Enabled);
        apply(ControlChange::Marks);
        if (control_.hidden())
            apply(ControlChange::Hidden);
    }

protected:
    void showText() override
    {
        if (sheet_) {
            const bool was = sheet_->tabs()->blockSignals(true);
            sheet_->tabs()->setTabText(sheet_->tabs()->indexOf(widget_), QString::fromStdString(control_.text()));
            sheet_->tabs()->blockSignals(was);
        }
    }

private:
    SheetView* sheet_;
};

// ---------------------------------------------------------------- pictures and decoration

class ImageView : public ControlView
{
public:
    ImageView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, scrolls(c) ? static_cast<QWidget*>(new QScrollArea(parent)) : new QLabel(parent), host)
        , scroller_(qobject_cast<QScrollArea*>(widget_))
        , label_(scroller_ ? new QLabel : static_cast<QLabel*>(widget_))
    {
        label_->setAlignment(Qt::AlignCenter);
        if (scroller_) {
            // A picture smaller than the box sits in its middle on a grey
            // ground; a larger one scrolls.
            scroller_->setFrameShape(QFrame::StyledPanel);
            scroller_->setBackgroundRole(QPalette::Dark);
            scroller_->setAlignment(Qt::AlignCenter);
            scroller_->setHorizontalScrollBarPolicy(c.def().hscroll ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            scroller_->setVerticalScrollBarPolicy(c.def().vscroll ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            label_->setMargin(12);
            scroller_->setWidget(label_);
            scroller_->setWidgetResizable(true);
        }
    }

    void apply(ControlChange what) override
    {
        ControlView::apply(what);
        if (what == ControlChange::Property || (what == ControlChange::Geometry && !file_.empty()))
            showText();
    }

protected:
    // The picture's name is the control's text, as the program changes it,
    // unless the program shows a file of the user's.
    void showText() override
    {
        if (const std::string& file = control_.property(rt::prop::PictureFile); !file.empty()) {
            showFile(file);
            return;
        }
        file_.clear();
        image_ = QImage();
        const std::string& name = control_.text().empty() ? control_.def().icon : control_.text();
        const QPixmap pm = loadPicture(name, host_.module());
        const rt::Rect at = control_.geometry();
        label_->setAlignment(Qt::AlignCenter);
        label_->setScaledContents(!scroller_ && at.width > 0 && at.height > 0);
        label_->setPixmap(pm);
    }

private:
    // Only from disk: a user's file named like one of the program's pictures
    // is still the user's. Read once per file, whatever the resizes.
    void showFile(const std::string& file)
    {
        if (file != file_) {
            file_ = file;
            QImageReader reader(QString::fromStdString(rt::resolvePath(file)));
            reader.setAutoTransform(true);
            image_ = reader.read();
        }
        label_->setScaledContents(false);
        if (image_.isNull()) {
            label_->clear();
            return;
        }
        if (scroller_) {
            label_->setPixmap(QPixmap::fromImage(image_));
            return;
        }
        label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        const QSize box = host_.units().toPixels(control_.geometry()).size();
        const bool larger = image_.width() > box.width() || image_.height() > box.height();
        label_->setPixmap(QPixmap::fromImage(
            larger && !box.isEmpty() ? image_.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation) : image_));
    }

    // A picture file then shows at its own size, the box scrolling over it.
    static bool scrolls(const Control& c) { return c.def().vscroll || c.def().hscroll; }

    QScrollArea* scroller_;
    QLabel* label_;
    std::string file_;
    QImage image_;
};

class DecorView : public ControlView
{
public:
    DecorView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, makeWidget(c, parent), host)
    {
        if (c.type() == ControlType::Region)
            widget_->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    }

protected:
    void showText() override
    {
        if (auto* g = qobject_cast<QGroupBox*>(widget_))
            g->setTitle(QString::fromStdString(control_.text()));
    }
    // A filled box (a graph's bar) and a line of a given pen width (its axis).
    void showProperties() override
    {
        auto* f = qobject_cast<QFrame*>(widget_);
        if (!f)
            return;
        const std::string pen = control_.property(rt::prop::LineWidth);
        if (!pen.empty()) {
            if (control_.type() == ControlType::Line)
                f->setFrameShadow(QFrame::Plain);
            f->setLineWidth(std::max(std::atoi(pen.c_str()), 1));
        }
        const std::string fill = control_.property(rt::prop::Fill);
        f->setAutoFillBackground(!fill.empty());
        if (!fill.empty()) {
            QPalette p = f->palette();
            p.setColor(QPalette::Window, fromColorRef(std::atoi(fill.c_str())));
            f->setPalette(p);
        }
    }

private:
    static QWidget* makeWidget(const Control& c, QWidget* parent)
    {
        switch (c.type()) {
        case ControlType::Group:
            return new QGroupBox(parent);
        case ControlType::Box:
        case ControlType::Panel:
        case ControlType::Line: {
            auto* f = new QFrame(parent);
            if (c.type() == ControlType::Box)
                f->setFrameStyle(QFrame::Box | QFrame::Plain);
            else if (c.type() == ControlType::Panel)
                f->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            else
                f->setFrameStyle(
                    (c.geometry().height > c.geometry().width ? QFrame::VLine : QFrame::HLine) | QFrame::Sunken);
            return f;
        }
        default:
            return new QWidget(parent);
        }
    }
};

class ProgressView : public ControlView
{
public:
    ProgressView(Control& c, QWidget* parent, ControlHost& host)
        : ControlView(c, new QProgressBar(parent), host)
        , bar_(static_cast<QProgressBar*>(widget_))
    {
        bar_->setRange(0, 100);
        bar_->setTextVisible(false);
    }

protected:
    void showValue() override { bar_->setValue(QString::fromStdString(control_.value()).toInt()); }

private:
    QProgressBar* bar_;
};

} // namespace

// ---------------------------------------------------------------- factory

ControlFactory::ControlFactory(ControlHost& host, Lookup lookup)
    : host_(host)
    , lookup_(std::move(lookup))
{ }

std::unique_ptr<ControlView> ControlFactory::create(Control& c, QWidget* parent)
{
    ControlView* parentView = c.parent() ? lookup_(c.parent()->number()) : nullptr;
    switch (c.type()) {
    case ControlType::String:
    case ControlType::Prompt:
        return std::make_unique<LabelView>(c, parent, host_);
    case ControlType::Entry:
        return std::make_unique<EntryView>(c, parent, host_);
    case ControlType::Text:
        return std::make_unique<TextView>(c, parent, host_);
    case ControlType::Spin:
        return std::make_unique<SpinView>(c, parent, host_);
    case ControlType::Button:
        return std::make_unique<ButtonView>(c, parent, host_);
    case ControlType::Check:
        return std::make_unique<CheckView>(c, parent, host_);
    case ControlType::Option:
        return std::make_unique<OptionView>(c, parent, host_);
    case ControlType::Radio:
        return std::make_unique<RadioView>(c, parent, host_, dynamic_cast<OptionView*>(parentView));
    case ControlType::List:
        return std::make_unique<ListView>(c, parent, host_);
    case ControlType::Combo:
    case ControlType::DropList:
    case ControlType::DropCombo:
        return std::make_unique<ComboView>(c, parent, host_);
    case ControlType::Sheet:
        return std::make_unique<SheetView>(c, parent, host_);
    case ControlType::Tab:
        return std::make_unique<TabView>(c, host_, dynamic_cast<SheetView*>(parentView));
    case ControlType::Image:
        return std::make_unique<ImageView>(c, parent, host_);
    case ControlType::Region:
    case ControlType::Box:
    case ControlType::Line:
    case ControlType::Group:
    case ControlType::Panel:
        return std::make_unique<DecorView>(c, parent, host_);
    case ControlType::Progress:
        return std::make_unique<ProgressView>(c, parent, host_);
    case ControlType::Menu:
    case ControlType::Item:
    case ControlType::Separator:
        return nullptr;
    }
    return nullptr;
}

void ControlFactory::linkPrompt(ControlView& prompt, ControlView& next)
{
    if (auto* label = dynamic_cast<LabelView*>(&prompt);
        label && prompt.control().type() == ControlType::Prompt && next.widget()->focusPolicy() != Qt::NoFocus)
        label->setBuddy(next.widget());
}

} // namespace qv::qt
