// UTF-8 for what the programs print or write for people and other tools
// (terminals, SVG, dxfscan's output). The product's own files stay in the ANSI
// code page; this is only for the edges that speak UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Appends one code point; values past U+10FFFF and surrogates become U+FFFD.
void AppendUtf8(std::string& out, char32_t code_point);
// The code point at text[i] (a surrogate pair counts as one, and i moves past
// it); a lone surrogate is U+FFFD.
char32_t NextCodePoint(std::u16string_view text, std::size_t& i);
std::string ToUtf8(std::u16string_view text);
// Malformed input becomes U+FFFD.
std::u16string FromUtf8(std::string_view text);

}  // namespace platform
