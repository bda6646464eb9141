#pragma once
// Conversions between the system's texts and values, and the split/field helpers of its line formats.

#include "common/Date.h"
#include "common/Money.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qz {

bool TextToBool(std::string_view text);         // true when the text upper-cased equals "TRUE"
std::string BoolToText(bool value);             // "TRUE" / "FALSE"
int BoolToInt(bool value);
bool IntToBool(int value);
std::int64_t RoundToInt(double value);          // nearest integer, halves to the even neighbour

// An empty text for the zero date; "yy/mm/dd" for kind 2, "yyyy/mm/dd" for kind 4, else "yyyy/mm/dd hh:nn".
std::string FormatDateText(int kind, TDateTime value);
TDate TextToDate(std::string_view text);        // the zero date when the text is no date
TMoney TextToMoney(std::string_view text);      // 0 when the text is no amount
// The integer of a text made only of an optional sign and digits; nothing otherwise.
std::optional<std::int64_t> TryTextToInt(std::string_view text);
// The same for a value that must fit an int; nothing for one outside its range.
std::optional<int> TryTextToInt32(std::string_view text);

// Every part of the text between separators, empty parts included: n separators give n + 1 parts.
// The one splitter of the program; the views point into text. An empty separator gives the whole text.
std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separator);
// The lines joined by CR LF (no line end after the last one).
std::string JoinCrLf(const std::vector<std::string>& lines);

// Cuts the text at the first "//" (the rest is a comment), then splits it at the separator.
// Returns the index of the last part (the number of separators); an empty text gives no parts and 0.
int SplitText(std::string_view text, std::string_view separator, std::vector<std::string>& parts);

// Part number index (from 0), trimmed, or "" when there are fewer parts; at most 101 parts are considered.
std::string FieldOf(std::string_view text, std::string_view separator, int index);

// Sorts (text, number) pairs in place by the CP932 bytes of the text (quicksort, middle pivot).
void SortNamedPairs(std::vector<std::pair<std::string, int>>& pairs);

}  // namespace qz
