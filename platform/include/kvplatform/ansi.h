// Conversion between the Windows ANSI code page (1252), in which the add-in and Excel exchange
// texts, and UTF-8, in which the host prints and stores them.
#pragma once

#include <string>
#include <string_view>

#include "api.h"

namespace kvp {

KVP_API std::string AnsiToUtf8(std::string_view ansi);

// Characters without a place in code page 1252 become '?'.
KVP_API std::string Utf8ToAnsi(std::string_view utf8);

// The code page 1252 text in lower case, accented letters included: how Windows compares
// names without regard to case (registry keys and values, menu and command names).
KVP_API std::string FoldAnsiCase(std::string_view ansi);

// The code page 1252 text as UTF-16/UTF-32 wide characters (what automation calls take).
KVP_API std::wstring AnsiToWide(std::string_view ansi);
// The code page 1252 text in UTF-16 (what Excel 12 records carry); every byte is one unit.
KVP_API std::u16string AnsiToUtf16(std::string_view ansi);

// UTF-8 and UTF-16 both ways; a byte sequence or a lone surrogate that encodes no character
// becomes U+FFFD.
KVP_API std::u16string Utf8ToUtf16(std::string_view utf8);
KVP_API std::string Utf16ToUtf8(std::u16string_view utf16);

} // namespace kvp
