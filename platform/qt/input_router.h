#pragma once
// Keys and mouse clicks anywhere in a window of the program: alert keys
// become alert-key events; Enter presses the default button; Esc asks the
// window to close; the wheel goes to a window that asks for it. Everything
// else goes on to the widgets.

#include <QObject>

class QWheelEvent;

namespace qv::qt {

class QtHost;

class InputRouter : public QObject
{
public:
    explicit InputRouter(QtHost& host);
    ~InputRouter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool wheel(QObject* watched, QWheelEvent* event);

    QtHost& host_;
};

} // namespace qv::qt
