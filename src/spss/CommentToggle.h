// Commenting out whole commands with `*` comment commands, and taking such comments out
// again, so that the text is valid syntax both ways.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// Each line of the commands is commented on its own: "* " goes before it, and " *." after
// it unless it ends in a period already, so that every line is a complete comment and none
// runs on into the line after it (a comment ends only at a period at the end of a line).
// Empty and all-blank lines stay as they are. Taking the comment out reverses this exactly:
// a line that ended in " *." before it was commented gets a second one.
struct CommentToggle {
    std::size_t firstLine = 0; // 1-based, the lines to replace
    std::size_t lastLine = 0;
    std::vector<std::string> lines; // their new text, without line ends
    bool commented = false;         // true when the commands were commented out
};

// For the commands lines first..last (1-based) of `text` touch: when every one of them is a
// `*` comment, the comment taken out of the lines of the commands that the uncommented text
// has there (so that a command commented out as a whole comes back whole); otherwise all of
// their lines commented. nullopt when the lines touch no command.
std::optional<CommentToggle> ToggleCommentCommands(std::string_view text, std::size_t first,
                                                   std::size_t last);

} // namespace qs
