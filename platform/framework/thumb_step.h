#pragma once
// Scroll thumbs of lists that show one page of a large view: the thumb's
// place (0 to 100) is worked out from the highlighted row's value of the free
// key field, and a thumb moved by the user becomes a value to locate. Neither
// direction counts rows, so a thumb costs the same over a million rows as
// over ten.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::tables {
class View;
class Record;
} // namespace qv::tables

namespace qv::fw {

class ThumbStep
{
public:
    virtual ~ThumbStep() = default;
    // Learns the range of values from the view's first and last rows where it
    // needs one (two keyed reads); field is the free field of the primary
    // record. The view is left at its start.
    virtual void init(tables::View&, tables::Record&, int /*field*/) { }
    // 0..100 for a value of the free field.
    virtual int Position(std::string_view value) const = 0;
    // The value to locate for a thumb place of 0..100.
    virtual std::string Value(int percent) const = 0;
};

// Text keys: the first character's place in an alphabet.
class ThumbStepText : public ThumbStep
{
public:
    static constexpr std::string_view Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static constexpr std::string_view LettersDigitsPunctuation
        = " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`{|}~";

    explicit ThumbStepText(std::string_view alphabet = Letters);
    int Position(std::string_view value) const override;
    std::string Value(int percent) const override;

private:
    std::string alphabet_;
};

// Whole numbers between the view's lowest and highest value.
class ThumbStepLong : public ThumbStep
{
public:
    ThumbStepLong() = default;
    ThumbStepLong(std::int64_t low, std::int64_t high)
        : low_(low)
        , high_(high)
        , fixed_(true)
    { }
    void init(tables::View& view, tables::Record& record, int field) override;
    int Position(std::string_view value) const override;
    std::string Value(int percent) const override;
    std::int64_t low() const { return low_; }
    std::int64_t high() const { return high_; }

private:
    std::int64_t low_ = 0, high_ = 0;
    bool fixed_ = false;
};

// Numbers with places, between the view's lowest and highest value.
class ThumbStepReal : public ThumbStep
{
public:
    ThumbStepReal() = default;
    ThumbStepReal(double low, double high)
        : low_(low)
        , high_(high)
        , fixed_(true)
    { }
    void init(tables::View& view, tables::Record& record, int field) override;
    int Position(std::string_view value) const override;
    std::string Value(int percent) const override;

private:
    double low_ = 0, high_ = 0;
    bool fixed_ = false;
};

// A fixed, ordered list of values (each one step of the thumb).
class ThumbStepList : public ThumbStep
{
public:
    explicit ThumbStepList(std::vector<std::string> values = {})
        : values_(std::move(values))
    { }
    void setValues(std::vector<std::string> values) { values_ = std::move(values); }
    int Position(std::string_view value) const override;
    std::string Value(int percent) const override;

private:
    std::vector<std::string> values_;
};

} // namespace qv::fw
