#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_backend.h"

namespace velomar {

// Everything the program remembers lives in this one key.
inline constexpr SettingsRoot kSettingsRoot = SettingsRoot::CurrentUser;
inline constexpr std::u16string_view kSettingsKeyPath = u"Software\\Ondrel";

inline constexpr std::u16string_view kFirstRunMarkerName = u"Velomar";
inline constexpr std::uint32_t kFirstRunMarker = 1020;
inline constexpr std::u16string_view kStartStationName = u"StartStation";
inline constexpr std::u16string_view kEndStationName = u"EndStation";
inline constexpr std::u16string_view kResultCountName = u"ResultCount";
inline constexpr std::u16string_view kFavoriteCountName = u"FavoriteCount";
// Room every reader gives a station text, terminator included: 19 characters come back.
inline constexpr std::size_t kStationTextCapacity = 20;

// "FS3" / "FE3": departure and arrival text of favourite pair 3.
std::u16string FavoriteStartName(int index);
std::u16string FavoriteEndName(int index);

// The five operations. Each opens and closes the key itself; none shows a message.

// Reads into buffer[0..capacity) (capacity in characters). Any stored type is accepted; a
// value that does not fit fails. The last character always becomes the terminator.
bool ReadTextSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                     std::u16string_view name, char16_t* buffer, std::size_t capacity);
// Stores the text with its terminator, type text.
bool WriteTextSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                      std::u16string_view name, std::u16string_view text);
// Succeeds only when exactly four bytes are stored; otherwise *out becomes 0. When the key
// cannot be opened *out is left as it was.
bool ReadNumberSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                       std::u16string_view name, std::uint32_t* out);
bool WriteNumberSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                        std::u16string_view name, std::uint32_t value);
// Does not create the key; fails when the value does not exist.
bool DeleteSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                   std::u16string_view name);

// The five operations again, with the reason when they fail. Each does exactly what its bool
// form does (that form is true exactly when this one gives Ok), and tells apart a value that
// is missing (Missing), one that is there but does not fit (Mismatch: the room is too small,
// or a number is not 4 bytes) and a store that cannot answer (Busy, Failed).
SettingsStatus TryReadTextSetting(SettingsBackend& store, SettingsRoot root,
                                  std::u16string_view keyPath, std::u16string_view name,
                                  char16_t* buffer, std::size_t capacity);
SettingsStatus TryWriteTextSetting(SettingsBackend& store, SettingsRoot root,
                                   std::u16string_view keyPath, std::u16string_view name,
                                   std::u16string_view text);
SettingsStatus TryReadNumberSetting(SettingsBackend& store, SettingsRoot root,
                                    std::u16string_view keyPath, std::u16string_view name,
                                    std::uint32_t* out);
SettingsStatus TryWriteNumberSetting(SettingsBackend& store, SettingsRoot root,
                                     std::u16string_view keyPath, std::u16string_view name,
                                     std::uint32_t value);
// Missing also when the key does not exist.
SettingsStatus TryDeleteSetting(SettingsBackend& store, SettingsRoot root,
                                std::u16string_view keyPath, std::u16string_view name);

// Every value of the key, in the backend's order; an absent key has none. Creates nothing.
SettingsStatus TryListSettings(SettingsBackend& store, SettingsRoot root,
                               std::u16string_view keyPath, std::vector<StoredValue>& values);

// Read-modify-write of a number as one step: reads it as ReadNumberSetting does (0 when it is
// missing or not a 4-byte value; a read that fails fails the step), stores update(read) and
// gives it in *result. On a store with transactions no other process writes in between, and
// on failure nothing is stored. Fails when called inside a transaction the caller already
// holds.
bool UpdateNumberSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                         std::u16string_view name,
                         const std::function<std::uint32_t(std::uint32_t)>& update,
                         std::uint32_t* result = nullptr);

// A text read into the usual 20-character room, as a string; nothing when the read fails.
std::optional<std::u16string> ReadStationText(SettingsBackend& store, std::u16string_view name);

}  // namespace velomar
