#pragma once

// The registry access layer's own texts, used byte for byte.
namespace vx::config::texts {

inline constexpr const char* FailedToGetData = "Failed to get data for '%s'";
inline constexpr const char* InvalidDataType = "Invalid data type for '%s'";
inline constexpr const char* UnsupportedBits =
    "Windows Registry only supported with 32 or 64 bits!";

} // namespace vx::config::texts
