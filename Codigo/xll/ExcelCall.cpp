#include "ExcelCall.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Firewall.h"
#include "Xlauto.h"
#include "kvplatform/debug.h"
#include "xloper.h"

TempPoolState TempPool{};

void* TempAlloc(std::size_t bytes) {
  if (bytes > TempPoolState::kSize - TempPool.offset) return nullptr;
  void* block = TempPool.bytes + TempPool.offset;
  TempPool.offset += static_cast<std::uint32_t>(bytes);
  TempPool.offset += TempPool.offset & 1u; // the next block starts at an even offset
  return block;
}

void TempReleaseAll() {
  TempPool.offset = 0;
}

namespace {
LPXLOPER TempValue(std::uint16_t type) {
  auto* value = static_cast<LPXLOPER>(TempAlloc(sizeof(XLOPER)));
  if (value != nullptr) {
    std::memset(value, 0, sizeof(XLOPER));
    value->xltype = type;
  }
  return value;
}
} // namespace

LPXLOPER TempNumber(double number) {
  LPXLOPER value = TempValue(xltypeNum);
  if (value != nullptr) value->val.num = number;
  return value;
}

char* StampCountedText(char* counted_text) {
  counted_text[0] = static_cast<char>(static_cast<unsigned char>(std::strlen(counted_text + 1)));
  return counted_text;
}

LPXLOPER TempText(char* counted_text) {
  if (counted_text == nullptr) return nullptr;
  LPXLOPER value = TempValue(xltypeStr);
  if (value != nullptr) value->val.str = StampCountedText(counted_text);
  return value;
}

LPXLOPER TempBoolean(int flag) {
  LPXLOPER value = TempValue(xltypeBool);
  if (value != nullptr) value->val.xbool = flag != 0 ? 1 : 0;
  return value;
}

LPXLOPER TempInteger(std::int16_t number) {
  LPXLOPER value = TempValue(xltypeInt);
  if (value != nullptr) value->val.w = number;
  return value;
}

LPXLOPER TempOmitted() {
  return TempValue(xltypeMissing);
}

LPXLOPER TempSheetRange(std::uint16_t first_row, std::uint16_t last_row, std::uint8_t first_col,
                        std::uint8_t last_col) {
  LPXLOPER value = TempValue(xltypeRef);
  auto* rectangles = static_cast<XLMREF*>(TempAlloc(sizeof(XLMREF)));
  if (value == nullptr || rectangles == nullptr) return nullptr;
  XLOPER sheet{};
  if (Excel4(xlSheetId, &sheet, 0) != xlretSuccess) return nullptr;
  rectangles->count = 1;
  rectangles->reftbl[0] = XLREF{first_row, last_row, first_col, last_col};
  value->val.mref.lpmref = rectangles;
  value->val.mref.idSheet = sheet.val.mref.idSheet;
  return value;
}

void DebugTrace(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  kvp::OutputDebugText(buffer);
}

void TraceCallFailure(const char* callback, int xlfn, int code) {
  DebugTrace("Erro! %s(", callback);
  if (xlfn & xlCommand) DebugTrace("xlCommand | ");
  if (xlfn & xlSpecial) DebugTrace("xlSpecial | ");
  if (xlfn & xlIntl) DebugTrace("xlIntl | ");
  if (xlfn & xlPrompt) DebugTrace("xlPrompt | ");
  DebugTrace("%u) falha em callback:", static_cast<unsigned>(xlfn & xlFunctionMask));
  static const char* const kReasons[] = {
      " Macro Abortada\r",    " Função Inválida\r", " Número de argumentos inválido\r",
      " Invalido XLOPER\r",   " Stack Overflow\r",  " Falha na execução do comando\r",
      " Célula sem cálculo\r"};
  for (int bit = 0; bit < 7; ++bit)
    if (code & (1 << bit)) DebugTrace("%s", kReasons[bit]);
}

int ExcelCallv(int xlfn, LPXLOPER result, int count, LPXLOPER* args) {
  for (int i = 0; i < count; ++i) {
    if (args[i] == nullptr) {
      DebugTrace("Erro! Parâmetro zero está sendo passado para o Excel. Limpando memória...\r");
      TempReleaseAll();
      return xlretFailed;
    }
  }
  const int code =
      xlfn == xlCoerce ? CoerceReference(result, count, args) : Excel4v(xlfn, result, count, args);
  if (code != xlretSuccess) TraceCallFailure("Excel4", xlfn, code);
  TempReleaseAll();
  return code;
}

int ExcelLayerInit() {
  TempReleaseAll();
  return AutomationStart();
}

namespace {
// Only texts and arrays carry memory of ours; the record itself is static.
template <class Oper> void FreeOwnMemory(Oper* value) {
  if (value == nullptr) return;
  const unsigned type = xl::BaseType(*value);
  if (type == xltypeStr) {
    std::free(value->val.str);
    value->val.str = nullptr;
  } else if (type == xltypeMulti) {
    std::free(value->val.array.lparray);
    value->val.array.lparray = nullptr;
  }
}
} // namespace

KV_ENTRY(void) xlAutoFree(LPXLOPER value) {
  Guarded("xlAutoFree", [value] { FreeOwnMemory(value); });
}

KV_ENTRY(void) xlAutoFree12(LPXLOPER12 value) {
  Guarded("xlAutoFree12", [value] { FreeOwnMemory(value); });
}
