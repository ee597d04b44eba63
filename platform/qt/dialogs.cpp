#include "platform/qt/dialogs.h"
#include "platform/qt/window_view.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/qt/units.h"
#include "platform/text/text.h"

namespace qv::qt {

// ---------------------------------------------------------------- message boxes

MessageDialog::MessageDialog(rt::MessageBoxWindow& box, QWidget* parent)
    : QDialog(parent)
    , box_(box)
{
    setObjectName(QStringLiteral("messageBox"));
    setModal(false);
    setWindowFlags(dialogFlags(true, parent != nullptr));
    setWindowTitle(QString::fromStdString(box.title()));
    fitTitle(*this);
    setFont(defaultWindowFont());

    auto* body = new QHBoxLayout;
    QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
    switch (box.icon()) {
    case rt::Icon::Exclamation:
        icon = QStyle::SP_MessageBoxWarning;
        break;
    case rt::Icon::Question:
        icon = QStyle::SP_MessageBoxQuestion;
        break;
    case rt::Icon::Information:
        icon = QStyle::SP_MessageBoxInformation;
        break;
    case rt::Icon::Hand:
        icon = QStyle::SP_MessageBoxCritical;
        break;
    case rt::Icon::None:
        break;
    }
    if (icon != QStyle::SP_CustomBase) {
        auto* picture = new QLabel(this);
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        picture->setPixmap(style()->standardIcon(icon, nullptr, this).pixmap(size, size));
        picture->setAlignment(Qt::AlignTop);
        body->addWidget(picture);
    }
    auto* text = new QLabel(QString::fromStdString(box.text()), this);
    text->setObjectName(QStringLiteral("text"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setMinimumWidth(DialogUnits(font()).x(120));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    body->addWidget(text, 1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (const auto& b : box.buttons()) {
        auto* button = new QPushButton(QString::fromStdString(b.text), this);
        button->setObjectName(QStringLiteral("button%1").arg(b.answer));
        button->setAutoDefault(true);
        button->setDefault(b.answer == box.defaultAnswer());
        const int answer = b.answer;
        connect(button, &QPushButton::clicked, this, [this, answer] {
            if (!disposed_)
                box_.answer(answer);
        });
        row->addWidget(button);
        buttons_.emplace_back(b.answer, button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addSpacing(8);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton* MessageDialog::button(int answer) const
{
    for (const auto& [a, b] : buttons_)
        if (a == answer)
            return b;
    return nullptr;
}

void MessageDialog::showView()
{
    if (disposed_)
        return;
    show();
    raise();
    activateWindow();
    if (QPushButton* b = button(box_.defaultAnswer()))
        b->setFocus();
}

void MessageDialog::dispose()
{
    disposed_ = true;
    hide();
    deleteLater();
}

void MessageDialog::reject()
{
    // The program closes the box; without a button it answers Cancel or
    // the default.
    if (!disposed_)
        box_.post(rt::event::CloseWindow);
}

void MessageDialog::closeEvent(QCloseEvent* event)
{
    if (disposed_)
        return QDialog::closeEvent(event);
    event->ignore();
    box_.post(rt::event::CloseWindow);
}

// ---------------------------------------------------------------- choosers

QStringList fileFilters(const std::string& pairs)
{
    QStringList out;
    const auto parts = text::split(pairs, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const auto& p : text::split(parts[i + 1], ';')) {
            QString pattern = QString::fromStdString(p).trimmed();
            // "*.*" means every file, with or without an extension.
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
            if (!pattern.isEmpty())
                patterns << pattern;
        }
        out << QStringLiteral("%1 (%2)").arg(QString::fromStdString(parts[i]), patterns.join(QLatin1Char(' ')));
    }
    return out;
}

QColor fromColorRef(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int toColorRef(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

ChooserView::ChooserView(rt::Window& window, QDialog* dialog)
    : QObject(dialog)
    , window_(window)
    , dialog_(dialog)
{
    dialog->setModal(false);
    dialog->setWindowTitle(QString::fromStdString(window.title()));
}

ChooserView* ChooserView::create(rt::Window& window, QWidget* parent)
{
    if (auto* w = dynamic_cast<rt::FileDialogWindow*>(&window)) {
        const rt::FileDialogSpec& spec = w->request();
        auto* d = new QFileDialog(parent);
        d->setObjectName(QStringLiteral("fileDialog"));
        d->setOption(QFileDialog::DontUseNativeDialog);
        d->setAcceptMode(spec.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        d->setFileMode(spec.directory ? QFileDialog::Directory
                : spec.save           ? QFileDialog::AnyFile
                                      : QFileDialog::ExistingFile);
        if (!spec.filter.empty())
            d->setNameFilters(fileFilters(spec.filter));
        if (!spec.fileName.empty()) {
            QString name = QString::fromStdString(spec.fileName);
            name.replace(QLatin1Char('\\'), QLatin1Char('/'));
            d->selectFile(name);
        }
        auto* v = new ChooserView(window, d);
        connect(d, &QDialog::finished, v, [v](int r) { v->answerFile(r == QDialog::Accepted); });
        return v;
    }
    if (auto* w = dynamic_cast<rt::FontDialogWindow*>(&window)) {
        const rt::FontSpec& spec = w->request();
        QFont f(mapFontFamily(spec.name));
        if (spec.size > 0)
            f.setPointSize(spec.size);
        f.setBold(spec.bold);
        f.setItalic(spec.italic);
        auto* d = new QFontDialog(f, parent);
        d->setObjectName(QStringLiteral("fontDialog"));
        d->setOption(QFontDialog::DontUseNativeDialog);
        auto* v = new ChooserView(window, d);
        connect(d, &QDialog::finished, v, [v](int r) { v->answerFont(r == QDialog::Accepted); });
        return v;
    }
    if (auto* w = dynamic_cast<rt::ColorDialogWindow*>(&window)) {
        auto* d = new QColorDialog(fromColorRef(w->request().color), parent);
        d->setObjectName(QStringLiteral("colorDialog"));
        d->setOption(QColorDialog::DontUseNativeDialog);
        auto* v = new ChooserView(window, d);
        connect(d, &QDialog::finished, v, [v](int r) { v->answerColor(r == QDialog::Accepted); });
        return v;
    }
    return nullptr;
}

void ChooserView::answerFile(bool accepted)
{
    if (answered_)
        return;
    answered_ = true;
    auto& w = static_cast<rt::FileDialogWindow&>(window_);
    const auto* d = static_cast<QFileDialog*>(dialog_.data());
    if (!accepted || d->selectedFiles().isEmpty())
        return w.answer(std::nullopt);
    rt::FileDialogSpec result = w.request();
    result.fileName = d->selectedFiles().front().toStdString();
    w.answer(result);
}

void ChooserView::answerFont(bool accepted)
{
    if (answered_)
        return;
    answered_ = true;
    auto& w = static_cast<rt::FontDialogWindow&>(window_);
    if (!accepted)
        return w.answer(std::nullopt);
    const QFont f = static_cast<QFontDialog*>(dialog_.data())->selectedFont();
    rt::FontSpec result = w.request(); // the dialog has no colour of its own
    result.name = f.family().toStdString();
    result.size = f.pointSize();
    result.bold = f.bold();
    result.italic = f.italic();
    w.answer(result);
}

void ChooserView::answerColor(bool accepted)
{
    if (answered_)
        return;
    answered_ = true;
    auto& w = static_cast<rt::ColorDialogWindow&>(window_);
    if (!accepted)
        return w.answer(std::nullopt);
    w.answer(rt::ColorSpec{toColorRef(static_cast<QColorDialog*>(dialog_.data())->selectedColor())});
}

void ChooserView::setBlocked(bool blocked)
{
    if (dialog_)
        dialog_->setEnabled(!blocked);
}

void ChooserView::showView()
{
    if (!dialog_ || answered_)
        return;
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void ChooserView::dispose()
{
    answered_ = true;
    if (dialog_) {
        dialog_->hide();
        dialog_->deleteLater(); // takes this view with it
    }
}

} // namespace qv::qt
