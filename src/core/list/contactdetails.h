#pragma once

#include "core/list/entrylist.h"

#include <string_view>

namespace sortivo
{

// Whether an entry holds what looks like an e-mail address (text@text.text) or a phone number:
// 9 to 15 figures written one way (in one piece from the trunk 0, in pairs from it, or in
// groups set apart by spaces, dots or dashes, brackets allowed), or after + or 00. What ticketing
// exports hold besides is none: references glued to letters or after "n°", dates, a year in
// front, numbers padded with zeros, sums of money. The record publishes every entry; addresses
// and phone numbers are what an organiser may not mean to publish.
bool looksLikeContactDetails(std::string_view entry);
bool holdsContactDetails(const EntryList& entries);

} // namespace sortivo
