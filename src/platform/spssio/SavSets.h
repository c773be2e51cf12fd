// Rewrites the multiple-response and variable set definition texts of a file
// into UTF-8 with every member named by its long variable name.
#pragma once

#include "platform/spssio/SavDictionary.h"
#include "platform/spssio/SavNameIndex.h"
#include "platform/spssio/SavText.h"

#include <string>
#include <string_view>

namespace qs::spssio {

// Maps a member name as some writer stored it (long or 8-byte short name, any
// ASCII case) to the variable's long name; unknown names stay as they are.
class MemberNames {
public:
    explicit MemberNames(const SavDictionary& dict);
    std::string operator()(std::string_view token) const;

private:
    const SavDictionary& m_dict;
    mutable NameIndex m_byShortName; // built at the first miss
    mutable bool m_shortIndexed = false;
};

// Variable sets (record 7.5): text already in UTF-8.
std::string rewriteVariableSets(std::string_view text, const MemberNames& names);
// Multiple-response sets (records 7.7 and 7.19) in the file's encoding. Counted
// value and label lengths are restated for their UTF-8 forms; a definition that
// does not parse is left out.
std::string rewriteMrSets(std::string_view raw, Recoder& recode, const MemberNames& names);

} // namespace qs::spssio
