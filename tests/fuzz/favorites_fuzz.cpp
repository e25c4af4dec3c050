// Any bytes as "favorites.txt": fields stay within their limit, never hold a separator,
// and the list written back as text reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/favorites.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    ItemList<FavoriteRecord> list;
    ParseFavoritesText(text, list);
    for (const auto& n : list) {
        const FavoriteRecord& f = n.payload;
        if (f.title.empty() || f.title.size() > FavoriteFieldLimit || f.address.size() > FavoriteFieldLimit)
            std::abort();
        for (const std::u16string* field : {&f.title, &f.address})
            if (field->find_first_of(std::u16string(u";\r\n\0", 4)) != std::u16string::npos) std::abort();
        if (n.key1 != f.title) std::abort();
    }
    ItemList<FavoriteRecord> again;
    ParseFavoritesText(FavoritesText(list), again);
    if (again.size() != list.size()) std::abort();
    for (auto a = list.begin(), b = again.begin(); a != list.end(); ++a, ++b)
        if (a->payload.title != b->payload.title || a->payload.address != b->payload.address) std::abort();
    return 0;
}
