#include "form_wire.h"

namespace kvbridge {
namespace {

void PutFlags(Writer& out, const kvp::ControlState& c) {
  out.U8(static_cast<std::uint8_t>(c.enabled | c.visible << 1 | c.checked << 2 | c.wrap << 3 |
                                   c.bold << 4));
}

void PutNumber(Writer& out, int value) {
  out.I32(value);
}

} // namespace

void PutControls(Writer& out, const std::vector<kvp::ControlState>& controls) {
  out.U32(static_cast<std::uint32_t>(controls.size()));
  for (const kvp::ControlState& c : controls) {
    for (const std::string* text : {&c.name, &c.kind, &c.caption, &c.text, &c.parent, &c.mask})
      out.Bytes(*text);
    PutFlags(out, c);
    for (int number : {c.item_index, c.columns, c.position, c.min, c.max, c.max_length,
                       c.image_width, c.image_height})
      PutNumber(out, number);
    out.U32(c.color);
    out.U32(c.font_color);
    out.U32(static_cast<std::uint32_t>(c.items.size()));
    for (const std::string& item : c.items)
      out.Bytes(item);
  }
}

std::vector<kvp::ControlState> GetControls(Reader& in) {
  const std::uint32_t count = in.U32();
  in.ExpectRoomFor(count, 6 * 4 + 1 + 8 * 4 + 12);
  std::vector<kvp::ControlState> controls(count);
  for (kvp::ControlState& c : controls) {
    for (std::string* text : {&c.name, &c.kind, &c.caption, &c.text, &c.parent, &c.mask})
      *text = in.Bytes();
    const std::uint8_t flags = in.U8();
    c.enabled = flags & 1;
    c.visible = flags & 2;
    c.checked = flags & 4;
    c.wrap = flags & 8;
    c.bold = flags & 16;
    for (int* number : {&c.item_index, &c.columns, &c.position, &c.min, &c.max, &c.max_length,
                        &c.image_width, &c.image_height})
      *number = in.I32();
    c.color = in.U32();
    c.font_color = in.U32();
    const std::uint32_t items = in.U32();
    in.ExpectRoomFor(items, 4);
    c.items.resize(items);
    for (std::string& item : c.items)
      item = in.Bytes();
  }
  return controls;
}

void AnswerForm(kvp::ModalForm& form, std::uint8_t question, Reader& in, Writer& out) {
  std::string why;
  switch (question) {
  case kFormCaption: out.Bytes(form.Caption()); return;
  case kFormControls: PutControls(out, form.Controls()); return;
  case kFormClick: {
    const std::string control = in.Bytes();
    out.U8(form.Click(control, why));
    out.Bytes(why);
    return;
  }
  case kFormSetValue: {
    const std::string control = in.Bytes();
    const std::string value = in.Bytes();
    out.U8(form.SetValue(control, value, why));
    out.Bytes(why);
    return;
  }
  case kFormUpDown: {
    const std::string control = in.Bytes();
    const bool up = in.U8() != 0;
    out.U8(form.ClickUpDown(control, up, why));
    out.Bytes(why);
    return;
  }
  case kFormCloseByFrame: form.CloseByFrame(); return;
  case kFormShowing: out.U8(form.Showing()); return;
  case kFormImagePixels: {
    const auto pixels = form.ImagePixels(in.Bytes());
    out.U32(static_cast<std::uint32_t>(pixels.size()));
    for (std::uint32_t pixel : pixels)
      out.U32(pixel);
    return;
  }
  default: throw BadMessage("an unknown question about a dialog: " + std::to_string(question));
  }
}

} // namespace kvbridge
