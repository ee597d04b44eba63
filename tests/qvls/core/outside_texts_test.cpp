#include "core_fixture.h"

#include <set>

#include "platform/outside/query_wizard.h"
#include "qvls/core/outside_texts.h"

namespace qv::qvls::testing {
namespace {

TEST(QueryWizardTexts, EveryNumberGetsItsText)
{
    outside::QueryWizard& wizard = outside::queryWizard();
    wizard.setDisplayText(8, "stale"); // texts handed over replace what the wizard had
    SetQueryWizardTexts();

    std::set<int> expected;
    for (auto [from, to] :
        {std::pair{1, 12}, {31, 42}, {71, 80}, {100, 127}, {151, 171}, {200, 221}, {230, 244}, {300, 303}})
        for (int n = from; n <= to; ++n)
            expected.insert(n);
    ASSERT_EQ(expected.size(), 124u);
    std::set<int> got;
    for (const auto& [number, text] : wizard.displayTexts())
        got.insert(number);
    EXPECT_EQ(got, expected);

    const std::vector<std::pair<int, std::string>> samples{
        {1, "Is Equal To"},
        {8, "Contains"},
        {9, "Does NOT Begin With"},
        {12, "Is NOT Checked"},
        {38,
            "This query is no longer valid because fields|and/or expressions were renamed or deleted from|the "
            "database after you created the query.| |You should go through the query and make the|necessary "
            "corrections to fix this query."},
        {71, "MS Sans Serif"},
        {72, "10"},
        {76, "8"},
        {80, "12"},
        {100, ""},
        {106, "< &Back"},
        {124, "&Next >"},
        {127, "O&R"},
        {170, "1"},
        {171, "Query Wizard"},
        {200, ""},
        {208, "Cl&ose"},
        {219, "8"},
        {221,
            "This query is no longer valid because fields|and/or expressions were renamed or deleted from|the "
            "database after you created the query.| |You must edit the query and fix the problems|before it can "
            "be used."},
        {230, ""},
        {242, "&OK"},
        {244, "8"},
        {301, "Converting Data File Structure  -- Please Wait..."},
        {303, "Custom Query..."},
    };
    for (const auto& [number, text] : samples)
        EXPECT_EQ(wizard.displayText(number), text) << number;
    EXPECT_TRUE(wizard.hasDisplayText(100));
    EXPECT_FALSE(wizard.hasDisplayText(13));
}

class ReportStrings : public CollectionFolder
{
protected:
    void load(std::string_view name = kReportStringsIni)
    {
        LoadReportDisplayStrings(name, "", kPreviewTitle, kPreviewQuestion);
    }
    void writeIni(const std::string& name, const std::string& body)
    {
        std::filesystem::create_directories(config(""));
        writeFile(config(name), "[DISPLAY STRINGS 2.0]\n" + body);
    }
};

TEST_F(ReportStrings, DefaultsWithoutAFile)
{
    reportDisplayStrings().ProgWinUsrText = "left over";
    load();
    const ReportDisplayStrings& s = reportDisplayStrings();
    EXPECT_EQ(s.ProgWinTitlePrvw, "Generating Report");
    EXPECT_EQ(s.ProgWinTitlePrnt, "Printing Report");
    EXPECT_EQ(s.ProgWinPctText, "% Completed");
    EXPECT_EQ(s.ProgWinRecText, "Records Read");
    EXPECT_EQ(s.ProgWinUsrText, "");
    EXPECT_EQ(s.PrinterDlgTitle, "Report Destination");
    EXPECT_EQ(s.AskPrvwDialogTitle, "Preview");
    EXPECT_EQ(s.AskPrvwDialogText, "Do you wish to PREVIEW this Report?");
    EXPECT_EQ(s.CancelAreYouSureTitle, "Question");
    EXPECT_EQ(s.CancelAreYouSureText, "Are you sure you want to CANCEL this Report?");
    EXPECT_EQ(s.CancelPrvwPartialTitle, "Question");
    EXPECT_EQ(s.CancelPrvwPartialText, "Report Cancellation Requested!||Preview Report generated so far?");
    EXPECT_EQ(s.NoDfltPrtrTitle, "WARNING!");
    EXPECT_EQ(s.NoDfltPrtrText,
        "Warning:  No DEFAULT Printer Driver Found!||Printing may not occur correctly (or at all)|without a "
        "Default printer assigned.||Use CONTROL PANEL (PRINTERS) to set a|printer as your Default.||Continue "
        "with report anyway?");
    EXPECT_EQ(s.NothingToPrvwTitle, "NOTE...");
    EXPECT_EQ(s.NothingToPrvwText, "Nothing to Preview.");
    EXPECT_EQ(s.NothingToPrntTitle, "NOTE...");
    EXPECT_EQ(s.NothingToPrntText, "Nothing to Print.");
    EXPECT_EQ(s.AsciiOutTitle, "Save to what Filename?");
    EXPECT_EQ(s.AsciiOutMasks, "Text|*.TXT|All Files|*.*");
    EXPECT_EQ(s.DynLblErrTitle, "Problem!");
    EXPECT_EQ(s.DynLblErrText1, "Sorry!||");
    EXPECT_EQ(s.DynLblErrText2, "||Does not support paper type:");
}

TEST_F(ReportStrings, TheFileOverridesOnlyWhatItHolds)
{
    writeIni("CPCSRPTS.INI", "progwintitleprvw=Rapport en cours\n");
    load();
    const ReportDisplayStrings& s = reportDisplayStrings();
    EXPECT_EQ(s.ProgWinTitlePrvw, "Rapport en cours");
    EXPECT_EQ(s.ProgWinTitlePrnt, "Printing Report");
    EXPECT_EQ(s.AskPrvwDialogTitle, "Preview");

    // The caller's texts are only defaults.
    LoadReportDisplayStrings("CPCSRPTS.INI", "Songs", "Look first?", "Show it?");
    EXPECT_EQ(s.ProgWinUsrText, "Songs");
    EXPECT_EQ(s.AskPrvwDialogTitle, "Look first?");
    EXPECT_EQ(s.AskPrvwDialogText, "Show it?");
}

TEST_F(ReportStrings, EmptyNameReadsWinIni)
{
    writeIni("WIN.INI", "ProgWinPctText=% fertig\n");
    writeIni("CPCSRPTS.INI", "ProgWinPctText=% done\n");
    load("");
    EXPECT_EQ(reportDisplayStrings().ProgWinPctText, "% fertig");
    load("   ");
    EXPECT_EQ(reportDisplayStrings().ProgWinPctText, "% fertig");
    load("CPCSRPTS.INI  ");
    EXPECT_EQ(reportDisplayStrings().ProgWinPctText, "% done");
}

TEST_F(ReportStrings, ValuesAreCutToTheirSize)
{
    writeIni("CPCSRPTS.INI",
        "AskPrvwDialogText=" + std::string(100, 'q') + "\nCancelPrvwPartialText=" + std::string(200, 'c')
            + "\nNoDfltPrtrText=" + std::string(300, 'n') + "\nNothingToPrntText=" + std::string(64, 'e')
            + "\nDynLblErrText1=" + std::string(70, 'e') + "ü" + "\n");
    load();
    const ReportDisplayStrings& s = reportDisplayStrings();
    EXPECT_EQ(s.AskPrvwDialogText, std::string(64, 'q'));
    EXPECT_EQ(s.CancelPrvwPartialText, std::string(128, 'c'));
    EXPECT_EQ(s.NoDfltPrtrText, std::string(255, 'n'));
    EXPECT_EQ(s.NothingToPrntText, std::string(64, 'e'));
    EXPECT_EQ(s.DynLblErrText1, std::string(64, 'e'));
}

} // namespace
} // namespace qv::qvls::testing
