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

void LayOutPca(forms::Form& form) {
  Apply(form, 280, 191,
        {{"titulo1", 7, 7, 266, 16},
         {"intervalo", 7, 25, 266, 12},
         {"o_correl", 7, 42, 266, 10},
         {"r_grupo", 7, 56, 150, 36},
         {"perc", 162, 77, 28, 12},
         {"seta", 190, 77, 10, 12},
         {"o_scree", 7, 97, 266, 10},
         {"o_varimax", 7, 109, 266, 10},
         {"l_precisao", 19, 124, 110, 8},
         {"precisao", 132, 122, 40, 12},
         {"l_iteracao", 19, 139, 110, 8},
         {"iteracao", 132, 137, 40, 12},
         {"o_cores", 7, 154, 266, 10},
         {"b_ok", 169, 170, 50, 14},
         {"b_cancelar", 223, 170, 50, 14}});
}

void LayOutIca(forms::Form& form) {
  Apply(form, 270, 123,
        {{"titulo1", 7, 7, 256, 16},
         {"intervalo", 7, 25, 256, 12},
         {"o_limite", 7, 44, 135, 10},
         {"limite", 144, 43, 22, 12},
         {"seta", 166, 43, 10, 12},
         {"o_ica", 7, 60, 256, 10},
         {"o_mix", 19, 72, 244, 10},
         {"o_cores", 7, 86, 256, 10},
         {"b_ok", 159, 102, 50, 14},
         {"b_cancelar", 213, 102, 50, 14}});
}

