#include "store/favorites.h"

#include <mutex>

#include "store/data_store.h"
#include "base/whole_file.h"

namespace {
// Copies one field: up to ";" (consumed) or CR, LF or the end (left). Characters past
// the limit are read over, so an over-long field is cut, not spilled into the next.
size_t ReadField(std::u16string_view text, size_t at, std::u16string& field) {
    field.clear();
    while (at < text.size()) {
        char16_t c = text[at];
        if (c == u';') return at + 1;
        if (c == u'\r' || c == u'\n' || c == 0) return at;
        if (field.size() < FavoriteFieldLimit) field.push_back(c);
        ++at;
    }
    return at;
}

// A title or address cannot hold the separators of the file; what the user typed is
// made to fit rather than split into other fields at the next start.
std::u16string Storable(std::u16string_view text, bool address) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u';') out += address ? u"%3B" : u" ";
        else if (c == u'\r' || c == u'\n' || c == 0) out += u' ';
        else out += c;
    }
    if (out.size() > FavoriteFieldLimit) out.resize(FavoriteFieldLimit);
    return out;
}
}  // namespace

void ParseFavoritesText(std::u16string_view text, ItemList<FavoriteRecord>& list) {
    size_t end = text.find(char16_t(0));
    if (end != std::u16string_view::npos) text = text.substr(0, end);
    size_t at = 0;
    std::u16string field;
    while (at < text.size()) {
        at = ReadField(text, at, field);
        if (!field.empty()) {
            FavoriteRecord record;
            record.title = field;
            at = ReadField(text, at, field);
            record.address = field;
            std::u16string key = record.title;
            AppendItem(list, std::move(record), std::move(key));
        }
        size_t lf = text.find(u'\n', at);
        at = lf == std::u16string_view::npos ? text.size() : lf + 1;
    }
}

std::u16string FavoritesText(const ItemList<FavoriteRecord>& list) {
    std::u16string text;
    for (const auto& node : list) {
        text += node.payload.title;
        text += u';';
        text += node.payload.address;
        text += u"\r\n";
    }
    return text;
}

bool LoadFavorites(DataStore& store) {
    std::string bytes;
    if (!ReadWholeFile(FavoritesFileName, bytes)) return false;
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    ItemList<FavoriteRecord> read;
    ParseFavoritesText(text, read);
    std::lock_guard<std::mutex> hold(store.mutex());
    store.favorites = std::move(read);
    return true;
}

bool SaveFavorites(DataStore& store) {
    std::u16string text;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        text = FavoritesText(store.favorites);
    }
    // An emptied list leaves an empty file, so that deleted favourites stay deleted.
    if (text.empty()) {
        WriteWholeFile(FavoritesFileName, "", 0);
        return true;
    }
    std::string bytes;
    bytes.reserve(text.size() * 2 + 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    bytes.append(2, '\0');
    return WriteWholeFile(FavoritesFileName, bytes.data(), bytes.size()) == bytes.size();
}

bool AddFavorite(DataStore& store, std::u16string_view title, std::u16string_view address) {
    if (title.empty() || address.empty()) return false;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        FavoriteRecord record{Storable(title, false), Storable(address, true)};
        std::u16string key = record.title;
        if (!AppendItem(store.favorites, std::move(record), std::move(key))) return false;
    }
    SaveFavorites(store);
    return true;
}

void RemoveFavoriteAt(DataStore& store, int32_t position) {
    std::lock_guard<std::mutex> hold(store.mutex());
    if (auto* node = ItemAt(store.favorites, position)) store.favorites.remove(node);
}
