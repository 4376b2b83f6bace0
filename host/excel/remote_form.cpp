#include "remote_form.h"

#include "form_wire.h"
#include "protocol.h"

namespace kvhost {

using kvbridge::Reader;
using kvbridge::Writer;

template <class Read>
auto RemoteForm::Ask(std::uint8_t question, const Writer& body, Read read) const {
  Writer asked;
  asked.U64(window_);
  asked.U8(question);
  asked.Raw(body.bytes().data(), body.bytes().size());
  const auto answer = helper_.Ask(kvbridge::kForm, asked);
  try {
    Reader in(answer);
    return read(in);
  } catch (const kvbridge::PeerBroken& broken) {
    helper_.Stopped(broken.what());
  }
}

bool RemoteForm::Act(std::uint8_t question, const Writer& body, std::string& why) {
  return Ask(question, body, [&](Reader& in) {
    const bool done = in.U8() != 0;
    why = in.Bytes();
    return done;
  });
}

std::string RemoteForm::Caption() const {
  return Ask(kvbridge::kFormCaption, Writer{}, [](Reader& in) { return in.Bytes(); });
}

std::vector<kvp::ControlState> RemoteForm::Controls() const {
  return Ask(kvbridge::kFormControls, Writer{},
             [](Reader& in) { return kvbridge::GetControls(in); });
}

bool RemoteForm::Click(const std::string& control, std::string& why) {
  Writer body;
  body.Bytes(control);
  return Act(kvbridge::kFormClick, body, why);
}

bool RemoteForm::SetValue(const std::string& control, const std::string& value, std::string& why) {
  Writer body;
  body.Bytes(control);
  body.Bytes(value);
  return Act(kvbridge::kFormSetValue, body, why);
}

bool RemoteForm::ClickUpDown(const std::string& control, bool up, std::string& why) {
  Writer body;
  body.Bytes(control);
  body.U8(up);
  return Act(kvbridge::kFormUpDown, body, why);
}

void RemoteForm::CloseByFrame() {
  Ask(kvbridge::kFormCloseByFrame, Writer{}, [](Reader&) { return 0; });
}

bool RemoteForm::Showing() const {
  return Ask(kvbridge::kFormShowing, Writer{}, [](Reader& in) { return in.U8() != 0; });
}

std::vector<std::uint32_t> RemoteForm::ImagePixels(const std::string& control) const {
  Writer body;
  body.Bytes(control);
  return Ask(kvbridge::kFormImagePixels, body, [](Reader& in) {
    const std::uint32_t count = in.U32();
    in.ExpectRoomFor(count, 4);
    std::vector<std::uint32_t> pixels(count);
    for (std::uint32_t& pixel : pixels)
      pixel = in.U32();
    return pixels;
  });
}

} // namespace kvhost
