#pragma once

#include "platform/Exception.h"

#include <string>
#include <string_view>

// The integrity token by which the suite's local services recognise each other: SHA-1 of the
// machine key (MachineKey.h) XOR-cycled with the service's name, as 40 lowercase hexadecimal
// digits. Deterministic: the same key and name always give the same token.
//
// IntegrityToken and CheckIntegrityToken read only the machine key, which is set once at
// start-up; any thread may call them at any time without locking.
namespace vx::httpservice {

class EIntegrityError : public Exception {
public:
    using Exception::Exception;
};

// Byte i of the result is data[i] XOR key[i mod key length]; the result is as long as `data`.
// Raises EIntegrityError when `key` is empty and `data` is not.
std::string XorCycle(std::string_view data, std::string_view key);

// SHA-1 of XorCycle(MachineKey(), name). The name is the repeating key, so only its first
// bytes up to the machine key's length count. Raises EIntegrityError for an empty name while
// the machine key is not empty; with an empty machine key every name gives the SHA-1 of
// nothing, da39a3ee5e6b4b0d3255bfef95601890afd80709.
std::string IntegrityToken(std::string_view name);

// True exactly when `token` is IntegrityToken(name), byte for byte. An error computing the
// token (empty name) is raised as by IntegrityToken.
bool CheckIntegrityToken(std::string_view name, std::string_view token);

} // namespace vx::httpservice
