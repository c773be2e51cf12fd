// The default language definition file's text, compiled in from data/spss-vocabulary.txt.
#pragma once

#include <string_view>

namespace qs {

std::string_view BuiltinVocabularyText();

} // namespace qs
