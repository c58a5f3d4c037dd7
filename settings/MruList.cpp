#include "settings/MruList.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "settings/MenuPort.h"
#include "settings/Settings.h"
#include "settings/SettingsPlatform.h"

namespace {

char* Entry(const MruList* list, unsigned index) { return list->entries + static_cast<size_t>(index) * list->entrySize; }

// Copies at most entrySize-1 characters and always terminates the entry.
void StoreText(const MruList* list, unsigned index, const char* text) {
    char* entry = Entry(list, index);
    const size_t length = strnlen(text, list->entrySize - 1u);
    std::memcpy(entry, text, length);
    std::memset(entry + length, 0, list->entrySize - length);
}

void ValueName(char* name, size_t size, unsigned index) {
    std::snprintf(name, size, "File%lu", static_cast<unsigned long>(index) + 1);
}

}  // namespace

MruList* MruCreate(std::uint16_t shownMax, std::uint16_t capacity, std::uint16_t entrySize,
                   std::uint32_t baseCommandId) {
    if (entrySize == 0) return nullptr;
    MruList* list = static_cast<MruList*>(std::calloc(1, sizeof(MruList)));
    if (!list) return nullptr;
    // At least one byte, so that an empty list still owns a buffer.
    list->entries = static_cast<char*>(std::calloc(capacity ? capacity : 1, entrySize));
    if (!list->entries) {
        std::free(list);
        return nullptr;
    }
    list->shownMax = shownMax;
    list->capacity = capacity;
    list->entrySize = entrySize;
    list->baseCommandId = baseCommandId;
    return list;
}

MruList* MruCreateDefault() { return MruCreate(6, 9, 128, 8000); }

void MruDestroy(MruList* list) {
    if (!list) return;
    std::free(list->entries);
    std::free(list);
}

int MruSetEntry(MruList* list, std::uint16_t index, const char* text) {
    if (!list || !text || index >= list->capacity) return 0;
    StoreText(list, index, text);
    if (list->count < index + 1) list->count = static_cast<std::uint16_t>(index + 1);
    return 1;
}

int MruGetEntry(const MruList* list, std::uint32_t id, int byCommandId, char* out, std::size_t outSize) {
    if (!list || !out || outSize == 0) return 0;
    const std::uint16_t index =
        static_cast<std::uint16_t>(byCommandId ? id - (list->baseCommandId + 1) : id);
    if (index >= list->count) return 0;
    const char* entry = Entry(list, index);
    const size_t length = strnlen(entry, list->entrySize);
    const size_t copied = length < outSize - 1 ? length : outSize - 1;
    std::memcpy(out, entry, copied);
    out[copied] = '\0';
    return 1;
}

int MruAddFront(MruList* list, const char* text) {
    if (!list || !text || !text[0] || list->capacity == 0) return 0;
    // Compare as stored: a name longer than an entry matches its cut form.
    char* cut = new (std::nothrow) char[list->entrySize];
    if (!cut) return 0;
    const size_t length = strnlen(text, list->entrySize - 1u);
    std::memcpy(cut, text, length);
    cut[length] = '\0';

    unsigned match = 0;
    while (match < list->count && settingsplatform::CompareNoCase(cut, Entry(list, match)) != 0) ++match;
    if (match == list->count) {
        if (list->count < list->capacity) ++list->count;
        match = list->count - 1u;  // the slot that falls off or was free
    }
    // Entries 0..match-1 move one place down; the new text takes entry 0.
    std::memmove(Entry(list, 1), Entry(list, 0), static_cast<size_t>(match) * list->entrySize);
    StoreText(list, 0, cut);
    delete[] cut;
    return 1;
}

void MruBuildMenu(const MruList* list, CMenuPort* menu, std::uint32_t beforeCommandId) {
    if (!list || !menu) return;
    for (std::uint32_t i = 0; i <= list->capacity; ++i) menu->RemoveById(list->baseCommandId + i);
    if (list->count == 0) return;
    menu->InsertSeparatorBefore(list->baseCommandId, beforeCommandId);

    const unsigned shown = list->shownMax < list->count ? list->shownMax : list->count;
    const size_t textSize = static_cast<size_t>(list->entrySize) + 20;
    char* text = new (std::nothrow) char[textSize];
    if (!text) return;
    for (unsigned n = shown; n-- > 0;) {
        std::snprintf(text, textSize, "&%lu %.*s", static_cast<unsigned long>(n) + 1,
                      static_cast<int>(list->entrySize - 1u), Entry(list, n));
        const std::uint32_t before = n == shown - 1 ? list->baseCommandId : list->baseCommandId + n + 2;
        menu->InsertStringBefore(list->baseCommandId + n + 1, text, before);
    }
    delete[] text;
}

int MruSaveToIni(const MruList* list, const char* section) {
    if (!list || !section) return 0;
    int ok = 1;
    char name[24];
    for (unsigned i = 0; i < list->capacity; ++i) {
        ValueName(name, sizeof name, i);
        if (!WriteSetting(name, section, kApplicationName, kProfileBase, i < list->count ? Entry(list, i) : ""))
            ok = 0;
    }
    if (!WriteSetting(nullptr, nullptr, kApplicationName, kProfileBase, nullptr)) ok = 0;
    return ok;
}

int MruLoadFromIni(MruList* list, const char* section) {
    if (!list || !section) return 0;
    const size_t bufferSize = static_cast<size_t>(list->entrySize) + 20;
    char* buffer = new (std::nothrow) char[bufferSize];
    if (!buffer) return 0;
    char name[24];
    for (unsigned i = 0; i < list->capacity; ++i) {
        ValueName(name, sizeof name, i);
        ReadSetting(name, "", section, kApplicationName, kProfileBase, buffer, static_cast<size_t>(list->entrySize) + 10);
        if (!buffer[0]) break;
        MruSetEntry(list, static_cast<std::uint16_t>(i), buffer);
    }
    delete[] buffer;
    return 1;
}

int MruSaveToRegistry(const MruList* list, const char* subKey) {
    if (!list || !subKey) return 0;
    settingsplatform::RegistryKey* key = settingsplatform::CreateKey(subKey);
    if (!key) return 0;
    int ok = 1;
    char name[24];
    for (unsigned i = 0; i < list->capacity; ++i) {
        ValueName(name, sizeof name, i);
        if (!settingsplatform::SetString(key, name, i < list->count ? Entry(list, i) : "")) ok = 0;
    }
    settingsplatform::CloseKey(key);
    return ok;
}

int MruLoadFromRegistry(MruList* list, const char* subKey) {
    if (!list || !subKey) return 0;
    const size_t bufferSize = static_cast<size_t>(list->entrySize) + 20;
    char* buffer = new (std::nothrow) char[bufferSize]();
    if (!buffer) return 0;
    settingsplatform::RegistryKey* key = settingsplatform::OpenKeyForRead(subKey);
    if (key) {
        char name[24];
        for (unsigned i = 0; i < list->capacity; ++i) {
            ValueName(name, sizeof name, i);
            std::memset(buffer, 0, bufferSize);
            // The query cuts and terminates an over-long value itself.
            settingsplatform::QueryString(key, name, buffer, static_cast<size_t>(list->entrySize) + 10);
            if (!buffer[0]) break;
            MruSetEntry(list, static_cast<std::uint16_t>(i), buffer);
        }
        settingsplatform::CloseKey(key);
    }
    delete[] buffer;
    return 1;
}
