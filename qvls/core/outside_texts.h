#pragma once
// The texts the program hands to the outside libraries: the query wizard's
// numbered display texts, and the texts shown around the report previewer.

#include <string>
#include <string_view>

namespace qv::qvls {

// Hands the query wizard all its texts; once, at start.
void SetQueryWizardTexts();

// The previewer's texts; each report refills them as it prepares.
struct ReportDisplayStrings {
    std::string ProgWinTitlePrvw;
    std::string ProgWinTitlePrnt;
    std::string ProgWinPctText;
    std::string ProgWinRecText;
    std::string ProgWinUsrText;
    std::string PrinterDlgTitle;
    std::string AskPrvwDialogTitle;
    std::string AskPrvwDialogText;
    std::string CancelAreYouSureTitle;
    std::string CancelAreYouSureText;
    std::string CancelPrvwPartialTitle;
    std::string CancelPrvwPartialText;
    std::string NoDfltPrtrTitle;
    std::string NoDfltPrtrText;
    std::string NothingToPrvwTitle;
    std::string NothingToPrvwText;
    std::string NothingToPrntTitle;
    std::string NothingToPrntText;
    std::string AsciiOutTitle;
    std::string AsciiOutMasks;
    std::string DynLblErrTitle;
    std::string DynLblErrText1;
    std::string DynLblErrText2;
};

ReportDisplayStrings& reportDisplayStrings();

// Reads section "DISPLAY STRINGS 2.0" of the INI file (a bare name such as
// "CPCSRPTS.INI" lives in the configuration folder; an empty name reads
// "WIN.INI"), each value cut to its length.
void LoadReportDisplayStrings(std::string_view iniName, std::string_view userText, std::string_view previewTitle,
    std::string_view previewQuestion);

// What every listing report passes.
inline constexpr std::string_view kReportStringsIni = "CPCSRPTS.INI";
inline constexpr std::string_view kPreviewTitle = "Preview";
inline constexpr std::string_view kPreviewQuestion = "Do you wish to PREVIEW this Report?";

} // namespace qv::qvls
