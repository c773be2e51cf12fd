// The engine's messages for a run as one protocol string (see src/engine/PROTOCOL.md):
// a line per message, "severity TAB line TAB file TAB text" ended by LF.
#pragma once

#include "platform/automation/Automation.h"

#include <string>
#include <string_view>
#include <vector>

namespace qs::automation {

std::string EncodeEngineMessages(const std::vector<EngineMessage>& messages);
// Lines that do not read as a message are skipped: a later engine may add kinds.
std::vector<EngineMessage> DecodeEngineMessages(std::string_view text);

} // namespace qs::automation
