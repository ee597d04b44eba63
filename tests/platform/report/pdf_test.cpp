#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>

#include "platform/report/pdf.h"
#include "report_fixture.h"

namespace qv::report {
namespace {

using namespace testing;

TEST(PdfTest, EveryEntryBecomesAPageInOrder)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("three.pdf").toStdString();
    std::string error;
    ASSERT_TRUE(writePdf(threePages(), path, "Songs by Media", error)) << error;
    EXPECT_EQ(pdfInfo(path, "Pages"), "3");
    EXPECT_EQ(pdfInfo(path, "Title"), "Songs by Media");
    EXPECT_EQ(pdfInfo(path, "Page size"), "612 x 792 pts (letter)");
    const std::string text = pdfText(path);
    const std::size_t first = text.find("First page"), second = text.find("Second page"),
                      third = text.find("Third page");
    ASSERT_NE(third, std::string::npos) << text;
    EXPECT_LT(first, text.find('\f'));
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
}

TEST(PdfTest, CopiesAndLandscapePaperAreKept)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("copies.pdf").toStdString();
    PageQueue queue = threePages(PageSetup{8500, 14000, true});
    queue.multiply(2);
    std::string error;
    ASSERT_TRUE(writePdf(queue, path, "Copies", error)) << error;
    EXPECT_EQ(pdfInfo(path, "Pages"), "6");
    EXPECT_EQ(pdfInfo(path, "Page size"), "1008 x 612 pts");
}

TEST(PdfTest, AFileThatCannotBeWrittenIsNamedAndNotLeftBehind)
{
    QTemporaryDir dir;
    // A folder that is a file: no user, not even root, can write into it.
    const std::string blocker = dir.filePath("plain").toStdString();
    QFile(QString::fromStdString(blocker)).open(QIODevice::WriteOnly);
    const std::string path = blocker + "/out.pdf";
    std::string error;
    EXPECT_FALSE(writePdf(threePages(), path, "Songs", error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::directory_iterator(dir.path().toStdString())->path().filename(), "plain")
        << "no temporary file stays behind";
}

TEST(PdfTest, AnEmptyQueueWritesNothing)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("empty.pdf").toStdString();
    std::string error;
    EXPECT_FALSE(writePdf(PageQueue{}, path, "Nothing", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
} // namespace qv::report
