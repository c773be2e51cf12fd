// The language element source: the ten SPSS word lists that drive highlighting, read from
// the language definition file "lngpck.dll" (an imported one in the user's configuration
// folder, else the one beside the program), with a built-in copy of the default
// vocabulary for when neither can be read.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace qs {

// The lists in the language definition's parameter order.
enum class ElementList {
    Commands,
    Functions,
    Subcommands,
    Keywords,
    ThreeWordCommands,
    TwoWordCommands,
    MultiWordStarters,
    Operators,
    ExecuteCommands,
    SystemVariables,
};
inline constexpr size_t kElementListCount = 10;

// The section name of a list in the definition file, e.g. "Commands".
std::string_view ElementListName(ElementList list);

// Ten comma texts, indexed by ElementList.
struct LanguageElements {
    std::array<std::string, kElementListCount> texts;

    std::string& operator[](ElementList list) { return texts[static_cast<size_t>(list)]; }
    const std::string& operator[](ElementList list) const {
        return texts[static_cast<size_t>(list)];
    }
};

// Parses a definition file's text: sections "[N ListName]", each followed by comma text.
// A missing section leaves its text empty. Gives nothing and sets `error` for a text
// that is not a language definition (binary data, unknown or repeated section, text
// before the first section, no command at all).
std::optional<LanguageElements> ParseLanguageDefinition(std::string_view text,
                                                        std::string* error = nullptr);

// Reads and parses a definition file; gives nothing and sets `error` when it cannot.
std::optional<LanguageElements> ReadLanguageDefinition(const std::filesystem::path& file,
                                                       std::string* error = nullptr);

// The vocabulary compiled into the program.
const LanguageElements& BuiltinLanguageElements();

// The file installed with the program: "lngpck.dll" in the program's own folder.
std::filesystem::path DefaultLanguageDefinitionPath();

// Where an imported definition goes and is read from first. On Linux the program's folder
// belongs to the system, so it is $XDG_CONFIG_HOME/quillstone/lngpck.dll (~/.config when
// unset); on Windows it is the program's own file.
std::filesystem::path UserLanguageDefinitionPath();

// Reads `file`; when that fails, gives the built-in lists and writes why to `diagnostics`.
LanguageElements LoadLanguageElements(const std::filesystem::path& file, std::ostream& diagnostics);

// The program's definition: the user's imported file when there is one that reads, else
// the one beside the program, else the built-in lists; what failed goes to `diagnostics`.
LanguageElements LoadLanguageElements(std::ostream& diagnostics);

// Fills the ten texts from the program's language definition. Each call reads the file
// again, so a definition imported while running counts for highlighters made later; the
// fallback to the built-in lists is reported on stderr once per process.
void GetLanguageElements(std::string& commands, std::string& functions, std::string& subcommands,
                         std::string& keywords, std::string& threeWordCommands,
                         std::string& twoWordCommands, std::string& multiWordStarters,
                         std::string& operators, std::string& executeCommands,
                         std::string& systemVariables);

// The ten texts of GetLanguageElements as one value.
LanguageElements GetLanguageElements();

} // namespace qs
