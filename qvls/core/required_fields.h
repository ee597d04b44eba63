#pragma once
// The check a form or wizard makes before it saves: every control marked as
// required holds a value, and the first one that does not is focused and
// named to the user.

#include <string>
#include <string_view>
#include <vector>

namespace qv::rt {
class Window;
}

namespace qv::qvls {

inline constexpr std::string_view kMissingTitle = "Missing Information";
inline constexpr std::string_view kMissingTemplate = "@PROMPT must be entered.";

class RequiredFields
{
public:
    struct Field {
        int feq = 0;
        std::string prompt; // 80 characters, without "&" and ":"
        std::string msg; // 80
        std::string tip; // 80
        std::string fldName; // 40
    };
    struct FieldText {
        int feq = 0;
        std::string title;
        std::string text;
    };

    // Right after the window opened: keeps the title and the template
    // ("@PROMPT", "@MSG", "@TIP", "@FIELD") and collects the window's
    // required controls, each with the last prompt before it.
    void Prepare(
        rt::Window& window, std::string_view title, std::string_view templ, bool validateOnFieldAccept = false);
    void SetField(int control, bool addIfMissing, std::string_view prompt, std::string_view message,
        std::string_view tip, std::string_view fieldName);
    // The first missing control's number, after focusing it and telling the
    // user; 0 when nothing is missing.
    int Validate(bool onlyVisible = false);
    // The message for the control Validate stopped at.
    void showMissing();
    void Release();

    const std::vector<Field>& fields() const { return fields_; }
    // A control with a message of its own instead of the template.
    void setFieldText(int control, std::string_view title, std::string_view text);
    // The message ShowMissing gives for a field with the template.
    std::string messageFor(const Field& field) const;

private:
    Field* find(int feq);

    rt::Window* window_ = nullptr;
    std::vector<Field> fields_; // ascending control numbers
    std::vector<FieldText> fieldTexts_;
    std::string title_;
    std::string text_;
    bool validateOnFieldAccept_ = false;
    int current_ = 0;
};

} // namespace qv::qvls
