// Saving and loading highlighter styles through the registry.
#include "highlight/HighlighterStyles.h"

#include "platform/registry/Registry.h"

namespace qs {

namespace {

constexpr const char* kBackground = "Background";
constexpr const char* kForeground = "Foreground";
constexpr const char* kStyle = "Style";

// Key paths are taken from the root, whatever key the registry object has open.
std::string Absolute(const std::string& path) {
    return !path.empty() && path.front() == '\\' ? path : "\\" + path;
}

std::optional<std::int32_t> ReadIntegerIfThere(TRegistry& registry, const char* name) {
    if (!registry.ValueExists(name)) {
        return std::nullopt;
    }
    try {
        return registry.ReadInteger(name);
    } catch (const ERegistryException&) {
        return std::nullopt; // a value of another type counts as missing
    }
}

} // namespace

bool SaveStyles(const TSynCustomHighlighter& highlighter, RootKey root, const std::string& path,
                std::shared_ptr<RegistryBackend> backend) {
    const std::string key = Absolute(path);
    if (!backend->CreateKey(root, key)) {
        return false;
    }
    // One batch: the hive file is then rewritten once, not three times per attribute.
    std::vector<RegistryWrite> writes;
    writes.reserve(static_cast<std::size_t>(highlighter.AttrCount()) * 3);
    for (int i = 0; i < highlighter.AttrCount(); ++i) {
        const TSynHighlighterAttributes& attribute = *highlighter.Attribute(i);
        const std::string subkey = key + "\\" + attribute.Name();
        const auto integer = [](auto n) {
            return RegistryValue::FromInteger(static_cast<std::int32_t>(n));
        };
        writes.push_back({subkey, kBackground, integer(attribute.Background())});
        writes.push_back({subkey, kForeground, integer(attribute.Foreground())});
        writes.push_back({subkey, kStyle, integer(attribute.Style())});
    }
    return backend->WriteValues(root, writes); // registry errors are not reported
}

bool LoadStyles(TSynCustomHighlighter& highlighter, RootKey root, const std::string& path,
                std::shared_ptr<RegistryBackend> backend) {
    TRegistry registry(std::move(backend));
    registry.SetRootKey(root);
    const std::string key = Absolute(path);
    if (!registry.OpenKeyReadOnly(key)) {
        return false;
    }
    for (int i = 0; i < highlighter.AttrCount(); ++i) {
        TSynHighlighterAttributes& attribute = *highlighter.Attribute(i);
        if (!registry.OpenKeyReadOnly(attribute.Name())) {
            return false;
        }
        if (auto value = ReadIntegerIfThere(registry, kBackground)) {
            attribute.SetBackground(static_cast<TColor>(*value));
        }
        if (auto value = ReadIntegerIfThere(registry, kForeground)) {
            attribute.SetForeground(static_cast<TColor>(*value));
        }
        if (auto value = ReadIntegerIfThere(registry, kStyle)) {
            attribute.SetStyle(static_cast<TFontStyles>(*value & kAllFontStyles));
        }
        registry.OpenKeyReadOnly(key);
    }
    return true;
}

} // namespace qs
