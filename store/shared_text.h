// Texts and bytes that the records of one read share. A refresh makes thousands of
// comments and likes: each holds one pointer (and a piece's place) into a counted
// block instead of a copy, or a shared_ptr's two pointers, of its own.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <utility>

// An unchanging text that the records carrying it share: the comments and likes of a
// post hold its id once instead of a copy each. Reads as a std::u16string.
class SharedText {
public:
    SharedText() = default;
    SharedText(std::u16string_view text) : rep_(text.empty() ? nullptr : new Rep(text)) {}
    SharedText(const std::u16string& text) : SharedText(std::u16string_view(text)) {}
    SharedText(const char16_t* text) : SharedText(std::u16string_view(text)) {}
    SharedText(const SharedText& other) noexcept : rep_(other.rep_) {
        if (rep_) rep_->refs.fetch_add(1, std::memory_order_relaxed);
    }
    SharedText(SharedText&& other) noexcept : rep_(std::exchange(other.rep_, nullptr)) {}
    SharedText& operator=(SharedText other) noexcept {
        std::swap(rep_, other.rep_);
        return *this;
    }
    ~SharedText() {
        if (rep_ && rep_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete rep_;
    }

    const std::u16string& str() const { return rep_ ? rep_->text : Empty(); }
    operator const std::u16string&() const { return str(); }
    operator std::u16string_view() const { return str(); }
    bool empty() const { return !rep_; }

    friend bool operator==(const SharedText& a, std::u16string_view b) { return a.str() == b; }
    friend bool operator==(std::u16string_view a, const SharedText& b) { return a == b.str(); }
    friend bool operator!=(const SharedText& a, std::u16string_view b) { return a.str() != b; }
    friend bool operator!=(std::u16string_view a, const SharedText& b) { return a != b.str(); }

private:
    struct Rep {
        explicit Rep(std::u16string_view value) : text(value) {}
        std::atomic<uint32_t> refs{1};
        const std::u16string text;
    };
    static const std::u16string& Empty() {
        static const std::u16string empty;
        return empty;
    }
    Rep* rep_ = nullptr;  // null: empty
};

// Bytes kept in a block that the records of one read share: the comments of a read
// hold their texts side by side in one heap block instead of one block each. Reads as
// a std::string_view; the block lives while any record holds a piece of it.
class SharedBytes {
    struct Header;

public:
    SharedBytes() = default;
    // A block of its own.
    SharedBytes(std::string_view bytes) {
        bytes = bytes.substr(0, std::numeric_limits<uint32_t>::max());
        if (bytes.empty()) return;
        block_ = Header::Make(bytes.size());
        std::memcpy(block_->bytes(), bytes.data(), bytes.size());
        size_ = static_cast<uint32_t>(bytes.size());
    }
    SharedBytes(const char* bytes) : SharedBytes(std::string_view(bytes)) {}
    SharedBytes(const SharedBytes& other) noexcept : block_(other.block_), at_(other.at_), size_(other.size_) {
        if (block_) block_->refs.fetch_add(1, std::memory_order_relaxed);
    }
    SharedBytes(SharedBytes&& other) noexcept
        : block_(std::exchange(other.block_, nullptr)), at_(std::exchange(other.at_, 0)),
          size_(std::exchange(other.size_, 0)) {}
    SharedBytes& operator=(SharedBytes other) noexcept {
        std::swap(block_, other.block_);
        std::swap(at_, other.at_);
        std::swap(size_, other.size_);
        return *this;
    }
    ~SharedBytes() { Header::Release(block_); }

    operator std::string_view() const { return block_ ? std::string_view(block_->bytes() + at_, size_) : std::string_view(); }

    // Fills one block with the pieces of a read; room for all of them is made first,
    // so the block never moves under the pieces already handed out. A piece that does
    // not fit the room left gets a block of its own.
    class Block {
    public:
        explicit Block(size_t capacity)
            : block_(capacity > 0 && capacity <= std::numeric_limits<uint32_t>::max() ? Header::Make(capacity) : nullptr),
              left_(block_ ? capacity : 0) {}
        ~Block() { Header::Release(block_); }
        Block(const Block&) = delete;
        Block& operator=(const Block&) = delete;

        SharedBytes add(std::string_view bytes) {
            if (bytes.empty()) return {};
            if (bytes.size() > left_) return SharedBytes(bytes);
            std::memcpy(block_->bytes() + used_, bytes.data(), bytes.size());
            block_->refs.fetch_add(1, std::memory_order_relaxed);
            SharedBytes piece(block_, used_, static_cast<uint32_t>(bytes.size()));
            used_ += static_cast<uint32_t>(bytes.size());
            left_ -= bytes.size();
            return piece;
        }

    private:
        Header* block_;
        size_t left_;
        uint32_t used_ = 0;
    };

private:
    // The count sits before the bytes, in the one allocation.
    struct Header {
        std::atomic<uint32_t> refs{1};
        char* bytes() { return reinterpret_cast<char*>(this + 1); }
        static Header* Make(size_t capacity) { return new (::operator new(sizeof(Header) + capacity)) Header(); }
        static void Release(Header* block) noexcept {
            if (block && block->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
                block->~Header();
                ::operator delete(block);
            }
        }
    };
    SharedBytes(Header* block, uint32_t at, uint32_t size) : block_(block), at_(at), size_(size) {}
    Header* block_ = nullptr;  // null: no bytes
    uint32_t at_ = 0, size_ = 0;
};
