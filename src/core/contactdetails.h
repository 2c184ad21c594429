#pragma once

#include "core/entrylist.h"

#include <string_view>

namespace sortivo
{

// Whether an entry holds what looks like an e-mail address (text@text.text) or a phone number
// (nine digits or more, in groups set apart by spaces, dots, dashes or a leading +). The record
// publishes every entry; these are what an organiser may not mean to publish.
bool looksLikeContactDetails(std::string_view entry);
bool holdsContactDetails(const EntryList& entries);

} // namespace sortivo
