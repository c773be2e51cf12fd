// Generates a large, varied SPSS syntax text and a variable list for the highlighter
// benchmark, deterministically from a seed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qs::bench {

std::vector<std::string> GenerateVariables(std::size_t count, unsigned seed);

// About `bytes` of syntax that uses the given variables, ending with a line break.
std::string GenerateSyntax(std::size_t bytes, const std::vector<std::string>& variables,
                           unsigned seed);

} // namespace qs::bench
