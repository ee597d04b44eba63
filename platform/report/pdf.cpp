#include "platform/report/pdf.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "platform/report/fonts.h"
#include "platform/report/render.h"

namespace qv::report {

namespace {

QPageLayout layoutOf(const PageSetup& setup)
{
    // The setup gives the paper upright; landscape turns it.
    const QPageSize paper(
        QSizeF(setup.width / 1000.0, setup.height / 1000.0), QPageSize::Inch, QString(), QPageSize::FuzzyMatch);
    return QPageLayout(paper, setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

} // namespace

bool writePdf(const PageQueue& queue, const std::string& fileName, const std::string& title, std::string& error)
{
    ensureFontSystem();
    const QString name = QString::fromStdString(fileName);
    if (queue.empty()) {
        error = "There are no pages to write to " + fileName + ".";
        return false;
    }
    // Written beside the target and renamed over it when complete, so a
    // failure never leaves half a document under the chosen name.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        error = "The file " + fileName + " cannot be written: " + file.errorString().toStdString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(QString::fromStdString(title));
        writer.setCreator(QStringLiteral("Quorvel Pro"));
        writer.setPageLayout(layoutOf(queue.setup()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            error = "The file " + fileName + " cannot be written.";
            return false;
        }
        for (std::size_t i = 0; i < queue.size(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, queue.page(i), writer.resolution());
        }
        painter.end();
    }
    if (file.error() != QFileDevice::NoError || !file.commit()) {
        error = "The file " + fileName + " cannot be written: " + file.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace qv::report
