#include "Leiautes.h"

#include <initializer_list>
#include <stdexcept>

namespace {

struct Placement {
  const char* name;
  int left, top, width, height;
};

// A table naming a control the form does not have is a programming error: it would leave a
// control at 0,0 with no size.
void Apply(forms::Form& form, int width, int height, std::initializer_list<Placement> places) {
  form.ClientWidth = width;
  form.ClientHeight = height;
  for (const Placement& p : places) {
    forms::Control* control = form.Find(p.name);
    if (control == nullptr)
      throw std::logic_error(std::string("layout names an unknown control ") + p.name);
    control->SetBounds(p.left, p.top, p.width, p.height);
  }
}

// The usual sizes: a line of text 8 units high, a check box 10, an edit 12, a drop-down list 14,
// a push button 50 by 14; 7 units of margin, OK and Cancel at the bottom right.
} // namespace

void LayOutWelcome(forms::Form& form) {
  Apply(form, 300, 205,
        {{"Panel1", 0, 0, 300, 40},
         {"Image1", 7, 7, 27, 25}, // 41 by 41 pixels in the standard dialog font
         {"Label1", 42, 16, 120, 8},
         {"titulo1", 7, 47, 286, 8},
         {"titulo2", 7, 59, 286, 26},
         {"titulo3", 7, 89, 286, 8},
         {"Memo1", 7, 99, 286, 80},
         {"b_ok", 243, 184, 50, 14}});
}
