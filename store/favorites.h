// The user's favourite pages and the file "favorites.txt" (UTF-16LE, one "title;address"
// line each).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "store/item_list.h"
#include "store/records.h"

constexpr const char16_t* FavoritesFileName = u"favorites.txt";
constexpr size_t FavoriteFieldLimit = 1023;  // units kept of a title or an address

class DataStore;

// Each takes the store's mutex itself, never while the file is read or written.
bool LoadFavorites(DataStore& store);
bool SaveFavorites(DataStore& store);
// Empty title or address adds nothing. Saves the file.
bool AddFavorite(DataStore& store, std::u16string_view title, std::u16string_view address);
void RemoveFavoriteAt(DataStore& store, int32_t position);

// The file's text (without the final 0) and its reading, for tests.
std::u16string FavoritesText(const ItemList<FavoriteRecord>& list);
void ParseFavoritesText(std::u16string_view text, ItemList<FavoriteRecord>& list);
