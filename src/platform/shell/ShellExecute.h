// Windows only: starting a program through the shell with its default action and one
// parameter text, the way file associations expect to be called.
#pragma once

#include <string>

namespace qs {

enum class ShellShow { Maximized, Normal, Hidden };

// False when the shell reports failure (a result of 32 or less).
bool ShellExecuteProgram(const std::string& program, const std::string& parameters,
                         ShellShow show);

} // namespace qs
