#include "Ferramenta.h"

#include <exception>

#include "Saida.h"
#include "xll/ExcelCall.h"
#include "xll/Firewall.h"

void RunTool(ToolDialog& dialog, const char* tool, const BilingualText& failure,
             const std::function<ToolRun()>& run) {
  dialog.Hide();
  try {
    const ToolRun result = run();
    WriteResultBook(result.book);
    if (result.message) {
      DebugTrace("Kavenlor: %s: %s\n", tool, result.message->reason.c_str());
      ShowToolMessage(result.message->text);
    }
  } catch (const std::exception& e) {
    firewall::TraceEscape(tool, e.what());
    ShowToolMessage(failure);
  } catch (...) {
    firewall::TraceEscape(tool, nullptr);
    ShowToolMessage(failure);
  }
  dialog.Close();
}

ToolMessage MessageOf(const BilingualText& text, std::string reason) {
  return ToolMessage{text.Text(), std::move(reason)};
}
