#include "qvls/core/outside_texts.h"

#include "platform/text/text.h"

#include <variant>

#include "platform/outside/query_wizard.h"
#include "platform/runtime/ini.h"

namespace qv::qvls {

namespace {

struct WizardText {
    int number;
    std::variant<const char*, int> text; // the font sizes go over as numbers
};

// In the order they are handed over.
const WizardText kWizardTexts[] = {
    {1, "Is Equal To"},
    {2, "Is NOT Equal To"},
    {3, "Is Greater Than"},
    {4, "Is Less Than"},
    {5, "Is Greater Than or Equal To"},
    {6, "Is Less Than or Equal To"},
    {7, "Begins With"},
    {9, "Does NOT Begin With"},
    {8, "Contains"},
    {10, "Does NOT Contain"},
    {11, "Is Checked"},
    {12, "Is NOT Checked"},
    {31, "ErrorLoadingQuery"},
    {32, "An error has prevented the Query Wizard from loading your query at this time."},
    {33, "Invalid Query"},
    {34, "The query you have designed is invalid.|Please review your query and correct the problem."},
    {35, "Overwrite Query"},
    {36, "Do you want to overwrite the query you are editing?"},
    {37, "Query No Longer Valid"},
    {38,
        "This query is no longer valid because fields|and/or expressions were renamed or deleted from|the "
        "database after you created the query.| |You should go through the query and make the|necessary "
        "corrections to fix this query."},
    {39, "Restricted Query"},
    {40, "Sorry, this is a restricted query and may not be modified."},
    {41, "Save Query"},
    {42, "Would you like to save this query?"},
    {71, "MS Sans Serif"},
    {72, 10},
    {73, "MS Sans Serif"},
    {74, 10},
    {75, "MS Sans Serif"},
    {76, 8},
    {77, "MS Sans Serif"},
    {78, 8},
    {79, "MS Sans Serif"},
    {80, 12},
    {100, ""},
    {101, "Add a New AND Query Element"},
    {102, "New AND Condition"},
    {103, "&AND"},
    {104, "Go Back to the Previous Page"},
    {105, "Goto Previous Page"},
    {106, "< &Back"},
    {107, "Cancel Changes and Exit Wizard"},
    {108, "Cancel Changes"},
    {109, "Cancel"},
    {110, "Change Query Element"},
    {111, "Change Element"},
    {112, "&Change"},
    {113, "Delete Query Element"},
    {114, "Delete Element"},
    {115, "&Delete"},
    {116, "Finish the Wizard and Run Query"},
    {117, "Run the Query"},
    {118, "&Finish"},
    {119, "Manually Enter Query Criteria"},
    {120, "Manual Query Entry"},
    {121, "&Manual"},
    {122, "Go Forward to the Next Page"},
    {123, "Goto Next Page"},
    {124, "&Next >"},
    {125, "Add a New OR Query Element"},
    {126, "New OR Condition"},
    {127, "O&R"},
    {151, "Constant &Value"},
    {152, "E&xpression"},
    {153, "&Another Field"},
    {154, "Current Query"},
    {155, "Add conditions by pressing the AND or OR buttons."},
    {156, "Press Change or Delete to modify a condition."},
    {157, "Enter a value to complete your expression."},
    {158, "Field Selection"},
    {159, "Fields to Evaluate"},
    {160, "Manual Override"},
    {161, "Compare Using Absolute Values"},
    {162, "Compare Using Case Sensitive Matching"},
    {163, "(New Query)"},
    {164, "Operation Selection"},
    {165, "Query Operations"},
    {166, "Select a field from the list below."},
    {167, "Select an Option Below"},
    {168, "Select a query operation to perform on the selected field."},
    {169, "Value Entry"},
    {170, "1"},
    {171, "Query Wizard"},
    {200, ""},
    {201, "Query Description"},
    {202, "Queries"},
    {203, "Edit the Selected Query"},
    {204, "Edit Query"},
    {205, "&Change"},
    {206, "Cancel Request to Select a Saved Query"},
    {207, "Cancel Query Request"},
    {208, "Cl&ose"},
    {209, "Remove the Selected Query"},
    {210, "Remove Query"},
    {211, "&Delete"},
    {212, "Add a New Query"},
    {213, "Add Query"},
    {214, "&New"},
    {215, "Run the Selected Query"},
    {216, "Run Query"},
    {217, "&Select"},
    {218, "MS Sans Serif"},
    {219, 8},
    {220, "Query No Longer Valid"},
    {221,
        "This query is no longer valid because fields|and/or expressions were renamed or deleted from|the "
        "database after you created the query.| |You must edit the query and fix the problems|before it can "
        "be used."},
    {230, ""},
    {231, "Enter a new description for the query or press OK to accept the existing description."},
    {232, "Enter a description for the new query."},
    {233, "Change Existing Query"},
    {234, "Delete Saved Query"},
    {235, "Add New Query"},
    {236, "Query Description:"},
    {237, "Cancel Save and Go Back to Editing Query"},
    {238, "Cancel Save"},
    {239, "Cancel"},
    {240, "Accept Description and Save Query"},
    {241, "Save Query"},
    {242, "&OK"},
    {243, "MS Sans Serif"},
    {244, 8},
    {300, "Converting Saved Query Data -- Please Wait..."},
    {301, "Converting Data File Structure  -- Please Wait..."},
    {302, "All Records"},
    {303, "Custom Query..."},
};

} // namespace

void SetQueryWizardTexts()
{
    outside::QueryWizard& wizard = outside::queryWizard();
    for (const WizardText& t : kWizardTexts) {
        if (const int* size = std::get_if<int>(&t.text))
            wizard.setDisplayText(t.number, *size);
        else
            wizard.setDisplayText(t.number, std::get<const char*>(t.text));
    }
}

ReportDisplayStrings& reportDisplayStrings()
{
    static ReportDisplayStrings strings;
    return strings;
}

void LoadReportDisplayStrings(std::string_view iniName, std::string_view userText, std::string_view previewTitle,
    std::string_view previewQuestion)
{
    iniName = text::trimRight(iniName);
    const rt::IniFile ini = rt::IniFile::named(iniName.empty() ? std::string_view("WIN.INI") : iniName);
    ReportDisplayStrings& s = reportDisplayStrings();
    auto read = [&](std::string& global, std::string_view key, std::string_view def, std::size_t length = 64) {
        global = text::firstChars(ini.get("DISPLAY STRINGS 2.0", key, def), length);
    };
    read(s.ProgWinTitlePrvw, "ProgWinTitlePrvw", "Generating Report");
    read(s.ProgWinTitlePrnt, "ProgWinTitlePrnt", "Printing Report");
    read(s.ProgWinPctText, "ProgWinPctText", "% Completed");
    read(s.ProgWinRecText, "ProgWinRecText", "Records Read");
    read(s.ProgWinUsrText, "ProgWinUsrText", userText);
    read(s.PrinterDlgTitle, "PrinterDlgTitle", "Report Destination");
    read(s.AskPrvwDialogTitle, "AskPrvwDialogTitle", previewTitle);
    read(s.AskPrvwDialogText, "AskPrvwDialogText", previewQuestion);
    read(s.CancelAreYouSureTitle, "CancelAreYouSureTitle", "Question");
    read(s.CancelAreYouSureText, "CancelAreYouSureText", "Are you sure you want to CANCEL this Report?");
    read(s.CancelPrvwPartialTitle, "CancelPrvwPartialTitle", "Question");
    read(s.CancelPrvwPartialText, "CancelPrvwPartialText",
        "Report Cancellation Requested!||Preview Report generated so far?", 128);
    read(s.NoDfltPrtrTitle, "NoDfltPrtrTitle", "WARNING!");
    read(s.NoDfltPrtrText, "NoDfltPrtrText",
        "Warning:  No DEFAULT Printer Driver Found!||Printing may not occur correctly (or at all)|without a "
        "Default printer assigned.||Use CONTROL PANEL (PRINTERS) to set a|printer as your Default.||Continue "
        "with report anyway?",
        255);
    read(s.NothingToPrvwTitle, "NothingToPrvwTitle", "NOTE...");
    read(s.NothingToPrvwText, "NothingToPrvwText", "Nothing to Preview.");
    read(s.NothingToPrntTitle, "NothingToPrntTitle", "NOTE...");
    read(s.NothingToPrntText, "NothingToPrntText", "Nothing to Print.");
    read(s.AsciiOutTitle, "AsciiOutTitle", "Save to what Filename?");
    read(s.AsciiOutMasks, "AsciiOutMasks", "Text|*.TXT|All Files|*.*");
    read(s.DynLblErrTitle, "DynLblErrTitle", "Problem!");
    read(s.DynLblErrText1, "DynLblErrText1", "Sorry!||");
    read(s.DynLblErrText2, "DynLblErrText2", "||Does not support paper type:");
}

} // namespace qv::qvls
