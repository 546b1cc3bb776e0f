// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
#pragma once
#include <cstddef>
#include <string>

// Decodes the character at pos (pos < s.size()) into cp and moves pos past it. On an invalid part it
// returns false with cp U+FFFD and pos at the first byte that does not belong to the part, so each
// maximal invalid part is one replacement.
bool DecodeUtf8Char(const std::string& s, size_t& pos, char32_t& cp);
// Appends cp (a valid code point) encoded as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
