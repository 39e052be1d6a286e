// The names the manifest and the reports use for numbers stored in blocks:
// transition effects, placements, text styles, alignments and flags.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mlshow {

// The transition effects in the order of their stored index.
const std::vector<std::string_view> &EffectNames();
// The placement anchors by stored value 0..4 (0 and 5.. are centred).
const std::vector<std::string_view> &PlacementNames();
// The six text styles by stored value.
const std::vector<std::string_view> &TextStyleNames();
// What each text style does, for the documentation and `mlshow new`.
const std::vector<std::string_view> &TextStyleMeanings();
const std::vector<std::string_view> &AlignmentNames();

// Index of `name` in `names`, exact match; nullopt when absent.
std::optional<uint32_t> FindName(const std::vector<std::string_view> &names, std::string_view name);
// "a", "b" or "c" for error messages.
std::string ListNames(const std::vector<std::string_view> &names);
// The name at `index`, or the number itself when outside the table.
std::string NameOr(const std::vector<std::string_view> &names, uint32_t index);

// Placement value to name: 1..4 as named, anything else "centre".
std::string PlacementName(uint32_t value);

// "VALID|COMPRESSED" for the flag bits a block of `type` uses; bits of no
// known meaning show as hexadecimal.
std::string FlagNames(uint32_t type, uint32_t flags);
std::string TagName(uint32_t tag);

// "#RRGGBB" from a COLORREF (0x00BBGGRR) and back; nullopt when malformed.
std::string ColourText(uint32_t colourref);
std::optional<uint32_t> ParseColour(std::string_view text);

}  // namespace mlshow
