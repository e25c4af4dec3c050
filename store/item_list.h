// The one container of the program: a singly linked list appended at the tail. Each
// node carries up to two keys, a time stamp, its own record (the payload) and
// references to the item's flags word and mark word. Node addresses stay stable while
// the list lives, because records refer to each other. A node's keys never change once
// it is linked: the list's own indexes by key rely on it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "store/shared_text.h"

// Flags word bits.
constexpr uint32_t ItemRead = 1;
constexpr uint32_t ItemMuted = 2;

// Where a node's state references point until its parser redirects them. Both stay 0:
// nothing writes through a reference that still points here.
extern uint32_t DefaultFlagsWord;
extern uint32_t DefaultMarkWord;

// Hash of a key: ids are short, so four units at a time with one multiply each beats
// the library's byte hash for them.
struct ItemKeyHash {
    size_t operator()(std::u16string_view key) const noexcept {
        uint64_t h = 0x9E3779B97F4A7C15ull ^ key.size();
        const char16_t* p = key.data();
        size_t n = key.size();
        for (; n >= 4; p += 4, n -= 4) {
            uint64_t word;
            std::memcpy(&word, p, sizeof word);
            h = (h ^ word) * 0xff51afd7ed558ccdull;
            h ^= h >> 32;
        }
        for (; n > 0; ++p, --n) h = (h ^ *p) * 0xc4ceb9fe1a85ec53ull;
        return static_cast<size_t>(h ^ (h >> 29));
    }
};

// Whether two keys hold the same units. Equal units are equal bytes: one library
// compare, where the text type's own equality walks unit by unit.
inline bool SameKeyText(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

// An index's key with its hash beside it: a comparison looks at the hashes before the
// texts.
struct HashedItemKey {
    std::u16string_view text;
    size_t hash;
    explicit HashedItemKey(std::u16string_view key) : text(key), hash(ItemKeyHash{}(key)) {}
    bool operator==(const HashedItemKey& other) const { return hash == other.hash && SameKeyText(text, other.text); }
};

// The keys one read meets, each with a value, for finding a key again within the read:
// open addressing over the keys' hashes, so that a lookup compares integers and at most
// one text. The texts are views that must outlive the table.
template <class V>
class KeyTextTable {
public:
    explicit KeyTextTable(size_t expected = 8) {
        size_t size = 16;
        while (size < 2 * expected) size *= 2;
        slots_.resize(size);
    }
    const V* find(std::u16string_view key, size_t hash) const {
        const size_t mask = slots_.size() - 1;
        for (size_t at = hash & mask; slots_[at].used; at = (at + 1) & mask)
            if (slots_[at].hash == hash && SameKeyText(slots_[at].key, key)) return &slots_[at].value;
        return nullptr;
    }
    // False, and the value already there kept, when the key is in the table.
    bool add(std::u16string_view key, size_t hash, V value) {
        if (find(key, hash)) return false;
        if (2 * (count_ + 1) > slots_.size()) grow();
        const size_t mask = slots_.size() - 1;
        size_t at = hash & mask;
        while (slots_[at].used) at = (at + 1) & mask;
        slots_[at] = Slot{hash, key, std::move(value), true};
        ++count_;
        return true;
    }

private:
    struct Slot {
        size_t hash = 0;
        std::u16string_view key;
        V value{};
        bool used = false;
    };
    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (Slot& slot : old) {
            if (!slot.used) continue;
            size_t at = slot.hash & mask;
            while (slots_[at].used) at = (at + 1) & mask;
            slots_[at] = std::move(slot);
        }
    }
    std::vector<Slot> slots_;  // a power of two in size, at most half full
    size_t count_ = 0;
};

template <class T>
struct ItemNode {
    ItemNode* next = nullptr;
    // Views of the payload's own id fields where the list keys by them, else of
    // the node's own copies; empty: no key.
    std::u16string_view key1;
    std::u16string_view key2;
    int32_t stamp = 0;
    T payload{};
    uint32_t* flagsRef = &DefaultFlagsWord;
    uint32_t* markRef = &DefaultMarkWord;

    uint32_t flags() const { return *flagsRef; }
    uint32_t mark() const { return *markRef; }
    // Writes only through redirected references.
    void setFlags(uint32_t value) {
        if (flagsRef != &DefaultFlagsWord) *flagsRef = value;
    }
    void setMark(uint32_t value) {
        if (markRef != &DefaultMarkWord) *markRef = value;
    }
    bool unseen() const { return (flags() & (ItemRead | ItemMuted)) == 0 && mark() == 0; }

    ItemNode() = default;
    explicit ItemNode(T&& value) : payload(std::move(value)) {}
    ItemNode(const ItemNode&) = delete;  // the keys view the node's own fields
    ItemNode& operator=(const ItemNode&) = delete;

private:
    template <class>
    friend class ItemList;
    // Keys that are not fields of the payload: only some lists have them, so the
    // nodes of the others carry a pointer rather than two strings.
    struct OwnKeys {
        std::u16string key1, key2;
    };
    std::unique_ptr<OwnKeys> ownKeys;
};

// Where a list's nodes live: blocks of slots that grow with the list and are freed
// when it is cleared, so that a refresh making thousands of nodes asks the heap a few
// dozen times and the nodes of a list lie close together. Under AddressSanitizer every
// node is a heap block of its own, so that a use after a node's release is caught.
#if defined(__SANITIZE_ADDRESS__)
#define ORV_NODES_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORV_NODES_FROM_HEAP 1
#endif
#endif

template <class Node>
class NodePool {
public:
    NodePool() = default;
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;
    ~NodePool() { release(); }

    // Room for one node, or nullptr when there is no memory.
    void* take() noexcept {
#ifdef ORV_NODES_FROM_HEAP
        return ::operator new(sizeof(Node), std::nothrow);
#else
        if (!free_ && !grow()) return nullptr;
        Slot* slot = free_;
        free_ = slot->next;
        return slot;
#endif
    }
    void destroy(Node* n) noexcept {
        n->~Node();
#ifdef ORV_NODES_FROM_HEAP
        ::operator delete(n);
#else
        Slot* slot = reinterpret_cast<Slot*>(n);
        slot->next = free_;
        free_ = slot;
#endif
    }
    // Frees every block; only when no node is left.
    void release() noexcept {
        while (blocks_) {
            Block* previous = blocks_->previous;
            ::operator delete(blocks_);
            blocks_ = previous;
        }
        free_ = nullptr;
        nextSlots_ = FirstSlots;
    }
    void swap(NodePool& other) noexcept {
        std::swap(blocks_, other.blocks_);
        std::swap(free_, other.free_);
        std::swap(nextSlots_, other.nextSlots_);
    }

private:
    union Slot {
        Slot* next;
        alignas(Node) unsigned char bytes[sizeof(Node)];
    };
    struct Block {
        Block* previous;
    };
    static constexpr size_t FirstSlots = 8, MostSlots = 512;
    static constexpr size_t SlotsAt = (sizeof(Block) + alignof(Slot) - 1) / alignof(Slot) * alignof(Slot);

    bool grow() noexcept {
        static_assert(alignof(Slot) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "blocks come from plain operator new");
        void* memory = ::operator new(SlotsAt + nextSlots_ * sizeof(Slot), std::nothrow);
        if (!memory) return false;
        Block* block = new (memory) Block{blocks_};
        blocks_ = block;
        Slot* slots = reinterpret_cast<Slot*>(static_cast<unsigned char*>(memory) + SlotsAt);
        for (size_t i = nextSlots_; i-- > 0;) {  // the first slot is taken first
            slots[i].next = free_;
            free_ = &slots[i];
        }
        nextSlots_ = std::min(nextSlots_ * 2, MostSlots);
        return true;
    }

    Block* blocks_ = nullptr;
    Slot* free_ = nullptr;
    size_t nextSlots_ = FirstSlots;
};

// A payload field a node's key views: a text, a shared text or a shared piece of the
// record; a null field means no key.
template <class T, bool = std::is_class<T>::value>
struct ItemKeyField {
    std::u16string T::*text = nullptr;
    SharedText T::*shared = nullptr;
    SharedUnits T::*piece = nullptr;
    ItemKeyField(std::nullptr_t = nullptr) {}
    ItemKeyField(std::u16string T::*field) : text(field) {}
    ItemKeyField(SharedText T::*field) : shared(field) {}
    ItemKeyField(SharedUnits T::*field) : piece(field) {}
    explicit operator bool() const { return text || shared || piece; }
    std::u16string_view of(const T& payload) const {
        if (text) return payload.*text;
        return shared ? std::u16string_view(payload.*shared) : std::u16string_view(payload.*piece);
    }
};
template <class T>
struct ItemKeyField<T, false> {  // a list of plain values has no fields to key by
    ItemKeyField(std::nullptr_t = nullptr) {}
    explicit operator bool() const { return false; }
    std::u16string_view of(const T&) const { return {}; }
};

// Which payload fields a node's keys view.
template <class T>
struct ItemKeyFields {
    ItemKeyField<T> key1 = nullptr;
    ItemKeyField<T> key2 = nullptr;
};

template <class T>
class ItemList {
public:
    using Node = ItemNode<T>;
    using value_type = T;

    ItemList() = default;
    ~ItemList() { clear(); }
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    ItemList(ItemList&& other) noexcept { *this = std::move(other); }
    ItemList& operator=(ItemList&& other) noexcept {
        if (this != &other) {
            clear();
            std::swap(head_, other.head_);
            std::swap(tail_, other.tail_);
            std::swap(size_, other.size_);
            std::swap(byKey1_, other.byKey1_);
            std::swap(byKey2_, other.byKey2_);
            pool_.swap(other.pool_);
            ++changes_;
            ++other.changes_;
        }
        return *this;
    }

    Node* head() const { return head_; }
    size_t size() const { return size_; }
    bool empty() const { return head_ == nullptr; }

    void clear() {
        for (Node* n = head_; n;) {
            Node* next = n->next;
            pool_.destroy(n);
            n = next;
        }
        pool_.release();
        head_ = tail_ = nullptr;
        size_ = 0;
        byKey1_.drop();
        byKey2_.drop();
        ++changes_;
    }

    // Counts every change of the list's membership or order, so that anything derived
    // from the list can tell whether it is still current.
    uint64_t changes() const { return changes_; }

    // The nodes with this first (second) key, in the order they were linked; an empty
    // key has none. Built on first use and kept current by every change of the list.
    const std::vector<Node*>& withKey1(std::u16string_view key) const { return nodesOf(byKey1_.nodes(*this, key, true)); }
    const std::vector<Node*>& withKey2(std::u16string_view key) const { return nodesOf(byKey2_.nodes(*this, key, false)); }
    // The first of them, or nullptr.
    Node* firstWithKey1(std::u16string_view key) const { return byKey1_.front(*this, key, ItemKeyHash{}(key), true); }
    // The same, with the key's ItemKeyHash computed already.
    Node* firstWithKey1(std::u16string_view key, size_t hash) const { return byKey1_.front(*this, key, hash, true); }
    Node* firstWithKey2(std::u16string_view key) const { return byKey2_.front(*this, key, ItemKeyHash{}(key), false); }

    class iterator {
    public:
        explicit iterator(Node* n) : n_(n) {}
        Node& operator*() const { return *n_; }
        Node* operator->() const { return n_; }
        iterator& operator++() {
            n_ = n_->next;
            return *this;
        }
        bool operator!=(const iterator& o) const { return n_ != o.n_; }
        bool operator==(const iterator& o) const { return n_ == o.n_; }

    private:
        Node* n_;
    };
    iterator begin() const { return iterator(head_); }
    iterator end() const { return iterator(nullptr); }

    // Links a new node at the tail (the list keeps its tail, so this is O(1)).
    Node* append(T payload, std::u16string key1, std::u16string key2, int32_t stamp) {
        Node* n = make(std::move(payload), stamp);
        if (!n || !ownKeys(n, std::move(key1), std::move(key2))) return nullptr;
        linkAtTail(n);
        return n;
    }

    // The same, keyed by fields of the payload: the keys cost no copy. Those fields
    // must not change while the node is linked.
    Node* append(T&& payload, ItemKeyFields<T> keys, int32_t stamp) {
        Node* n = make(std::move(payload), stamp);
        if (!n) return nullptr;
        if (keys.key1) n->key1 = keys.key1.of(n->payload);
        if (keys.key2) n->key2 = keys.key2.of(n->payload);
        linkAtTail(n);
        return n;
    }

    // Links a new node right after `prev` (at the head when prev is nullptr), for
    // keeping a sorted list sorted without sorting it again.
    Node* insertAfter(Node* prev, T payload, std::u16string key1, std::u16string key2, int32_t stamp) {
        Node* n = make(std::move(payload), stamp);
        if (!n || !ownKeys(n, std::move(key1), std::move(key2))) return nullptr;
        if (prev) {
            n->next = prev->next;
            prev->next = n;
        } else {
            n->next = head_;
            head_ = n;
        }
        if (tail_ == prev) tail_ = n;
        ++size_;
        linked(n);
        return n;
    }

    // Unlinks `node` (found by walking) and destroys it.
    bool remove(Node* node) {
        Node* prev = nullptr;
        for (Node* n = head_; n; prev = n, n = n->next) {
            if (n != node) continue;
            unlink(prev, n);
            pool_.destroy(n);
            return true;
        }
        return false;
    }

    // Destroys the nodes for which drop(node) is true; the others keep their order.
    template <class Pred>
    size_t removeIf(Pred drop) {
        size_t removed = 0;
        Node* prev = nullptr;
        for (Node* n = head_; n;) {
            Node* next = n->next;
            if (drop(*n)) {
                unlink(prev, n);
                pool_.destroy(n);
                ++removed;
            } else {
                prev = n;
            }
            n = next;
        }
        return removed;
    }

    // Re-links the nodes in the order `nodeAt(i)` gives for i below size() (a
    // permutation of the list's nodes).
    template <class NodeAt>
    void relink(NodeAt nodeAt) {
        const size_t count = size_;
        head_ = tail_ = nullptr;
        for (size_t i = 0; i < count; ++i) {
            Node* n = nodeAt(i);
            if (tail_) tail_->next = n;
            else head_ = n;
            tail_ = n;
        }
        if (tail_) tail_->next = nullptr;
        ++changes_;  // the indexes keep their nodes: only the order changed
    }

private:
    // Nodes by one of their keys, views of the nodes' own key texts (which live as long
    // as their nodes). Open addressing over slots that carry the key's hash and its
    // first node: a lookup reads a slot and a node, and divides nothing, where a
    // node-based map walks a bucket and takes a remainder per node it passes.
    class KeyIndex {
    public:
        // The nodes of the key (nullptr: none) and the first of them.
        const std::vector<Node*>* nodes(const ItemList& list, std::u16string_view key, bool first) const {
            const Slot* slot = find(list, key, ItemKeyHash{}(key), first);
            return slot ? &slot->entry->nodes : nullptr;
        }
        Node* front(const ItemList& list, std::u16string_view key, size_t hash, bool first) const {
            const Slot* slot = find(list, key, hash, first);
            return slot ? slot->front : nullptr;
        }
        void add(Node* n, bool first) const {
            const std::u16string_view key = first ? n->key1 : n->key2;
            if (key.empty()) return;
            // A read appends a post's comments or likes one after another: the entry
            // of the last key takes the next node without hashing it again.
            if (!last_ || !SameKeyText(last_->key.text, key)) {
                last_ = &entryFor(HashedItemKey(key), n);
                // A new key is given room for as many nodes as the keys before it have
                // on average: a post's hundred comments then take one block, not eight
                // that grow by doubling, and a list of one node per key takes one node's.
                if (last_->nodes.empty() && count_ > 1) {
                    const size_t keysBefore = count_ - 1;
                    last_->nodes.reserve(std::min<size_t>((nodeCount_ + keysBefore - 1) / keysBefore, 1024));
                }
            }
            last_->nodes.push_back(n);
            ++nodeCount_;
        }
        void linked(Node* n, bool first) const {
            if (built_) add(n, first);
        }
        void unlinked(Node* n, bool first) const {
            if (!built_ || slots_.empty()) return;
            const std::u16string_view key = first ? n->key1 : n->key2;
            if (key.empty()) return;
            const HashedItemKey leaving(key);
            const size_t mask = slots_.size() - 1;
            size_t i = leaving.hash & mask;
            while (slots_[i].entry && !(slots_[i].hash == leaving.hash && slots_[i].entry->key == leaving))
                i = (i + 1) & mask;
            Slot& slot = slots_[i];
            Entry* entry = slot.entry;
            if (!entry) return;
            auto& nodes = entry->nodes;
            auto at = std::find(nodes.begin(), nodes.end(), n);
            if (at != nodes.end()) {
                nodes.erase(at);
                --nodeCount_;
            }
            if (nodes.empty()) {
                if (last_ == entry) last_ = nullptr;
                entry->key = HashedItemKey(std::u16string_view());
                spare_.push_back(entry);
                erase(i);
                return;
            }
            slot.front = nodes.front();
            // The entry's key viewed the leaving node's text: it views a staying one's.
            if (entry->key.text.data() == key.data()) entry->key.text = first ? slot.front->key1 : slot.front->key2;
        }
        void drop() {
            slots_.clear();
            entries_.clear();
            spare_.clear();
            count_ = 0;
            nodeCount_ = 0;
            last_ = nullptr;
            built_ = false;
        }

    private:
        struct Entry {
            HashedItemKey key{std::u16string_view()};
            std::vector<Node*> nodes;
        };
        // The first node sits in the slot: finding a key's first node, the usual
        // lookup, reads the slot and that node, whose key it compares.
        struct Slot {
            size_t hash = 0;
            Entry* entry = nullptr;  // null: free
            Node* front = nullptr;   // entry->nodes.front()
        };

        const Slot* find(const ItemList& list, std::u16string_view key, size_t hash, bool first) const {
            if (key.empty()) return nullptr;
            if (!built_) {
                for (Node* n = list.head_; n; n = n->next) add(n, first);
                built_ = true;
            }
            if (slots_.empty()) return nullptr;
            const size_t mask = slots_.size() - 1;
            for (size_t i = hash & mask;; i = (i + 1) & mask) {
                const Slot& slot = slots_[i];
                if (!slot.entry) return nullptr;
                if (slot.hash != hash) continue;
                if (SameKeyText(first ? slot.front->key1 : slot.front->key2, key)) return &slot;
            }
        }

        Entry& entryFor(const HashedItemKey& key, Node* n) const {
            if ((count_ + 1) * 2 > slots_.size()) grow();
            const size_t mask = slots_.size() - 1;
            size_t i = key.hash & mask;
            for (; slots_[i].entry; i = (i + 1) & mask)
                if (slots_[i].hash == key.hash && slots_[i].entry->key == key) return *slots_[i].entry;
            Entry* entry;
            if (!spare_.empty()) {
                entry = spare_.back();
                spare_.pop_back();
            } else {
                entry = &entries_.emplace_back();
            }
            entry->key = key;
            slots_[i] = Slot{key.hash, entry, n};
            ++count_;
            return *entry;
        }
        void grow() const {
            std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
            old.swap(slots_);
            const size_t mask = slots_.size() - 1;
            for (const Slot& slot : old) {
                if (!slot.entry) continue;
                size_t i = slot.hash & mask;
                while (slots_[i].entry) i = (i + 1) & mask;
                slots_[i] = slot;
            }
        }
        // Frees slot i and moves later slots of the same run back, so that no search
        // stops short at the hole.
        void erase(size_t i) const {
            const size_t mask = slots_.size() - 1;
            for (size_t j = (i + 1) & mask; slots_[j].entry; j = (j + 1) & mask) {
                const size_t home = slots_[j].hash & mask;
                // Slot j may move to i unless its home lies cyclically in (i, j].
                const bool stays = i <= j ? (home > i && home <= j) : (home > i || home <= j);
                if (stays) continue;
                slots_[i] = slots_[j];
                i = j;
            }
            slots_[i] = Slot{};
            --count_;
        }

        mutable std::vector<Slot> slots_;      // a power of two, at most half full
        mutable std::deque<Entry> entries_;    // stay put: slots and last_ point at them
        mutable std::vector<Entry*> spare_;    // entries of keys that left, for reuse
        mutable size_t count_ = 0;      // keys
        mutable size_t nodeCount_ = 0;  // nodes of all keys
        mutable bool built_ = false;
        mutable Entry* last_ = nullptr;        // the entry add() filled last
    };

    static const std::vector<Node*>& nodesOf(const std::vector<Node*>* nodes) {
        static const std::vector<Node*> none;
        return nodes ? *nodes : none;
    }

    Node* make(T&& payload, int32_t stamp) {
        void* room = pool_.take();
        if (!room) return nullptr;
        Node* n = new (room) Node(std::move(payload));
        n->stamp = stamp;
        return n;
    }

    // False when there was no memory for them (the node is then destroyed).
    bool ownKeys(Node* n, std::u16string key1, std::u16string key2) {
        if (key1.empty() && key2.empty()) return true;
        n->ownKeys.reset(new (std::nothrow) typename Node::OwnKeys{std::move(key1), std::move(key2)});
        if (!n->ownKeys) {
            pool_.destroy(n);
            return false;
        }
        n->key1 = n->ownKeys->key1;
        n->key2 = n->ownKeys->key2;
        return true;
    }

    void linkAtTail(Node* n) {
        if (tail_) tail_->next = n;
        else head_ = n;
        tail_ = n;
        ++size_;
        linked(n);
    }

    void linked(Node* n) {
        byKey1_.linked(n, true);
        byKey2_.linked(n, false);
        ++changes_;
    }

    void unlink(Node* prev, Node* n) {
        if (prev) prev->next = n->next;
        else head_ = n->next;
        if (tail_ == n) tail_ = prev;
        --size_;
        byKey1_.unlinked(n, true);
        byKey2_.unlinked(n, false);
        ++changes_;
    }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    size_t size_ = 0;
    uint64_t changes_ = 0;
    KeyIndex byKey1_;
    KeyIndex byKey2_;
    NodePool<Node> pool_;
};

// ---- The list operations, with the names the rest of the program uses. ----

// Appends a node; returns its payload, or nullptr when it could not be allocated.
// `countOut` receives the number of nodes before it, `nodeOut` the new node.
template <class T>
T* AppendItem(ItemList<T>& list, typename ItemList<T>::value_type data, std::u16string key1 = {},
              std::u16string key2 = {}, int32_t stamp = 0, typename ItemList<T>::Node** nodeOut = nullptr,
              int32_t* countOut = nullptr) {
    if (countOut) *countOut = static_cast<int32_t>(list.size());
    ItemNode<T>* n = list.append(std::move(data), std::move(key1), std::move(key2), stamp);
    if (nodeOut) *nodeOut = n;
    return n ? &n->payload : nullptr;
}

// The same, with keys that view fields of the record (see ItemList::append).
template <class T>
T* AppendItem(ItemList<T>& list, typename ItemList<T>::value_type&& data, ItemKeyFields<T> keys, int32_t stamp,
              typename ItemList<T>::Node** nodeOut) {
    ItemNode<T>* n = list.append(std::move(data), keys, stamp);
    if (nodeOut) *nodeOut = n;
    return n ? &n->payload : nullptr;
}

// The first node linked with this first key.
template <class T>
ItemNode<T>* FindItem(const ItemList<T>& list, std::u16string_view key) {
    return list.firstWithKey1(key);
}

// The first node linked with both keys.
template <class T>
ItemNode<T>* FindItemByKeys(const ItemList<T>& list, std::u16string_view key1, std::u16string_view key2) {
    if (key2.empty()) return nullptr;
    for (ItemNode<T>* n : list.withKey1(key1))
        if (n->key2 == key2) return n;
    return nullptr;
}

template <class T>
bool SetItemStamp(ItemList<T>& list, std::u16string_view key, int32_t stamp) {
    ItemNode<T>* n = FindItem(list, key);
    if (n) n->stamp = stamp;
    return n != nullptr;
}

template <class T>
ItemNode<T>* ItemAt(const ItemList<T>& list, int32_t index) {
    if (index < 0) return nullptr;
    for (auto& n : list)
        if (index-- == 0) return &n;
    return nullptr;
}

// Marks (mark word 1) or removes every node with key1 (and key2 when given); with
// onlyMarked, nodes whose mark word is 0 are passed over. False for an empty key1.
template <class T>
bool MarkOrRemoveItems(ItemList<T>& list, std::u16string_view key1, std::u16string_view key2,
                       bool onlyMarked, bool markInstead) {
    if (key1.empty()) return false;
    auto matches = [&](const ItemNode<T>& n) {
        if (n.key1 != key1) return false;
        if (!key2.empty() && n.key2 != key2) return false;
        return !onlyMarked || n.mark() != 0;
    };
    if (markInstead) {
        for (auto& n : list)
            if (matches(n)) n.setMark(1);
    } else {
        list.removeIf(matches);
    }
    return true;
}

// Sorts by stamp, newest first unless ascending; nodes with equal stamps keep their
// order (lists like the users hold thousands of equal stamps, so the sort must stay
// O(n log n) for them). Lists arrive in runs (each post's comments come newest first,
// one post after another, behind the list sorted before), so this finds them and turns
// round the ones that go strictly the wrong way (equal stamps keep their order). A few
// runs are merged; many (a refresh's comments are one per post) are sorted by the
// bytes of their stamps, least first, which takes as many passes as the stamps' range
// has bytes and compares nothing, where merging them takes a pass per doubling and a
// hard-to-foresee branch per node.
template <class T>
void SortItemsByStamp(ItemList<T>& list, bool ascending) {
    if (list.size() < 2) return;
    // The stamps sit beside the node addresses, so the sort reads one small array
    // instead of the nodes themselves.
    struct Entry {  // no initial values: the buffers below are written before read
        int32_t first;
        ItemNode<T>* second;
    };
    std::vector<Entry> order;
    order.reserve(list.size());
    for (auto& n : list) order.push_back(Entry{n.stamp, &n});
    auto beats = [ascending](const Entry& a, const Entry& b) {
        return ascending ? a.first < b.first : a.first > b.first;
    };
    const size_t count = order.size();
    std::vector<size_t> ends;  // where each run ends
    bool turned = false;
    for (size_t start = 0; start < count;) {
        size_t end = start + 1;
        if (end < count && beats(order[end], order[start])) {
            while (end < count && beats(order[end], order[end - 1])) ++end;
            std::reverse(order.data() + start, order.data() + end);
            turned = true;
        } else {
            while (end < count && !beats(order[end], order[end - 1])) ++end;
        }
        ends.push_back(end);
        start = end;
    }
    if (ends.size() == 1 && !turned) return;
    // Filled by every merge and radix pass before it is read: no initial values.
    std::unique_ptr<Entry[]> mergedEntries(new Entry[count]);
    Entry* merged = mergedEntries.get();
    Entry* sorted = order.data();
    if (ends.size() > 8) {
        int64_t least = order[0].first, most = order[0].first;
        for (const Entry& e : order) {
            least = std::min<int64_t>(least, e.first);
            most = std::max<int64_t>(most, e.first);
        }
        const uint64_t range = static_cast<uint64_t>(most - least);
        auto key = [&](const Entry& e) {
            return static_cast<uint32_t>(ascending ? e.first - least : most - e.first);
        };
        size_t bytes = 0;
        while (bytes < 4 && (range >> (8 * bytes)) != 0) ++bytes;
        std::vector<size_t> starts(256 * bytes);  // per byte: where each value's nodes go
        for (const Entry& e : order) {
            const uint32_t k = key(e);
            for (size_t b = 0; b < bytes; ++b) ++starts[256 * b + ((k >> (8 * b)) & 255)];
        }
        for (size_t b = 0; b < bytes; ++b) {
            size_t sum = 0;
            size_t* to = &starts[256 * b];
            for (size_t v = 0; v < 256; ++v) {
                const size_t nodes = to[v];
                to[v] = sum;
                sum += nodes;
            }
            for (size_t i = 0; i < count; ++i) merged[to[(key(sorted[i]) >> (8 * b)) & 255]++] = sorted[i];
            std::swap(sorted, merged);
        }
        ends.assign(1, count);
    }
    std::vector<size_t> mergedEnds;
    while (ends.size() > 1) {
        mergedEnds.clear();
        size_t start = 0;
        for (size_t k = 0; k < ends.size(); k += 2) {
            const size_t middle = ends[k], end = k + 1 < ends.size() ? ends[k + 1] : middle;
            std::merge(sorted + start, sorted + middle, sorted + middle, sorted + end, merged + start, beats);
            mergedEnds.push_back(end);
            start = end;
        }
        std::swap(sorted, merged);
        ends.swap(mergedEnds);
    }
    // The nodes are written in an order unlike their places in memory: ask for each a
    // few steps before it is written, so that the misses overlap.
    list.relink([sorted, count](size_t i) {
        if (i + 8 < count) __builtin_prefetch(sorted[i + 8].second, 1);
        return sorted[i].second;
    });
}

// How many nodes count as new; with markAllRead, sets the read bit of every node after
// counting.
template <class T>
int32_t CountUnseenItems(ItemList<T>& list, bool markAllRead) {
    int32_t count = 0;
    for (auto& n : list) {
        if (n.unseen()) ++count;
        if (markAllRead) n.setFlags(n.flags() | ItemRead);
    }
    return count;
}

template <class T>
void FreeItemList(ItemList<T>& list) {
    list.clear();
}

// ---- Text helpers shared by the parsers. ----

// Index just past the first occurrence of `pattern` in text[start, length), or 0 when
// there is none; an empty pattern gives start, a start beyond length gives 0.
int32_t FindText(std::u16string_view text, std::u16string_view pattern, int32_t length, int32_t start);

constexpr size_t ExtractLinkLimit = 1023;  // units of a link: no longer than an item text may be

// The first web link of a message ("http://..." first, else "www..." made into
// "http://www..."), cut at the first character of code 32 or less and at
// ExtractLinkLimit units; empty when there is none.
std::u16string ExtractLink(std::u16string_view text);
