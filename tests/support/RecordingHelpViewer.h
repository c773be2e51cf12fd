// Stands in for the system's help and document viewers: records what was asked of them.
#pragma once

#include "platform/help/HelpViewer.h"

#include <string>
#include <vector>

namespace qs::test {

class RecordingHelpViewer final : public HelpViewer {
public:
    std::vector<std::string> calls; // "keyword <word> in <file>" or "open <path>"
    HelpResult result;              // what every call answers

    HelpResult ShowHelpKeyword(const std::string& keyword, const std::string& helpFile) override {
        calls.push_back("keyword " + keyword + " in " + helpFile);
        return result;
    }
    HelpResult OpenDocument(const std::string& path, std::uintptr_t) override {
        calls.push_back("open " + path);
        return result;
    }
};

} // namespace qs::test
