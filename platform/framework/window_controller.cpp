#include "platform/framework/window_controller.h"

#include "platform/framework/error_reporter.h"
#include "platform/framework/relation_set.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/keycodes.h"
#include "platform/tables/table.h"

namespace qv::fw {

namespace {
constexpr int AltRight = rt::key::withAlt(rt::key::Right); // 1063
constexpr int AltLeft = rt::key::withAlt(rt::key::Left); // 1061
} // namespace

namespace {
LifecycleFactory& lifecycleFactory()
{
    static LifecycleFactory factory;
    return factory;
}
} // namespace

void setWindowLifecycle(LifecycleFactory factory)
{
    lifecycleFactory() = std::move(factory);
}

WindowController::WindowController(std::string name)
    : name_(std::move(name))
{ }

WindowController::~WindowController() = default;

int WindowController::Execute()
{
    try {
        if (Prepare() == Benign)
            RunEventLoop();
    } catch (const std::exception&) {
        // A fault in a handler still tears the window down and closes its
        // tables; a thread being unwound at the end of the program is no
        // std::exception and leaves its objects as they are.
        CleanUp();
        throw;
    }
    CleanUp();
    if (response_ == response::None)
        response_ = response::Cancelled;
    handover().response = response_;
    return response_;
}

Level WindowController::Prepare()
{
    appErrorReporter().pushProcedure(name_);
    procedurePushed_ = true;
    request_ = handover().request;
    handover().request = request::None;
    handover().response = response::None;
    return Benign;
}

void WindowController::RunEventLoop()
{
    while (!done_ && window_ && window_->isOpen())
        OnEvent(window_->waitEvent());
}

void WindowController::CleanUp()
{
    for (WindowComponent* c : components_)
        c->CleanUp();
    if (window_)
        window_->close();
    if (recordOpen_ && primary_) {
        primary_->close();
        recordOpen_ = false;
    }
    if (procedurePushed_) {
        appErrorReporter().popProcedure();
        procedurePushed_ = false;
    }
}

void WindowController::holdOwnRecord()
{
    if (!primary_ || !recordOpen_ || ownId_ == 0 || !window_ || !window_->isOpen())
        return;
    tables::Table& table = primary_->access().table();
    if (table.record().recordId == ownId_)
        return;
    // Another window moved the shared buffer while this one waited: the
    // form's record comes back, as its window shows it.
    if (table.fetchRecord(ownId_) == 0)
        window_->update();
}

Level WindowController::OnEvent(const rt::Event& e)
{
    holdOwnRecord();
    for (WindowComponent* c : components_)
        if (c->OnEvent(e))
            return Benign;
    if (e.code == rt::event::AlertKey) {
        if (historyKey_ && e.keyCode == historyKey_) {
            recallHistory();
            return Benign;
        }
        if (navigation_ && (e.keyCode == AltRight || e.keyCode == AltLeft)) {
            navigate(e.keyCode == AltRight ? nav::NextRecord : nav::PreviousRecord);
            return Benign;
        }
    }
    if (rt::isWindowEvent(e.code))
        return OnWindowEvent(e);
    switch (e.code) {
    case rt::event::Accepted:
        return OnAccepted(e.control);
    case rt::event::NewSelection:
        return OnNewSelection(e.control);
    default:
        return OnControlEvent(e);
    }
}

Level WindowController::OnWindowEvent(const rt::Event& e)
{
    if (e.code == rt::event::CloseWindow || e.code == rt::event::CloseDown) {
        if (primary_ && !confirmClose())
            return Benign; // the user stays in the form
        done_ = true;
    }
    return Benign;
}

Level WindowController::OnAccepted(int control)
{
    if (const auto it = acceptedHandlers_.find(control); it != acceptedHandlers_.end())
        it->second();
    if (const auto it = responseButtons_.find(control); it != responseButtons_.end()) {
        if (primary_ && it->second == response::Cancelled) {
            if (!confirmClose())
                return Benign;
        } else {
            response_ = it->second;
        }
        done_ = true;
        return Benign;
    }
    if (primary_ && control == okControl_ && okControl_ != 0) {
        if (saveRecord() != Benign)
            return User;
        response_ = response::Completed;
        if (insertAgain_ && request_ == request::Insert) {
            auto& access = primary_->access();
            access.primeFields();
            FillNewRecordDefaults();
            if (access.primeAutoInc() != Benign) {
                done_ = true;
                return Benign;
            }
            takeRecord();
            window_->display();
        } else {
            done_ = true;
        }
    }
    return Benign;
}

Level WindowController::OnNewSelection(int control)
{
    if (const auto it = selectionHandlers_.find(control); it != selectionHandlers_.end())
        it->second();
    return Benign;
}

Level WindowController::OnControlEvent(const rt::Event&)
{
    return Benign;
}

void WindowController::Refresh()
{
    for (WindowComponent* c : components_)
        c->Refresh();
    if (window_)
        window_->display();
}

void WindowController::RegisterHotKeys()
{
    for (WindowComponent* c : components_)
        c->RegisterHotKeys();
}

void WindowController::ReloadSelectedRecords()
{
    for (WindowComponent* c : components_)
        c->reloadSelectedRecord();
}

int WindowController::CallUpdateProcedure(int number, int request)
{
    const auto it = updateProcedures_.find(number);
    if (it == updateProcedures_.end())
        return response::Cancelled;
    handover().request = request;
    it->second();
    return handover().response;
}

Level WindowController::PrepareRecordAction()
{
    if (!primary_)
        return Benign;
    if (primary_->open() != Benign)
        return Fatal;
    recordOpen_ = true;
    auto& access = primary_->access();
    switch (request_) {
    case request::Insert:
        // A caller that primes (a list) leaves the fields; the id is reserved
        // here, so child rows added while the form is open carry it.
        if (access.record().recordId == 0) {
            FillNewRecordDefaults();
            if (access.primeAutoInc() != Benign) {
                response_ = response::Cancelled;
                return Notify;
            }
        }
        break;
    case request::Delete:
        response_ = primary_->deleteRecord(true) == Benign ? response::Completed : response::Cancelled;
        return Notify; // the form never opens
    default:
        break;
    }
    takeRecord();
    return Benign;
}

void WindowController::takeRecord()
{
    saved_ = false;
    if (primary_) {
        ownId_ = primary_->access().record().recordId;
        primary_->access().saveHistory();
        if (request_ == request::Insert)
            reservedId_ = primary_->access().record().recordId;
    }
}

Level WindowController::saveRecord()
{
    auto& access = primary_->access();
    int failed = -1;
    if (access.validateRecord(&failed) != Benign) {
        // The form stays open on the field that failed.
        for (const auto& c : window_->controls())
            if (!c->def().use.empty() && locateField(c->def().use).record == &access.record()
                && locateField(c->def().use).field == failed) {
                window_->select(*c);
                break;
            }
        return User;
    }
    // A table without a numbered key reserves nothing: its new record is
    // written only now, and has nothing related to carry along yet.
    const bool unstored = request_ == request::Insert && access.record().recordId == 0;
    const Level saved = unstored ? access.Insert() : primary_->Update(true);
    if (saved != Benign) {
        // A record changed by another station has been re-read: show it.
        window_->display();
        return saved;
    }
    saved_ = true;
    lastSavedId_ = access.record().recordId;
    return Benign;
}

bool WindowController::abandonRecord()
{
    if (request_ != request::Insert || saved_ || reservedId_ == 0)
        return true;
    // The buffer is shared: another window may have loaded another record
    // into it while this form waited. Delete the one this form reserved.
    tables::Table& table = primary_->access().table();
    if (table.record().recordId != reservedId_ && table.fetchRecord(reservedId_) != 0)
        return true; // gone already
    if (primary_->deleteRecord(false) != Benign)
        return false;
    reservedId_ = 0;
    return true;
}

bool WindowController::confirmClose()
{
    if (saved_ && !insertAgain_)
        return true;
    if (request_ != request::Insert && request_ != request::Change)
        return true;
    auto& access = primary_->access();
    if (askOnClose_ && access.changedSinceHistory()) {
        switch (appErrorReporter().raise(Msg::SaveRecord)) {
        case Benign: // Yes
            window_->post(rt::event::Accepted, okControl_);
            return false;
        case User: // No
            break;
        default: // Cancel
            selectFirstField();
            return false;
        }
    }
    // A reserved record that cannot be taken away again keeps the user in
    // the form (the message has said why), rather than leaving it behind.
    if (!abandonRecord()) {
        selectFirstField();
        return false;
    }
    // A series of new records that saved some ends saying so, with the last
    // one saved in the buffer: the caller shows and places it.
    if (insertAgain_ && request_ == request::Insert && lastSavedId_ != 0
        && primary_->access().table().fetchRecord(lastSavedId_) == 0)
        response_ = response::Completed;
    if (response_ == response::None)
        response_ = response::Cancelled;
    return true;
}

void WindowController::setWindow(std::unique_ptr<rt::Window> window)
{
    window_ = std::move(window);
}

void WindowController::loadWindow(std::string_view module, std::string_view name)
{
    window_ = rt::Window::load(module, name);
}

void WindowController::openWindow()
{
    if (!lifecycle_ && lifecycleFactory()) {
        lifecycle_ = lifecycleFactory()(*this);
        if (lifecycle_)
            components_.insert(components_.begin(), lifecycle_.get());
    }
    for (const rt::ControlId& id : handled_)
        (void)(*window_)[id]; // a handler for another window's control is a programming error
    for (WindowComponent* c : components_)
        c->beforeOpen(*this);
    bindControls(*window_, &locals_);
    window_->open();
    for (WindowComponent* c : components_)
        c->Prepare(*this);
    window_->display();
}

void WindowController::addComponent(WindowComponent& component)
{
    components_.push_back(&component);
}

void WindowController::onAccepted(rt::ControlId control, std::function<void()> handler)
{
    handled_.push_back(control);
    acceptedHandlers_[control.number] = std::move(handler);
}

void WindowController::onNewSelection(rt::ControlId control, std::function<void()> handler)
{
    handled_.push_back(control);
    selectionHandlers_[control.number] = std::move(handler);
}

void WindowController::selectFirstField()
{
    for (const auto& c : window_->controls())
        if (!c->def().use.empty() && c->enabled() && !c->effectivelyHidden()) {
            window_->select(*c);
            return;
        }
}

void WindowController::addResponseButton(std::string_view control, int response)
{
    responseButtons_[(*window_)[control].number()] = response;
}

void WindowController::setUpdateProcedure(int number, std::function<void()> procedure)
{
    updateProcedures_[number] = std::move(procedure);
}

void WindowController::setPrimary(RelationSet& primary, std::string_view okControl)
{
    primary_ = &primary;
    okControl_ = window_ ? (*window_)[okControl].number() : 0;
    askOnClose_ = true;
}

void WindowController::setHistoryKey(int keyCode)
{
    historyKey_ = keyCode;
    window_->alert(keyCode);
}

void WindowController::enableRecordNavigation()
{
    navigation_ = true;
    window_->alert(AltRight);
    window_->alert(AltLeft);
}

void WindowController::recallHistory()
{
    rt::Control* focus = window_->focus();
    if (!focus || !primary_ || focus->def().use.empty())
        return;
    const FieldLocation loc = locateField(focus->def().use);
    if (loc.record != &primary_->access().record() || loc.field < 0)
        return;
    primary_->access().restoreHistoryField(loc.field);
    focus->display();
}

void WindowController::navigate(int navRequest)
{
    handover().navRequest = navRequest;
    handover().navFocus = window_->focus() ? window_->focus()->number() : 0;
    if (okControl_)
        window_->post(rt::event::Accepted, okControl_);
}

} // namespace qv::fw
