// The style store: colours and font styles of a highlighter's registered attributes, kept
// in the registry as one subkey per attribute (named by its display name) holding the
// integers "Background", "Foreground" and "Style".
#pragma once

#include "highlight/SynHighlighterAttributes.h"
#include "platform/registry/RegistryBackend.h"

#include <memory>
#include <string>

namespace qs {

// The style key under HKEY_CURRENT_USER: the program's settings key followed by "Style".
inline constexpr const char* kHighlighterStyleKey = "Software\\Marrowgate\\Quillstone\\Style";

// Writes every registered attribute in enumeration order, creating keys as needed, as one
// batch (RegistryBackend::WriteValues). False when a subkey or value cannot be written: the
// hive file then keeps none of the batch, other stores stop there; nothing is reported.
bool SaveStyles(const TSynCustomHighlighter& highlighter, RootKey root, const std::string& path,
                std::shared_ptr<RegistryBackend> backend = DefaultRegistryBackend());

// Reads the attributes in enumeration order. False, changing nothing, when the key is
// missing; false at the first missing subkey, which leaves that attribute and all after it
// as they were. Missing values, and values that are not integers, are skipped.
bool LoadStyles(TSynCustomHighlighter& highlighter, RootKey root, const std::string& path,
                std::shared_ptr<RegistryBackend> backend = DefaultRegistryBackend());

} // namespace qs
