// A dialog's controls on the wire (what a ModalForm reports of each), for kvhost's driver to
// act on a dialog the add-in shows in the helper.
#pragma once

#include <vector>

#include "kvplatform/modal.h"
#include "message.h"

namespace kvbridge {

void PutControls(Writer& out, const std::vector<kvp::ControlState>& controls);
std::vector<kvp::ControlState> GetControls(Reader& in);

// What kvhost asks of a dialog showing in the helper (the body of kForm after the window).
enum FormAsks : std::uint8_t {
  kFormCaption = 1,  // answer: text
  kFormControls = 2, // answer: the controls
  kFormClick = 3,    // control; answer: u8 done, why
  kFormSetValue = 4, // control, value; answer: u8 done, why
  kFormUpDown = 5,   // control, u8 up; answer: u8 done, why
  kFormCloseByFrame = 6,
  kFormShowing = 7,     // answer: u8
  kFormImagePixels = 8, // control; answer: u32 count, the pixels
};

// Performs one question of kvhost on `form`.
void AnswerForm(kvp::ModalForm& form, std::uint8_t question, Reader& in, Writer& out);

} // namespace kvbridge
