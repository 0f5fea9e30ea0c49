#include "httpservice/IntegrityToken.h"

#include "httpservice/MachineKey.h"
#include "httpservice/Sha1.h"

namespace vx::httpservice {

std::string XorCycle(std::string_view data, std::string_view key) {
    if (data.empty()) {
        return {};
    }
    if (key.empty()) {
        throw EIntegrityError("Cannot XOR with an empty key");
    }
    std::string result(data.size(), '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        result[i] = static_cast<char>(data[i] ^ key[i % key.size()]);
    }
    return result;
}

std::string IntegrityToken(std::string_view name) {
    return TSha1::HexDigest(XorCycle(MachineKey(), name));
}

bool CheckIntegrityToken(std::string_view name, std::string_view token) {
    return token == IntegrityToken(name);
}

} // namespace vx::httpservice
