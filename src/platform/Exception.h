#pragma once

#include <stdexcept>
#include <string>

namespace vx {

// The one error type of the system: it carries the message the user or the log sees.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

} // namespace vx
