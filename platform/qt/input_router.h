#pragma once
// Keys and mouse clicks anywhere in a window of the program: alert keys
// become alert-key events; Enter presses the default button; Esc asks the
// window to close. Everything else goes on to the widgets.

#include <QObject>

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
    QtHost& host_;
};

} // namespace qv::qt
