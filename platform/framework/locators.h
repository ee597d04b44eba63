#pragma once
// Locators: keys typed on a list move it to the first row whose free key
// field starts with what was typed.

#include <string>
#include <vector>

namespace qv::fw {

class ListBrowser;

class Locator
{
public:
    virtual ~Locator() = default;
    // The entries of the window that show what was typed (two tabs may show
    // one locator); none by default.
    void setEntry(std::string control) { entries_.push_back(std::move(control)); }
    const std::vector<std::string>& entries() const { return entries_; }

    // A key the list received; true when the locator used it.
    virtual bool takeKey(int keyCode, ListBrowser& list) = 0;
    // The list scrolled or changed its order: start again.
    virtual void reset() { }
    // Whether the locator wants this key at all (the list registers them).
    virtual bool wantsKey(int keyCode) const;
    virtual const std::string& typed() const;

    // The character a key types, or 0 for keys that type nothing.
    static char charOf(int keyCode);

protected:
    std::vector<std::string> entries_;
};

// A typed character moves to the first row that begins with it.
class KeyJumpLocator : public Locator
{
public:
    bool takeKey(int keyCode, ListBrowser& list) override;
};

// The characters typed so far locate together; Backspace takes one back.
class TypedPrefixLocator : public Locator
{
public:
    bool takeKey(int keyCode, ListBrowser& list) override;
    void reset() override;
    bool wantsKey(int keyCode) const override;
    const std::string& typed() const override { return typed_; }

private:
    void show(ListBrowser& list);
    std::string typed_;
};

} // namespace qv::fw
