#include "Firewall.h"

#include "ExcelCall.h"

namespace firewall {

void (*OnEntry)(const char* procedure) = nullptr;

void TraceEscape(const char* procedure, const char* what) noexcept {
  try {
    DebugTrace("Erro! Exceção em %s: %s\r", procedure, what != nullptr ? what : "desconhecida");
  } catch (...) { // the channel itself failed: nothing more can be said
  }
}

} // namespace firewall
