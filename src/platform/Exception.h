#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace vx {

// The one error type of the system: it carries the message the user or the log sees.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// What a caught error says, for the boundaries that turn any error into a log line or a
// status: the message of a std::exception, else "unknown error". Call it only inside a catch
// block.
inline std::string CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace vx
