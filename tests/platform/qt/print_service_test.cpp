#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/qt/print_service.h"
#include "qt_fixture.h"

namespace qv::qt::testing {
namespace {

TEST_F(QtHostTest, TheHostInstallsTheDesktopsPrintersAndTakesThemAway)
{
    ASSERT_NE(rt::printService(), nullptr);
    EXPECT_NE(dynamic_cast<QtPrintService*>(rt::printService()), nullptr);
    host_.reset();
    EXPECT_EQ(rt::printService(), nullptr);
}

TEST_F(QtHostTest, WithoutAPrinterAJobIsRefusedInWords)
{
    // A machine with printers would print the job for real.
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has printers";
    rt::PrintService& service = *rt::printService();
    EXPECT_EQ(service.printerName(), "");
    EXPECT_FALSE(service.printerMakesCopies());
    bool painted = false;
    rt::PrintJob job;
    job.pageCount = 1;
    job.paintPage = [&painted](QPainter&, std::size_t, double) { painted = true; };
    const rt::PrintResult result = service.print(job);
    EXPECT_FALSE(result.printed);
    EXPECT_EQ(result.error, rt::kNoPrinterText);
    EXPECT_FALSE(painted);
}

// What a PDF reader finds in the file: its text, page by page, and its
// first page's size.
std::pair<QString, QString> readPdf(const QString& file)
{
    QProcess text;
    text.start("pdftotext", {"-layout", file, "-"});
    text.waitForFinished();
    QProcess info;
    info.start("pdfinfo", {file});
    info.waitForFinished();
    return {QString::fromUtf8(text.readAllStandardOutput()), QString::fromUtf8(info.readAllStandardOutput())};
}

TEST_F(QtHostTest, AJobPrintsEachPageOnTheJobsPaper)
{
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty() || QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath("job.pdf");
    auto& service = dynamic_cast<QtPrintService&>(*rt::printService());
    service.printer().setOutputFileName(file);

    rt::PrintJob job;
    job.documentName = "Songs by Media";
    job.pageWidth = 5000;
    job.pageHeight = 7000;
    job.landscape = true;
    job.pageCount = 3;
    std::vector<double> resolutions;
    job.paintPage = [&resolutions](QPainter& painter, std::size_t page, double dotsPerInch) {
        resolutions.push_back(dotsPerInch);
        painter.setFont(QFont("Liberation Sans", 12));
        painter.drawText(QPointF(dotsPerInch, dotsPerInch), QStringLiteral("Sheet %1").arg(page + 1));
    };
    const rt::PrintResult result = service.print(job);
    ASSERT_TRUE(result.printed) << result.error;
    ASSERT_EQ(resolutions.size(), 3u);
    EXPECT_GE(resolutions[0], 300);

    const auto [text, info] = readPdf(file);
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+3\\b"))) << info.toStdString();
    // Five by seven inches turned: 504 by 360 points.
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+504 x 360 pts"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+Songs by Media"))) << info.toStdString();
    const QStringList sheets = text.split('\f');
    ASSERT_GE(sheets.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(sheets[i].trimmed(), QStringLiteral("Sheet %1").arg(i + 1));
}

} // namespace
} // namespace qv::qt::testing
