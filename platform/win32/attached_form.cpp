#include <windows.h>
// The common controls' header needs windows.h before it.
#include <commctrl.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <set>

#include "attached_form.h"
#include "native_dialog.h"

namespace kvp::win32 {
namespace {

std::uintptr_t Number(HWND window, const char* property) {
  return reinterpret_cast<std::uintptr_t>(GetPropA(window, property));
}

std::string Text(HWND window, const char* property) {
  const auto* text = static_cast<const char*>(GetPropA(window, property));
  return text != nullptr ? text : "";
}

bool ParseIndex(const std::string& value, int& index) {
  const char* end = value.data() + value.size();
  auto [last, error] = std::from_chars(value.data(), end, index);
  return error == std::errc{} && last == end;
}

bool Visible(HWND window) {
  return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// One control of the dialog: its window (a radio group's box) and a radio group's items.
struct Piece {
  std::string kind, parent;
  int order = 0;
  HWND main = nullptr;
  std::vector<HWND> items;
};

class AttachedForm : public ModalForm {
public:
  explicit AttachedForm(HWND dialog) : dialog_(dialog) {}
  std::string Caption() const override { return WindowText(dialog_); }
  std::vector<ControlState> Controls() const override;
  FormSize ClientSize() const override;
  bool Click(const std::string& control, std::string& why) override;
  bool SetValue(const std::string& control, const std::string& value, std::string& why) override;
  bool ClickUpDown(const std::string& control, bool up, std::string& why) override;
  void CloseByFrame() override { SendMessageA(dialog_, WM_CLOSE, 0, 0); }
  bool Showing() const override { return IsWindow(dialog_) && IsWindowVisible(dialog_); }
  std::vector<std::uint32_t> ImagePixels(const std::string& control) const override;

private:
  std::map<std::string, Piece> Pieces() const;
  // The control a person can act on, or null with the reason, worded as the form words it.
  const Piece* Usable(const std::map<std::string, Piece>& pieces, const std::string& name,
                      std::string& why) const;
  ControlState Read(const std::string& name, const Piece& piece, const BaseUnits& units) const;
  BaseUnits Units() const {
    return MeasureBaseUnits(reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0)));
  }
  HWND dialog_;
};

std::map<std::string, Piece> AttachedForm::Pieces() const {
  std::map<std::string, Piece> pieces;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string name = Text(child, kNameProperty);
    if (name.empty()) continue;
    Piece& piece = pieces[name];
    if (Number(child, kItemProperty) > 0) {
      piece.items.push_back(child);
      continue;
    }
    piece.main = child;
    piece.kind = Text(child, kKindProperty);
    piece.parent = Text(child, kParentProperty);
    piece.order = static_cast<int>(Number(child, kOrderProperty));
  }
  for (auto& [name, piece] : pieces)
    std::sort(piece.items.begin(), piece.items.end(),
              [](HWND a, HWND b) { return Number(a, kItemProperty) < Number(b, kItemProperty); });
  return pieces;
}

std::vector<ControlState> AttachedForm::Controls() const {
  const auto pieces = Pieces();
  std::vector<std::pair<int, const std::string*>> order;
  for (const auto& [name, piece] : pieces)
    if (piece.main != nullptr) order.emplace_back(piece.order, &name);
  std::sort(order.begin(), order.end());
  const BaseUnits units = Units();
  std::vector<ControlState> states;
  for (const auto& [place, name] : order)
    states.push_back(Read(*name, pieces.at(*name), units));
  return states;
}

FormSize AttachedForm::ClientSize() const {
  RECT client{};
  GetClientRect(dialog_, &client);
  const BaseUnits units = Units();
  return {units.UnitsX(client.right), units.UnitsY(client.bottom)};
}

ControlState AttachedForm::Read(const std::string& name, const Piece& piece,
                                const BaseUnits& units) const {
  ControlState s;
  HWND w = piece.main;
  const std::string& k = piece.kind;
  s.name = name;
  s.kind = k;
  s.parent = piece.parent;
  s.enabled = IsWindowEnabled(w) != FALSE;
  s.visible = Visible(w);
  s.color = static_cast<std::uint32_t>(Number(w, kColorProperty));
  s.font_color = static_cast<std::uint32_t>(Number(w, kFontColorProperty));
  LOGFONTA font{};
  if (auto* handle = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
      handle != nullptr && GetObjectA(handle, sizeof font, &font) > 0)
    s.bold = font.lfWeight >= FW_BOLD;
  const RECT r = ClientBounds(dialog_, w);
  s.left = units.UnitsX(r.left);
  s.top = units.UnitsY(r.top);
  s.width = units.UnitsX(r.right) - s.left;
  s.height = units.UnitsY(r.bottom) - s.top;

  if (k == "label" || k == "button" || k == "check box" || k == "group box" || k == "radio group" ||
      k == "panel")
    s.caption = WindowText(w);
  if (k == "button") {
    const auto id = GetDlgCtrlID(w);
    const auto default_id = SendMessageA(dialog_, DM_GETDEFID, 0, 0);
    s.default_button = HIWORD(default_id) == DC_HASDEFID && LOWORD(default_id) == id;
    s.cancel_button = id == IDCANCEL;
  }
  if (k == "check box") s.checked = SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (k == "radio group") {
    std::set<LONG> columns;
    for (std::size_t i = 0; i < piece.items.size(); ++i) {
      s.items.push_back(WindowText(piece.items[i]));
      if (s.item_index < 0 && SendMessageA(piece.items[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
        s.item_index = static_cast<int>(i);
      columns.insert(ClientBounds(dialog_, piece.items[i]).left);
    }
    s.columns = std::max<int>(1, static_cast<int>(columns.size()));
  }
  if (k == "drop-down list") {
    s.items = ListItems(w);
    s.item_index = static_cast<int>(SendMessageA(w, CB_GETCURSEL, 0, 0));
  }
  if (k == "edit") {
    s.text = WindowText(w);
    // An edit without a limit of its own has the system's (30000 characters or more), above
    // any the dialogs set.
    const auto limit = SendMessageA(w, EM_GETLIMITTEXT, 0, 0);
    s.max_length = limit >= 30000 ? 0 : static_cast<int>(limit);
  }
  if (k == "masked edit") {
    s.mask = Text(w, kMaskProperty);
    s.text = MaskDigits(ParseMask(s.mask), WindowText(w));
    s.max_length = static_cast<int>(Number(w, kMaxLengthProperty));
  }
  if (k == "up-down") {
    s.position = static_cast<int>(SendMessageA(w, UDM_GETPOS32, 0, 0));
    SendMessageA(w, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&s.min),
                 reinterpret_cast<LPARAM>(&s.max));
    s.wrap = (GetWindowLongPtrA(w, GWL_STYLE) & UDS_WRAP) != 0;
  }
  if (k == "image") {
    BITMAP shape{};
    auto* bitmap = reinterpret_cast<HBITMAP>(SendMessageA(w, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (bitmap != nullptr && GetObjectA(bitmap, sizeof shape, &shape) > 0) {
      s.image_width = shape.bmWidth;
      s.image_height = std::abs(shape.bmHeight);
    }
  }
  if (k == "memo") {
    const std::string text = WindowText(w);
    for (std::size_t from = 0; !text.empty();) {
      const std::size_t end = text.find("\r\n", from);
      s.items.push_back(text.substr(from, end - from));
      if (end == std::string::npos) break;
      from = end + 2;
    }
  }
  return s;
}

const Piece* AttachedForm::Usable(const std::map<std::string, Piece>& pieces,
                                  const std::string& name, std::string& why) const {
  const auto found = pieces.find(name);
  if (found == pieces.end() || found->second.main == nullptr) {
    why = "the dialog has no control named " + name;
    return nullptr;
  }
  const Piece& piece = found->second;
  // A control in a group box shares the group's fate; the reason names the group.
  auto group = [&](auto&& state) -> std::string {
    const auto outer = pieces.find(piece.parent);
    if (piece.parent.empty() || outer == pieces.end() || outer->second.main == nullptr) return {};
    return state(outer->second.main) ? std::string() : " (its group " + piece.parent + " is)";
  };
  if (!Visible(piece.main))
    why = name + " is hidden" + group(Visible);
  else if (!IsWindowEnabled(piece.main))
    why = name + " is disabled" + group([](HWND w) { return IsWindowEnabled(w) != FALSE; });
  else
    return &piece;
  return nullptr;
}

bool AttachedForm::Click(const std::string& name, std::string& why) {
  const auto pieces = Pieces();
  const Piece* piece = Usable(pieces, name, why);
  if (piece == nullptr) return false;
  if (piece->kind != "button" && piece->kind != "check box") {
    why = name + " is a " + piece->kind + ", not something to click";
    return false;
  }
  SendMessageA(piece->main, BM_CLICK, 0, 0);
  return true;
}

namespace {
// Types `value` into an edit as a person would: the text selected, then one key at a time, the
// first key replacing the selection. In a masked edit the literals shown before the digits stay:
// the digits are selected, and a value written with the literals in front leaves them out.
void Type(HWND edit, std::string value, bool masked, const std::string& mask) {
  std::size_t from = 0;
  if (masked) {
    from = ParseMask(mask).leading.size();
    const std::string lead = ParseMask(mask).leading;
    if (!lead.empty() && value.starts_with(lead)) value.erase(0, lead.size());
  }
  SendMessageA(edit, EM_SETSEL, from, -1);
  if (value.empty()) SendMessageA(edit, WM_CHAR, VK_BACK, 0);
  for (char c : value)
    SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
}
} // namespace

bool AttachedForm::SetValue(const std::string& name, const std::string& value, std::string& why) {
  const auto pieces = Pieces();
  const Piece* piece = Usable(pieces, name, why);
  if (piece == nullptr) return false;
  const std::string& k = piece->kind;
  if (k == "check box") {
    if (value != "1" && value != "0" && value != "on" && value != "off") {
      why = "a check box takes 1/on or 0/off, not " + value;
      return false;
    }
    const bool wanted = value == "1" || value == "on";
    if ((SendMessageA(piece->main, BM_GETCHECK, 0, 0) == BST_CHECKED) != wanted)
      SendMessageA(piece->main, BM_CLICK, 0, 0);
    return true;
  }
  if (k == "radio group" || k == "drop-down list") {
    const int count = k == "radio group"
                          ? static_cast<int>(piece->items.size())
                          : static_cast<int>(SendMessageA(piece->main, CB_GETCOUNT, 0, 0));
    int index = 0;
    if (!ParseIndex(value, index) || index < 0 || index >= count) {
      why = name + " has no item " + value;
      return false;
    }
    if (k == "radio group") {
      SendMessageA(piece->items[static_cast<std::size_t>(index)], BM_CLICK, 0, 0);
    } else {
      // A choice from the list: the selection, then the notification the list sends its owner.
      SendMessageA(piece->main, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(piece->main), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(piece->main));
    }
    return true;
  }
  if (k == "edit" || k == "masked edit") {
    Type(piece->main, value, k == "masked edit", Text(piece->main, kMaskProperty));
    return true;
  }
  why = name + " is a " + k + ", which takes no value";
  return false;
}

bool AttachedForm::ClickUpDown(const std::string& name, bool up, std::string& why) {
  const auto pieces = Pieces();
  const Piece* piece = Usable(pieces, name, why);
  if (piece == nullptr) return false;
  if (piece->kind != "up-down") {
    why = name + " is a " + piece->kind + ", not an up-down";
    return false;
  }
  // A click on the upper or lower half, where the arrows are.
  RECT client{};
  GetClientRect(piece->main, &client);
  const LPARAM at = MAKELPARAM(client.right / 2, up ? client.bottom / 4 : client.bottom * 3 / 4);
  SendMessageA(piece->main, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(piece->main, WM_LBUTTONUP, 0, at);
  return true;
}

std::vector<std::uint32_t> AttachedForm::ImagePixels(const std::string& name) const {
  const auto pieces = Pieces();
  const auto found = pieces.find(name);
  if (found == pieces.end() || found->second.kind != "image") return {};
  auto* bitmap =
      reinterpret_cast<HBITMAP>(SendMessageA(found->second.main, STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP shape{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof shape, &shape) == 0) return {};
  const int height = std::abs(shape.bmHeight);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shape.bmWidth;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(shape.bmWidth) * height);
  HDC dc = GetDC(nullptr);
  const int rows =
      GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != height) return {};
  return pixels;
}

} // namespace

std::unique_ptr<ModalForm> AttachToDialog(HWND dialog) {
  if (!IsNativeDialog(dialog)) return nullptr;
  return std::make_unique<AttachedForm>(dialog);
}

} // namespace kvp::win32
