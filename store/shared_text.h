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

// Bytes kept in a block that the records of one read share: the comments of a read
// hold their texts side by side in one heap block instead of one block each. Reads as
// a std::string_view; the block lives while any record holds a piece of it.
class SharedBytes {
public:
    SharedBytes() = default;
    // A block of its own.
    SharedBytes(std::string_view bytes) {
        if (bytes.empty()) return;
        auto block = std::make_shared<const std::string>(bytes);
        view_ = *block;
        block_ = std::move(block);
    }
    SharedBytes(const char* bytes) : SharedBytes(std::string_view(bytes)) {}

    operator std::string_view() const { return view_; }

    // Fills one block with the pieces of a read; room for all of them is made first,
    // so the block never moves under the pieces already handed out.
    class Block {
    public:
        explicit Block(size_t capacity) : block_(std::make_shared<std::string>()) { block_->reserve(capacity); }
        SharedBytes add(std::string_view bytes) {
            if (bytes.empty()) return {};
            if (block_->capacity() - block_->size() < bytes.size()) return SharedBytes(bytes);
            const size_t at = block_->size();
            block_->append(bytes);
            return SharedBytes(block_, std::string_view(*block_).substr(at, bytes.size()));
        }

    private:
        std::shared_ptr<std::string> block_;
    };

private:
    SharedBytes(std::shared_ptr<const std::string> block, std::string_view view)
        : block_(std::move(block)), view_(view) {}
    std::shared_ptr<const std::string> block_;
    std::string_view view_;
};
