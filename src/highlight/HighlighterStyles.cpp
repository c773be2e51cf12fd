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
    TRegistry registry(std::move(backend));
    registry.SetRootKey(root);
    const std::string key = Absolute(path);
    if (!registry.OpenKey(key, true)) {
        return false;
    }
    try {
        for (int i = 0; i < highlighter.AttrCount(); ++i) {
            const TSynHighlighterAttributes& attribute = *highlighter.Attribute(i);
            if (!registry.OpenKey(attribute.Name(), true)) {
                return false;
            }
            registry.WriteInteger(kBackground, static_cast<std::int32_t>(attribute.Background()));
            registry.WriteInteger(kForeground, static_cast<std::int32_t>(attribute.Foreground()));
            registry.WriteInteger(kStyle, attribute.Style());
            registry.OpenKey(key, false);
        }
    } catch (const ERegistryException&) {
        return false; // the store could not be written; registry errors are not reported
    }
    return true;
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
