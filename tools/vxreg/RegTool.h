#pragma once

#include "RegArgs.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace vx::vxreg {

// Asks the user `question`; true for yes. When no one can be asked it raises vx::Exception
// with `refusal`.
using TConfirm = std::function<bool(const std::string& question, const std::string& refusal)>;

// Runs one command on the installed registry store, printing like reg.exe to `out`.
// Registry failures raise vx::Exception with the message to show; returns the exit code.
int RunCommand(const TCommand& command, std::ostream& out, const TConfirm& confirm);

} // namespace vx::vxreg
