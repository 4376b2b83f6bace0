#include "dialog_driver.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <istream>
#include <ostream>

#include "kvplatform/ansi.h"

namespace kvhost {
namespace {

// A text as the dialog holds it (ANSI), for people: UTF-8 in quotes, line breaks as \n.
std::string Quoted(const std::string& ansi) {
  std::string text = "\"";
  for (char c : kvp::AnsiToUtf8(ansi)) {
    if (c == '\n')
      text += "\\n";
    else if (c == '\r')
      text += "\\r";
    else if (c == '"' || c == '\\')
      text += std::string("\\") + c;
    else
      text += c;
  }
  return text + "\"";
}

// A VCL colour by its name when it is one of the standard ones, else as $00BBGGRR.
std::string ColourName(std::uint32_t colour) {
  static const struct {
    std::uint32_t value;
    const char* name;
  } kNames[] = {{0x8000000F, "clBtnFace"}, {0x80000005, "clWindow"},  {0x80000008, "clWindowText"},
                {0x00000000, "clBlack"},   {0x00000080, "clMaroon"},  {0x00008000, "clGreen"},
                {0x00008080, "clOlive"},   {0x00800000, "clNavy"},    {0x00800080, "clPurple"},
                {0x00808000, "clTeal"},    {0x00808080, "clGray"},    {0x00C0C0C0, "clSilver"},
                {0x000000FF, "clRed"},     {0x0000FF00, "clLime"},    {0x0000FFFF, "clYellow"},
                {0x00FF0000, "clBlue"},    {0x00FF00FF, "clFuchsia"}, {0x00FFFF00, "clAqua"},
                {0x00FFFFFF, "clWhite"}};
  for (const auto& known : kNames)
    if (known.value == colour) return known.name;
  char hex[16];
  std::snprintf(hex, sizeof hex, "$%08X", static_cast<unsigned>(colour));
  return hex;
}

std::string WithoutAccessKey(const std::string& caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      plain += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') { // "&&" is one '&'
      plain += '&';
      ++i;
    }
  }
  return plain;
}

bool SameWord(const std::string& a, const char* b) {
  const std::string plain = WithoutAccessKey(a);
  return std::equal(plain.begin(), plain.end(), b, b + std::char_traits<char>::length(b),
                    [](char x, char y) {
                      return std::tolower(static_cast<unsigned char>(x)) ==
                             std::tolower(static_cast<unsigned char>(y));
                    });
}

std::string FindButton(const std::vector<kvp::ControlState>& controls,
                       std::initializer_list<const char*> names,
                       std::initializer_list<const char*> captions) {
  for (const auto& c : controls)
    if (c.kind == "button")
      for (const char* name : names)
        if (SameWord(c.name, name)) return c.name;
  for (const auto& c : controls)
    if (c.kind == "button")
      for (const char* caption : captions)
        if (SameWord(c.caption, caption)) return c.name;
  return {};
}

// The first word of `line` and what follows it.
std::pair<std::string, std::string> SplitWord(const std::string& line) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  const std::size_t end = line.find_first_of(" \t", start);
  if (end == std::string::npos) return {line.substr(start), {}};
  const std::size_t rest = line.find_first_not_of(" \t", end);
  return {line.substr(start, end - start), rest == std::string::npos ? "" : line.substr(rest)};
}

} // namespace

std::string Describe(const DialogAction& action) {
  switch (action.kind) {
  case DialogAction::Kind::Set: return "set " + action.control + " to \"" + action.value + "\"";
  case DialogAction::Kind::Click: return "clicked " + action.control;
  case DialogAction::Kind::Up: return "clicked the up arrow of " + action.control;
  case DialogAction::Kind::Down: return "clicked the down arrow of " + action.control;
  case DialogAction::Kind::Ok: return "pressed OK";
  case DialogAction::Kind::Cancel: return "cancelled";
  }
  return {};
}

std::optional<DialogAction> ParseSetAction(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos || equals == 0) return std::nullopt;
  return DialogAction{DialogAction::Kind::Set, std::string(text.substr(0, equals)),
                      std::string(text.substr(equals + 1))};
}

std::string OkButton(const std::vector<kvp::ControlState>& controls) {
  return FindButton(controls, {"b_ok"}, {"OK"});
}

std::string CancelButton(const std::vector<kvp::ControlState>& controls) {
  return FindButton(controls, {"b_cancel", "b_cancelar"}, {"Cancel", "Cancelar"});
}

void PrintDialog(const kvp::ModalForm& form, std::ostream& out) {
  out << "Dialog " << Quoted(form.Caption()) << '\n';
  for (const kvp::ControlState& c : form.Controls()) {
    out << "  " << c.name << ": " << c.kind;
    if (!c.caption.empty() || c.kind == "label" || c.kind == "button" || c.kind == "check box")
      out << ' ' << Quoted(c.caption);
    const bool edit = c.kind == "edit" || c.kind == "masked edit";
    if (edit) out << ", text " << Quoted(c.text);
    if (!c.parent.empty()) out << ", in " << c.parent;
    out << (c.enabled ? ", enabled" : ", disabled") << (c.visible ? ", visible" : ", hidden");
    if (c.kind == "check box") out << (c.checked ? ", checked" : ", not checked");
    if (c.bold) out << ", bold";
    out << ", colour " << ColourName(c.color) << ", font " << ColourName(c.font_color) << '\n';

    if (c.kind == "radio group" || c.kind == "drop-down list") {
      out << "    item index " << c.item_index;
      if (c.columns > 1) out << ", in " << c.columns << " columns";
      out << '\n';
      for (std::size_t i = 0; i < c.items.size(); ++i)
        out << "    " << (static_cast<int>(i) == c.item_index ? "* " : "  ") << i << ' '
            << Quoted(c.items[i]) << '\n';
    }
    if (edit) {
      if (!c.mask.empty()) out << "    mask " << Quoted(c.mask) << '\n';
      out << "    max length "
          << (c.max_length > 0 ? std::to_string(c.max_length) : std::string("none")) << '\n';
    }
    if (c.kind == "up-down")
      out << "    position " << c.position << ", from " << c.min << " to " << c.max << '\n'
          << (c.wrap ? "    wraps round\n" : "    no wrap\n");
    if (c.kind == "image") {
      if (c.image_width > 0)
        out << "    picture " << c.image_width << 'x' << c.image_height << '\n';
      else
        out << "    no picture\n";
    }
    if (c.kind == "memo") {
      out << "    " << c.items.size() << (c.items.size() == 1 ? " line\n" : " lines\n");
      for (const std::string& line : c.items)
        out << "    |" << (line.empty() ? "" : " ") << kvp::AnsiToUtf8(line) << '\n';
    }
  }
}

DialogDriver::DialogDriver(DialogMode mode, std::ostream& out, std::istream& in)
    : mode_(mode), out_(out), in_(in) {}

DialogDriver::~DialogDriver() {
  kvp::SetModalDriver(nullptr, nullptr);
}

void DialogDriver::Install() {
  kvp::SetModalDriver(&DialogDriver::Drive, this);
}

void DialogDriver::AddActions(const std::vector<DialogAction>& actions) {
  pending_.insert(pending_.end(), actions.begin(), actions.end());
}

bool DialogDriver::Refused() const {
  return std::any_of(dialogs_.begin(), dialogs_.end(),
                     [](const DialogRecord& d) { return !d.refusal.empty(); });
}

void DialogDriver::Drive(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
  auto& driver = *static_cast<DialogDriver*>(context);
  DialogRecord record;
  record.caption = kvp::AnsiToUtf8(form.Caption());
  record.controls = form.Controls();
  if (driver.mode_ == DialogMode::Prompt)
    driver.RunPrompt(form, record);
  else
    driver.RunScript(form, record);
  driver.dialogs_.push_back(std::move(record));
  driver.out_.flush();
}

bool DialogDriver::Take(kvp::ModalForm& form, const DialogAction& action, DialogRecord& record,
                        std::string& why) {
  const std::string control = kvp::Utf8ToAnsi(action.control);
  bool taken = false;
  switch (action.kind) {
  case DialogAction::Kind::Set:
    taken = form.SetValue(control, kvp::Utf8ToAnsi(action.value), why);
    break;
  case DialogAction::Kind::Click: taken = form.Click(control, why); break;
  case DialogAction::Kind::Up: taken = form.ClickUpDown(control, true, why); break;
  case DialogAction::Kind::Down: taken = form.ClickUpDown(control, false, why); break;
  case DialogAction::Kind::Ok: {
    const std::string ok = OkButton(form.Controls());
    if (ok.empty()) {
      why = "the dialog has no OK button";
      return false;
    }
    taken = form.Click(ok, why);
    if (taken) record.closed_by = ok;
    break;
  }
  case DialogAction::Kind::Cancel: {
    const std::string cancel = CancelButton(form.Controls());
    std::string refused;
    if (!cancel.empty() && form.Click(cancel, refused)) {
      record.closed_by = cancel;
    } else {
      form.CloseByFrame();
      record.closed_by = "its frame";
    }
    taken = true;
    break;
  }
  }
  if (!taken) return false;
  record.actions.push_back(Describe(action));
  if (form.Showing() && action.kind == DialogAction::Kind::Ok) record.closed_by.clear();
  return true;
}

void DialogDriver::Finish(kvp::ModalForm& form, DialogRecord& record, bool answered) {
  if (!form.Showing()) {
    if (record.closed_by.empty()) record.closed_by = "its own handler";
    return;
  }
  // A dialog whose OK the script pressed and that stayed open (its handler refused what it
  // was given) is not pressed again.
  const std::string ok = answered ? std::string() : OkButton(form.Controls());
  std::string why;
  if (!ok.empty() && form.Click(ok, why)) {
    record.actions.push_back("pressed " + ok);
    if (!form.Showing()) {
      record.closed_by = ok;
      return;
    }
  }
  form.CloseByFrame();
  record.closed_by = "its frame";
}

void DialogDriver::RunScript(kvp::ModalForm& form, DialogRecord& record) {
  if (mode_ == DialogMode::Print || show_dialogs_) PrintDialog(form, out_);
  std::size_t used = 0;
  bool answered = false;
  // With ShowDialogs, the dialog is shown again once the actions that change it are done,
  // before it is answered.
  auto show_changes = [&] {
    if (!show_dialogs_ || record.actions.empty() || !form.Showing()) return;
    out_ << "After the actions:\n";
    PrintDialog(form, out_);
  };
  while (used < pending_.size() && form.Showing()) {
    const DialogAction next = pending_[used];
    if (next.kind == DialogAction::Kind::Ok || next.kind == DialogAction::Kind::Cancel)
      show_changes();
    const DialogAction action = pending_[used++];
    std::string why;
    if (!Take(form, action, record, why)) {
      record.refusal = Describe(action) + ": " + why;
      pending_.clear();
      form.CloseByFrame();
      record.closed_by = "its frame";
      return;
    }
    answered = action.kind == DialogAction::Kind::Ok || action.kind == DialogAction::Kind::Cancel;
    if (answered) break;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
  if (!answered) show_changes();
  Finish(form, record, answered);
}

void DialogDriver::RunPrompt(kvp::ModalForm& form, DialogRecord& record) {
  static const char* const kHelp =
      "list | click NAME | set NAME VALUE | up NAME | down NAME | ok | cancel | help";
  PrintDialog(form, out_);
  out_ << kHelp << '\n';
  std::string line;
  while (form.Showing()) {
    out_ << "> " << std::flush;
    if (!std::getline(in_, line)) { // the person left: the dialog goes as by its frame
      out_ << '\n';
      form.CloseByFrame();
      record.closed_by = "its frame";
      return;
    }
    const auto [word, rest] = SplitWord(line);
    if (word.empty()) continue;
    if (word == "list") {
      PrintDialog(form, out_);
      continue;
    }
    if (word == "help") {
      out_ << kHelp << '\n';
      continue;
    }
    DialogAction action;
    const auto [name, value] = SplitWord(rest);
    if (word == "ok") {
      action.kind = DialogAction::Kind::Ok;
    } else if (word == "cancel") {
      action.kind = DialogAction::Kind::Cancel;
    } else if ((word == "click" || word == "up" || word == "down") && !name.empty()) {
      action.kind = word == "click" ? DialogAction::Kind::Click
                    : word == "up"  ? DialogAction::Kind::Up
                                    : DialogAction::Kind::Down;
      action.control = name;
    } else if (word == "set" && !name.empty()) {
      action.kind = DialogAction::Kind::Set;
      action.control = name;
      action.value = value;
    } else {
      out_ << "not understood; " << kHelp << '\n';
      continue;
    }
    std::string why;
    if (!Take(form, action, record, why)) out_ << "refused: " << why << '\n';
  }
  if (record.closed_by.empty()) record.closed_by = "its own handler";
}

} // namespace kvhost
