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

// Pieces kept in a block that the records of one read share: the comments of a read
// hold their texts, and their authors' ids, side by side in one heap block each
// instead of one block per record. Reads as a string view; the block lives while any
// record holds a piece of it.
template <class Char>
class SharedPieces {
    struct Header;

public:
    using View = std::basic_string_view<Char>;

    SharedPieces() = default;
    // A block of its own.
    SharedPieces(View text) {
        text = text.substr(0, std::numeric_limits<uint32_t>::max());
        if (text.empty()) return;
        block_ = Header::Make(text.size());
        std::memcpy(block_->units(), text.data(), text.size() * sizeof(Char));
        size_ = static_cast<uint32_t>(text.size());
    }
    SharedPieces(const Char* text) : SharedPieces(View(text)) {}
    SharedPieces(const std::basic_string<Char>& text) : SharedPieces(View(text)) {}
    SharedPieces(const SharedPieces& other) noexcept : block_(other.block_), at_(other.at_), size_(other.size_) {
        if (block_) block_->refs.fetch_add(1, std::memory_order_relaxed);
    }
    SharedPieces(SharedPieces&& other) noexcept
        : block_(std::exchange(other.block_, nullptr)), at_(std::exchange(other.at_, 0)),
          size_(std::exchange(other.size_, 0)) {}
    SharedPieces& operator=(SharedPieces other) noexcept {
        std::swap(block_, other.block_);
        std::swap(at_, other.at_);
        std::swap(size_, other.size_);
        return *this;
    }
    ~SharedPieces() { Header::Release(block_); }

    operator View() const { return block_ ? View(block_->units() + at_, size_) : View(); }
    View view() const { return *this; }
    bool empty() const { return size_ == 0; }

    friend bool operator==(const SharedPieces& a, View b) { return a.view() == b; }
    friend bool operator==(View a, const SharedPieces& b) { return a == b.view(); }
    friend bool operator!=(const SharedPieces& a, View b) { return a.view() != b; }
    friend bool operator!=(View a, const SharedPieces& b) { return a != b.view(); }

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

        SharedPieces add(View text) {
            if (text.empty()) return {};
            if (text.size() > left_) return SharedPieces(text);
            std::memcpy(block_->units() + used_, text.data(), text.size() * sizeof(Char));
            block_->refs.fetch_add(1, std::memory_order_relaxed);
            SharedPieces piece(block_, used_, static_cast<uint32_t>(text.size()));
            used_ += static_cast<uint32_t>(text.size());
            left_ -= text.size();
            return piece;
        }

    private:
        Header* block_;
        size_t left_;
        uint32_t used_ = 0;
    };

private:
    // The count sits before the units, in the one allocation.
    struct Header {
        std::atomic<uint32_t> refs{1};
        Char* units() { return reinterpret_cast<Char*>(this + 1); }
        static Header* Make(size_t capacity) {
            return new (::operator new(sizeof(Header) + capacity * sizeof(Char))) Header();
        }
        static void Release(Header* block) noexcept {
            if (block && block->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
                block->~Header();
                ::operator delete(block);
            }
        }
    };
    SharedPieces(Header* block, uint32_t at, uint32_t size) : block_(block), at_(at), size_(size) {}
    Header* block_ = nullptr;  // null: nothing
    uint32_t at_ = 0, size_ = 0;  // in units
};

// Bytes, such as a comment's text as the answer carried it.
using SharedBytes = SharedPieces<char>;
// A UTF-16 text, such as the id of a comment's author: the ids of one read share a
// block, where a std::u16string of a long id is a heap block of its own.
using SharedUnits = SharedPieces<char16_t>;
