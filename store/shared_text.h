// An unchanging text that the records carrying it share: the comments and likes of a
// post hold its id once instead of a copy each. Reads as a std::u16string.
#pragma once
#include <memory>
#include <string>
#include <string_view>

class SharedText {
public:
    SharedText() = default;
    SharedText(std::u16string_view text)
        : text_(text.empty() ? nullptr : std::make_shared<const std::u16string>(text)) {}
    SharedText(const std::u16string& text) : SharedText(std::u16string_view(text)) {}
    SharedText(const char16_t* text) : SharedText(std::u16string_view(text)) {}

    const std::u16string& str() const { return text_ ? *text_ : Empty(); }
    operator const std::u16string&() const { return str(); }
    operator std::u16string_view() const { return str(); }
    bool empty() const { return !text_; }

    friend bool operator==(const SharedText& a, std::u16string_view b) { return a.str() == b; }
    friend bool operator==(std::u16string_view a, const SharedText& b) { return a == b.str(); }
    friend bool operator!=(const SharedText& a, std::u16string_view b) { return a.str() != b; }
    friend bool operator!=(std::u16string_view a, const SharedText& b) { return a != b.str(); }

private:
    static const std::u16string& Empty() {
        static const std::u16string empty;
        return empty;
    }
    std::shared_ptr<const std::u16string> text_;  // null: empty
};
