// The one way every analysis tool runs when its dialog's OK is pressed: the dialog hides, the
// tool reads its settings, analyses its data and describes its result workbook, the description
// is written, and the dialog closes (freeing itself). A run that stops short shows the tool's
// message, with its reason traced on the debugger channel (KAVENLOR_TRACE=1 on Linux); whatever
// the description held up to the stop is written first, as a person sees it at the message.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "Dialogo.h"
#include "PastaResultado.h"

// A message a run ends with, in the language in use, and why it was shown.
struct ToolMessage {
  std::string text;
  std::string reason;
};

// What a tool's OK produced: the workbook to write (all of it, what came before a stop, or
// nothing), and the message to show once it is written.
struct ToolRun {
  ResultBook book;
  std::optional<ToolMessage> message;
};

// Runs `run` for the dialog of the tool named `tool` (as traces name it). An exception on the
// way (a block that does not fit the sheet, no memory) ends the run with the tool's general
// `failure` message; what was written stays.
void RunTool(ToolDialog& dialog, const char* tool, const BilingualText& failure,
             const std::function<ToolRun()>& run);

// The message `text`, in the language in use, shown for `reason`.
ToolMessage MessageOf(const BilingualText& text, std::string reason);
