// Which languages an item's text is written in, for the spelling checker:
// the languages its `lang` attributes declare, then those its words show
// (the small words every sentence of a language uses), most used first.
// Only what the text holds, no I/O; "de", "en": primary subtags, lower case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellora::content {

std::vector<std::string> contentLanguages(std::string_view html);

}  // namespace pellora::content
