#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Key handles: the predefined roots, or what RegOpenKeyExA hands out; 0 is none.
using HKEY = std::int32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = static_cast<HKEY>(0x80000000u);
inline constexpr HKEY HKEY_CURRENT_USER = static_cast<HKEY>(0x80000001u);
inline constexpr HKEY HKEY_LOCAL_MACHINE = static_cast<HKEY>(0x80000002u);
inline constexpr HKEY HKEY_USERS = static_cast<HKEY>(0x80000003u);

// Return codes.
inline constexpr std::int32_t ERROR_SUCCESS = 0;
inline constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr std::int32_t ERROR_MORE_DATA = 234;

// Value types.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

// The machine-wide registry, read only. Text crosses it as 8-bit strings in
// the system's code page (UTF-8 on Linux); sizes are in bytes.
class Registry {
  public:
    virtual ~Registry() = default;

    // Opens subKey below key. On success result is the new handle; otherwise 0.
    virtual std::int32_t RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                                       HKEY& result) = 0;
    // Reads the value named valueName. size holds the capacity of data on entry
    // and the value's size on return; a value larger than the capacity gives
    // ERROR_MORE_DATA with the size it needs and leaves data alone. A null data
    // asks for the type and size only.
    virtual std::int32_t RegQueryValueExA(HKEY key, std::string_view valueName, std::uint32_t& type, std::uint8_t* data,
                                          std::uint32_t& size) = 0;
    virtual std::int32_t RegCloseKey(HKEY key) = 0;
};

} // namespace platform
