// Where one command of typed syntax ends and the next begins, shared by the editor (to
// run the command under the caret) and the engine host (to follow what a run did).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

struct SyntaxCommand {
    std::size_t firstLine = 0; // 1-based, counted in the text that was split
    std::size_t lastLine = 0;
    std::string text;          // the command's lines joined by LF
};

// Splits by the interactive rules, the rules of syntax typed or run from an editor:
//  - a period as the last character of a line, blanks and /* */ comments not counted,
//    ends the command:          FREQ x.            one command
//                               FREQ x. /* n */    one command
//                               COMPUTE y = 1.5    continues: the period is not last
//                                 * x.             ... and ends here
//  - a blank line, or one holding only /* */ comments, ends a command:
//                               FREQ x             ends at the blank line below
//  - a line starting with +, - or . in its first column starts a new command:
//                               FREQ x             one command
//                               +LIST.             the next one
//  - a comment command (* or COMMENT) ends the same ways; a /* inside it is comment text:
//                               * costs /* net.    one command
//  - from BEGIN DATA (with or without its period) up to the line END DATA, which starts
//    in the first column with one space between the words, all lines are one command,
//    blank lines and periods included; an END DATA without its period does not end the
//    command, which then goes on by the rules above:
//                               BEGIN DATA         one command of four lines
//                               1.
//
//                               END DATA.
// A period inside quotes ('a.') does not end a line's code; CR LF and lone CR end lines.
std::vector<SyntaxCommand> SplitCommands(std::string_view text);

// The whole commands that lines first..last (1-based) of the split text touch, and where
// the command after them starts.
struct CommandSpan {
    std::size_t firstLine = 0;
    std::size_t lastLine = 0;
    std::size_t nextLine = 0; // first line of the following command; 0 when none follows
};

// Lines that touch no command (blank lines between commands) stand for the command after
// them, or at the end of the text for the one before them; nullopt when there is none.
std::optional<CommandSpan> CommandsTouching(const std::vector<SyntaxCommand>& commands,
                                            std::size_t first, std::size_t last);

} // namespace qs
