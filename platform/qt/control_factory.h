#pragma once
// One widget per control of a window definition, drawn from the model and
// feeding user input back into it. A programmatic change never posts an
// event: the model's changes reach the widgets with their signals blocked.

#include <QObject>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/qt/window_view.h"
#include "platform/runtime/window.h"

namespace qv::qt {

class ControlView : public QObject
{
public:
    ControlView(rt::Control& control, QWidget* widget, ControlHost& host);
    ~ControlView() override;

    rt::Control& control() const { return control_; }
    QWidget* widget() const { return widget_; }

    // Shows everything the model holds; called once, after creation.
    virtual void load();
    virtual void apply(rt::ControlChange what);
    // An edit in progress is complete (Enter pressed the default button).
    virtual void commit() { }
    // Tabs are pages of their sheet; every other control sits on the canvas.
    virtual bool onCanvas() const { return true; }
    // Visible unless hidden itself, inside a hidden control, or on a tab the
    // sheet does not show.
    bool shouldShow() const;
    // Stops every path from the widget to the model.
    virtual void detach();

protected:
    bool live() const { return live_; }
    void post(int code, int keyCode = 0);
    void input(std::string value);
    void place();
    // Read-only and skipped, as the model says now.
    void showAccess();
    void showFont();
    virtual void showText() { }
    virtual void showValue() { }
    virtual void showSelection() { }
    virtual void showList() { }
    // The numbered properties the control shows (a fill, a pen, an angle).
    virtual void showProperties() { }
    virtual void focusLost() { }
    virtual bool keyPressed(int /*keyCode*/) { return false; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Applies a model change to the widget without signals.
    template <typename F> void quietly(F&& f)
    {
        const bool was = widget_->blockSignals(true);
        f();
        widget_->blockSignals(was);
    }

    rt::Control& control_;
    QWidget* widget_;
    ControlHost& host_;

private:
    bool live_ = true;
};

// "&Save" -> "Save" for widgets that cannot show a mnemonic; "&&" -> "&".
QString withoutMnemonic(const std::string& text);

class ControlFactory
{
public:
    using Lookup = std::function<ControlView*(int number)>;
    ControlFactory(ControlHost& host, Lookup lookup);
    // nullptr for controls that have no widget of their own (menu items).
    std::unique_ptr<ControlView> create(rt::Control& control, QWidget* parent);
    // A prompt leads to the control that follows it, as its mnemonic does.
    static void linkPrompt(ControlView& prompt, ControlView& next);

private:
    ControlHost& host_;
    Lookup lookup_;
};

} // namespace qv::qt
