// The recent-hosts list: a fixed number of host names, the most recent first,
// kept in the registry or the profile file and shown as numbered entries of
// the Connect menu. A plain record over free functions.
#pragma once

#include <cstddef>
#include <cstdint>

class CMenuPort;

struct MruList {
    std::uint16_t count;          // entries 0..count-1 are in use; 0 is the most recent
    std::uint16_t shownMax;       // most entries shown in the menu
    std::uint16_t capacity;       // entries kept
    std::uint16_t entrySize;      // bytes per entry, NUL included
    std::uint32_t baseCommandId;  // the separator's id; entry n has baseCommandId+n+1
    char* entries;                // capacity * entrySize bytes, owned
};

inline constexpr char kMruSection[] = "MRU Text";
inline constexpr char kMruRegistryKey[] = "Software\\Orvane Emulator\\MRU";

// Null when memory cannot be had or entrySize is 0.
MruList* MruCreate(std::uint16_t shownMax, std::uint16_t capacity, std::uint16_t entrySize,
                   std::uint32_t baseCommandId);
// Six shown, nine kept, 127 characters each, ids 8000..8009.
MruList* MruCreateDefault();
void MruDestroy(MruList* list);

// Copies text (cut to entrySize-1 characters) into entry index and extends
// count over it. 0 when index is beyond the capacity.
int MruSetEntry(MruList* list, std::uint16_t index, const char* text);
// The entry at index id, or at the command id id when byCommandId is non-zero,
// cut to outSize-1 characters. 0 when there is no such entry.
int MruGetEntry(const MruList* list, std::uint32_t id, int byCommandId, char* out, std::size_t outSize);
// Makes text the most recent entry: an entry equal to it but for case moves
// to the front in the new spelling; otherwise the oldest falls off a full list.
// Empty text is refused (0), as it would end the list when loaded again.
int MruAddFront(MruList* list, const char* text);
// Replaces the numbered entries and their separator ahead of beforeCommandId.
void MruBuildMenu(const MruList* list, CMenuPort* menu, std::uint32_t beforeCommandId);

// Every entry slot is written, empty beyond count. Load stops at the first
// empty value. All answer 1, or 0 when a buffer cannot be had or the store
// refuses the write.
int MruSaveToIni(const MruList* list, const char* section);
int MruLoadFromIni(MruList* list, const char* section);
int MruSaveToRegistry(const MruList* list, const char* subKey);
int MruLoadFromRegistry(MruList* list, const char* subKey);
