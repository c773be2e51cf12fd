// Reads the active dataset's variables from the table PSPP prints for DISPLAY LABELS,
// which the engine host asks for on its own to fill its Data window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qs::engine {

// The command whose output ParseVariableTable reads.
inline constexpr std::string_view kVariableTableCommand = "DISPLAY LABELS.";

struct DatasetVariable {
    std::string name;
    std::string label;
};

// The rows of the "Name | Position | Label" table in `output`, labels wrapped over
// several rows joined again. Empty when there is no such table (no active dataset).
std::vector<DatasetVariable> ParseVariableTable(std::string_view output);

} // namespace qs::engine
