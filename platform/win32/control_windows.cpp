// The native dialog's control windows: made once from the form's controls, then brought in line
// with them after every event.
#include <windows.h>
// The common controls' header needs windows.h before it.
#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "attached_form.h"
#include "dialog_window.h"

namespace kvp::win32 {
namespace {

bool IsFrame(const std::string& kind) {
  return kind == "panel" || kind == "group box" || kind == "radio group";
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i)
    text += (i == 0 ? "" : "\r\n") + lines[i];
  return text;
}
} // namespace

const char* DialogWindow::Keep(const std::string& text) {
  texts_.push_back(text);
  return texts_.back().c_str();
}

void DialogWindow::Mark(HWND window, const char* property, const void* value) {
  SetPropA(window, property, const_cast<void*>(value));
  marks_.emplace_back(window, property);
}

HWND DialogWindow::Child(const char* window_class, const std::string& text, DWORD style,
                         const RECT& bounds, DWORD extended) {
  HWND child = CreateWindowExA(
      extended, window_class, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style, bounds.left,
      bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(next_id_++)), ThisModule(), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return child;
}

void DialogWindow::CreateControls(std::vector<ControlState> states) {
  std::vector<std::pair<RECT, COLORREF>> panels;
  // The windows are made in reading order, top to bottom and left to right, which is the order
  // Tab goes through them; their marks keep the form's own order.
  std::vector<std::size_t> reading(states.size());
  for (std::size_t i = 0; i < states.size(); ++i)
    reading[i] = i;
  std::stable_sort(reading.begin(), reading.end(), [&](std::size_t a, std::size_t b) {
    return std::pair(states[a].top, states[a].left) < std::pair(states[b].top, states[b].left);
  });
  for (std::size_t i : reading) {
    const ControlState& s = states[i];
    const RECT bounds{units_.PixelsX(s.left), units_.PixelsY(s.top),
                      units_.PixelsX(s.left + s.width), units_.PixelsY(s.top + s.height)};
    Create(s, static_cast<int>(i) + 1, bounds);
    if (s.kind == "panel") panels.emplace_back(bounds, ToColorRef(s.color));
  }
  for (const ControlState& s : states) {
    HWND main = windows_[s.name].front();
    // Frames go beneath the controls they hold, which would otherwise be painted over.
    if (IsFrame(s.kind))
      SetWindowPos(main, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (s.kind != "label" && s.kind != "image") continue;
    const RECT r = ClientBounds(window_, main);
    for (const auto& [panel, color] : panels)
      if (r.left >= panel.left && r.top >= panel.top && r.right <= panel.right &&
          r.bottom <= panel.bottom)
        backdrops_[main] = color;
  }
}

void DialogWindow::Create(const ControlState& s, int order, const RECT& bounds) {
  std::vector<HWND>& made = windows_[s.name];
  const std::string& k = s.kind;
  if (k == "label") {
    made.push_back(Child("STATIC", s.caption, SS_LEFT | SS_NOPREFIX, bounds));
  } else if (k == "panel") {
    made.push_back(Child("STATIC", s.caption, SS_CENTER | SS_NOPREFIX, bounds));
  } else if (k == "group box") {
    made.push_back(Child("BUTTON", s.caption, BS_GROUPBOX, bounds));
  } else if (k == "radio group") {
    made.push_back(Child("BUTTON", s.caption, BS_GROUPBOX, bounds));
    const int count = static_cast<int>(s.items.size());
    for (int i = 0; i < count; ++i) {
      const RECT r = RadioItemRect(bounds, i, count, s.columns, units_);
      HWND item = Child("BUTTON", s.items[static_cast<std::size_t>(i)],
                        BS_RADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), r);
      Mark(item, kItemProperty, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(i + 1)));
      made.push_back(item);
    }
  } else if (k == "button") {
    HWND button = Child("BUTTON", s.caption,
                        (s.default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, bounds);
    if (s.default_button || s.cancel_button)
      SetWindowLongPtrA(button, GWLP_ID, s.default_button ? IDOK : IDCANCEL);
    made.push_back(button);
  } else if (k == "check box") {
    made.push_back(Child("BUTTON", s.caption, BS_CHECKBOX | WS_TABSTOP, bounds));
  } else if (k == "drop-down list") {
    RECT dropped = bounds;
    dropped.bottom += units_.PixelsY(10) * 8 + 4; // room for the list when it drops
    HWND list = Child("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, dropped);
    // The closed list is as high as the layout says: its selection field takes the rest. How
    // much the frame adds depends on the system, so the field's height is corrected by what
    // each try gives.
    const LONG wanted = bounds.bottom - bounds.top;
    auto height = [list] {
      RECT shown{};
      GetWindowRect(list, &shown);
      return shown.bottom - shown.top;
    };
    auto field = SendMessageA(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int round = 0; round < 3 && height() != wanted; ++round) {
      field += wanted - height();
      if (field <= 0) break;
      SendMessageA(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    made.push_back(list);
  } else if (k == "edit" || k == "masked edit") {
    HWND edit = Child("EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, bounds, WS_EX_CLIENTEDGE);
    if (k == "edit" && s.max_length > 0) SendMessageA(edit, EM_LIMITTEXT, s.max_length, 0);
    if (k == "masked edit") {
      Mark(edit, kMaskProperty, Keep(s.mask));
      Mark(edit, kMaxLengthProperty,
           reinterpret_cast<const void*>(static_cast<std::uintptr_t>(s.max_length)));
    }
    made.push_back(edit);
  } else if (k == "up-down") {
    HWND arrows = Child(UPDOWN_CLASSA, "", s.wrap ? UDS_WRAP : 0, bounds);
    SendMessageA(arrows, UDM_SETRANGE32, s.min, s.max);
    // The control picks a width of its own when created; the layout's is the one wanted.
    MoveWindow(arrows, bounds.left, bounds.top, bounds.right - bounds.left,
               bounds.bottom - bounds.top, FALSE);
    made.push_back(arrows);
  } else if (k == "image") {
    const std::vector<std::uint32_t> pixels = form_.ImagePixels(s.name);
    const bool has_picture =
        s.image_width > 0 && s.image_height > 0 &&
        pixels.size() == static_cast<std::size_t>(s.image_width) * s.image_height;
    // Without a picture the place is plain, in the colour around it.
    HWND picture =
        Child("STATIC", "", has_picture ? SS_BITMAP | SS_REALSIZECONTROL : SS_LEFT, bounds);
    if (has_picture) {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = s.image_width;
      info.bmiHeader.biHeight = -s.image_height; // top row first, as the pixels come
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (bitmap != nullptr) {
        std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
        bitmaps_.push_back(bitmap);
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
        // The control keeps the layout's size, the picture stretched to it.
        MoveWindow(picture, bounds.left, bounds.top, bounds.right - bounds.left,
                   bounds.bottom - bounds.top, FALSE);
      }
    }
    made.push_back(picture);
  } else if (k == "memo") {
    made.push_back(Child("EDIT", "",
                         ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                         bounds, WS_EX_CLIENTEDGE));
  } else {
    made.push_back(Child("STATIC", s.caption, SS_LEFT, bounds));
  }
  // Every control starts a group of its own for the arrow keys.
  SetWindowLongPtrA(made.front(), GWL_STYLE, GetWindowLongPtrA(made.front(), GWL_STYLE) | WS_GROUP);
  for (HWND window : made) {
    Mark(window, kNameProperty, Keep(s.name));
    Mark(window, kKindProperty, KindText(k));
    Mark(window, kOrderProperty, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(order)));
    if (!s.parent.empty()) Mark(window, kParentProperty, Keep(s.parent));
    Mark(window, kColorProperty, reinterpret_cast<const void*>(std::uintptr_t{s.color}));
    Mark(window, kFontColorProperty, reinterpret_cast<const void*>(std::uintptr_t{s.font_color}));
  }
  if (k == "masked edit") FilterMaskedEdit(made.front());
}

void DialogWindow::Update() {
  updating_ = true;
  if (const std::string caption = form_.Caption(); WindowText(window_) != caption)
    SetWindowTextA(window_, caption.c_str());
  for (const ControlState& s : form_.Controls())
    UpdateControl(s);
  updating_ = false;
  // A form that has closed is gone from the screen at once; the loop ends on its next turn.
  if (!form_.Showing()) ShowWindow(window_, SW_HIDE);
}

void DialogWindow::UpdateControl(const ControlState& s) {
  const auto found = windows_.find(s.name);
  if (found == windows_.end()) return;
  const std::vector<HWND>& made = found->second;
  HWND main = made.front();
  auto set_text = [](HWND window, const std::string& text) {
    if (WindowText(window) != text) SetWindowTextA(window, text.c_str());
  };
  const std::string& k = s.kind;
  if (k == "label" || k == "button" || k == "check box" || k == "group box" || k == "radio group" ||
      k == "panel")
    set_text(main, s.caption);
  if (k == "check box") SendMessageA(main, BM_SETCHECK, s.checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (k == "radio group")
    for (std::size_t i = 1; i < made.size(); ++i) {
      if (i - 1 < s.items.size()) set_text(made[i], s.items[i - 1]);
      const bool chosen = static_cast<int>(i - 1) == s.item_index;
      SendMessageA(made[i], BM_SETCHECK, chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  if (k == "drop-down list") {
    if (ListItems(main) != s.items) {
      SendMessageA(main, CB_RESETCONTENT, 0, 0);
      for (const std::string& item : s.items)
        SendMessageA(main, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    if (SendMessageA(main, CB_GETCURSEL, 0, 0) != s.item_index)
      SendMessageA(main, CB_SETCURSEL, static_cast<WPARAM>(s.item_index), 0);
  }
  if (k == "edit" || k == "masked edit" || k == "memo") {
    const std::string shown = k == "masked edit" ? MaskDisplay(ParseMask(s.mask), s.text)
                              : k == "memo"      ? Joined(s.items)
                                                 : s.text;
    if (WindowText(main) != shown) {
      SetWindowTextA(main, shown.c_str());
      // The caret after the text, where typing goes on (a masked edit: before its last literals).
      const auto end =
          k == "masked edit" ? ParseMask(s.mask).leading.size() + s.text.size() : shown.size();
      SendMessageA(main, EM_SETSEL, end, end);
    }
  }
  if (k == "up-down") {
    int low = 0, high = 0;
    SendMessageA(main, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    if (low != s.min || high != s.max) SendMessageA(main, UDM_SETRANGE32, s.min, s.max);
    SendMessageA(main, UDM_SETPOS32, 0, s.position);
  }
  HFONT font = s.bold ? bold_font_ : font_;
  for (HWND window : made) {
    if (reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)) != font)
      SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    const auto color = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(s.color));
    const auto font_color =
        reinterpret_cast<const void*>(static_cast<std::uintptr_t>(s.font_color));
    if (GetPropA(window, kColorProperty) != color ||
        GetPropA(window, kFontColorProperty) != font_color) {
      SetPropA(window, kColorProperty, const_cast<void*>(color));
      SetPropA(window, kFontColorProperty, const_cast<void*>(font_color));
      InvalidateRect(window, nullptr, TRUE);
    }
    if ((IsWindowEnabled(window) != FALSE) != s.enabled) EnableWindow(window, s.enabled);
    const bool visible = (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != s.visible) ShowWindow(window, s.visible ? SW_SHOWNA : SW_HIDE);
  }
}

} // namespace kvp::win32
