// Applies the long string value label (7.21) and missing value (7.22) records
// to the dictionary's variables.
#pragma once

#include "platform/spssio/SavDictionary.h"
#include "platform/spssio/SavInput.h"
#include "platform/spssio/SavText.h"

#include <functional>
#include <string>

namespace qs::spssio {

// Adds a label to variable var (a value labelled before gets the new label).
using AddLabel = std::function<void(int var, SavValueLabel label)>;

// A damaged record keeps what came before the damage.
void applyLongStringLabels(const std::string& payload, const SavInput& in, Recoder& recode,
                           SavDictionary& dict, const AddLabel& add);
// SPSS's layout (one value length per variable) and the older one (a length per value).
void applyLongStringMissing(const std::string& payload, const SavInput& in, Recoder& recode,
                            SavDictionary& dict);

} // namespace qs::spssio
