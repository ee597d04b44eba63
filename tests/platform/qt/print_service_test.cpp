#include <QPrinterInfo>

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

} // namespace
} // namespace qv::qt::testing
