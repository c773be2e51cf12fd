// The single command line a Windows program receives, built from an argument list so
// that the C runtime (and CommandLineToArgvW) splits it back into the same arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qs {

// One argument, quoted when it is empty or holds blanks or quotes. Backslashes count only
// before a quote: each is doubled there, and the quote escaped.
std::string QuoteCommandLineArgument(std::string_view argument);

// The program in quotes (its name is split by other rules, and cannot hold a quote), then
// each argument, separated by blanks.
std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& arguments);

} // namespace qs
