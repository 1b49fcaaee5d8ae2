#pragma once

#include <QString>

#include <cstdint>

// The numbers of the registry API that the program's code passes around:
// root keys, value types and result codes, with the values the platform
// has always given them, so that stored settings and error messages read the
// same as before.
namespace platform::reg {

// Root keys, as the signed 32-bit handles the program keeps in ClassKey.
inline constexpr std::int32_t HKEY_CLASSES_ROOT = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t HKEY_CURRENT_USER = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t HKEY_LOCAL_MACHINE = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t HKEY_USERS = static_cast<std::int32_t>(0x80000003u);

// Value types.
inline constexpr std::int32_t REG_NONE = 0;
inline constexpr std::int32_t REG_SZ = 1;
inline constexpr std::int32_t REG_EXPAND_SZ = 2;
inline constexpr std::int32_t REG_BINARY = 3;
inline constexpr std::int32_t REG_DWORD = 4;
inline constexpr std::int32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr std::int32_t REG_LINK = 6;
inline constexpr std::int32_t REG_MULTI_SZ = 7;

// Result codes of the store's operations.
inline constexpr std::int32_t ERROR_SUCCESS = 0;
inline constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;  // key or value missing
inline constexpr std::int32_t ERROR_ACCESS_DENIED = 5;   // write refused; key with subkeys
inline constexpr std::int32_t ERROR_INVALID_HANDLE = 6;  // not a root key
inline constexpr std::int32_t ERROR_INVALID_DATA = 13;
inline constexpr std::int32_t ERROR_BAD_PATHNAME = 161;  // key path with an empty segment
inline constexpr std::int32_t ERROR_MORE_DATA = 234;
inline constexpr std::int32_t ERROR_NO_MORE_ITEMS = 259;

// The name of a root key ("HKEY_CURRENT_USER"), empty for any other number.
QString rootKeyName(std::int32_t rootKey);

} // namespace platform::reg
