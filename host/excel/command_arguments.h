// Reading the arguments of macro commands as Excel reads them. An omitted argument (or an empty
// one) leaves its setting unchanged. A record of a kind that cannot stand for a value (a
// reference, an array, a flow record) makes the call an invalid record (xlretInvXloper); a value
// Excel cannot take for the argument (a word where a number goes, an error value, a number out of
// range) fails the command (xlretFailed), as a macro's command does with an error alert.
#pragma once

#include <optional>
#include <string>

#include "../model/formats.h"
#include "excel_host.h"

namespace kvhost {

template <class Oper> bool Given(ArgumentsOf<Oper> args, std::size_t index);

// Each reader sets `out` when argument `index` is given, leaves it alone when omitted, and
// returns xlretSuccess or the code the command fails with.
template <class Oper>
int ReadNumber(ArgumentsOf<Oper> args, std::size_t index, std::optional<double>& out);
// Numbers are truncated to whole ones, as Excel takes a number where an integer goes.
template <class Oper>
int ReadInteger(ArgumentsOf<Oper> args, std::size_t index, std::optional<int>& out, int min,
                int max);
template <class Oper>
int ReadBoolean(ArgumentsOf<Oper> args, std::size_t index, std::optional<bool>& out);
template <class Oper>
int ReadText(ArgumentsOf<Oper> args, std::size_t index, std::optional<std::string>& out); // UTF-8
// A palette colour (1-56), 0 (automatic) too when `automatic` allows it.
template <class Oper>
int ReadColour(ArgumentsOf<Oper> args, std::size_t index, std::optional<PaletteIndex>& out,
               bool automatic);

// kvhost refuses (xlretFailed) a setting it does not keep rather than drop it unseen: any
// argument from `first` to `last` that is given fails the command.
template <class Oper> int RefuseGiven(ArgumentsOf<Oper> args, std::size_t first, std::size_t last);
// The same for flags whose FALSE is what kvhost's model always shows: only TRUE is refused.
template <class Oper> int RefuseTrue(ArgumentsOf<Oper> args, std::size_t first, std::size_t last);

// FONT.PROPERTIES and ACTIVE.CELL.FONT: (font, font_style, size, strikethrough, superscript,
// subscript, outline, shadow, underline, color, normal, background, start_char, char_count).
// Font styles are the names of the Font tab: "Regular"/"Normal", "Bold", "Italic",
// "Bold Italic", and the Portuguese Excel's "Negrito", "Itálico", "Negrito Itálico" (an add-in
// may give the style in the language of the Excel it runs in). An unknown style fails.
// Outline and shadow are ignored, as Excel for Windows ignores them. Strikethrough, superscript,
// subscript, underline, the normal font, a chart text's background and a part of a text
// (start_char, char_count) are not kept by kvhost: their FALSE, no underline (0) and automatic
// background (1) are accepted, anything else refused.
template <class Oper> int ReadFontProperties(ArgumentsOf<Oper> args, FormatChange& change);

} // namespace kvhost
