// The Excel call layer: every request the add-in makes of Excel goes through ExcelCall, with
// arguments made by the Temp* makers in one fixed pool that each ExcelCall empties.
//
// Counted texts: byte 0 holds the length of the characters that follow (0..255), in the
// Windows ANSI code page, with a zero byte kept after them for our own use. Stored literals
// start with a placeholder byte that is overwritten with the length before Excel sees them.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

#include "xlcall.h"

// Fixed storage for the temporaries of one Excel call. Not a heap: blocks are never freed one
// by one, only all at once, by resetting the offset.
struct TempPoolState {
  static constexpr std::uint32_t kSize = 1024;
  alignas(8) unsigned char bytes[kSize];
  std::uint32_t offset;
};
extern TempPoolState TempPool;

// n bytes from the pool, starting at an even offset; null (pool unchanged) when they do not fit.
void* TempAlloc(std::size_t bytes);
void TempReleaseAll();

// Each maker returns a temporary valid until the end of the next ExcelCall, or null when the
// pool is exhausted (ExcelCall then refuses the call).
LPXLOPER TempNumber(double value);
LPXLOPER TempText(char* counted_text); // stamps the length byte; the text is not copied
LPXLOPER TempBoolean(int flag);
LPXLOPER TempInteger(std::int16_t value);
LPXLOPER TempOmitted();
// A reference to one rectangle of the active sheet (rows and columns from 0); asks Excel for
// the sheet's id directly, so that the temporaries already made survive.
LPXLOPER TempSheetRange(std::uint16_t first_row, std::uint16_t last_row, std::uint8_t first_col,
                        std::uint8_t last_col);

// Writes the length of the zero-terminated characters after byte 0 into byte 0 (truncated to
// 8 bits) and returns the text.
char* StampCountedText(char* counted_text);

// Formats with the printf rules (the formats used are the wvsprintf subset) into 256 bytes and
// writes the result to the debugger output channel.
void DebugTrace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Names the failure of a refused call through `callback` ("Excel4", "Excel12"), one trace per
// piece, as the debugger shows them.
void TraceCallFailure(const char* callback, int xlfn, int code);

// Runs `count` arguments through Excel: refuses a null argument (return 32, nothing called),
// routes xlCoerce through CoerceReference, traces a failure, and empties the pool.
int ExcelCallv(int xlfn, LPXLOPER result, int count, LPXLOPER* args);

template <typename... Args>
requires(std::convertible_to<Args, LPXLOPER>&&...) int ExcelCall(int xlfn, LPXLOPER result,
                                                                 int count, Args... args) {
  LPXLOPER list[sizeof...(Args) + 1] = {static_cast<LPXLOPER>(args)..., nullptr};
  if (count != static_cast<int>(sizeof...(Args))) { // a caller's slip: never guess the list
    TempReleaseAll();
    return xlretInvCount;
  }
  return ExcelCallv(xlfn, result, count, list);
}

// Empties the pool and starts the automation bridge; returns the bridge's status (0 success).
int ExcelLayerInit();

// Reference coercion (function 16386) as ExcelCall routes it: with one argument the type is
// taken as omitted; more than two arguments are refused with xlretInvCount.
int CoerceReference(LPXLOPER result, int count, LPXLOPER* args);

// Excel gives back a value the add-in returned marked xlbitDLLFree.
KV_ENTRY(void) xlAutoFree(LPXLOPER value);
KV_ENTRY(void) xlAutoFree12(LPXLOPER12 value);
