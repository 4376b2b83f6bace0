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

void LayOutComparison(forms::Form& form) {
  Apply(form, 240, 98,
        {{"titulo1", 7, 7, 226, 8},
         {"titulo2", 7, 21, 226, 8},
         {"intervalo", 7, 31, 226, 12},
         {"o_cores", 7, 51, 226, 10},
         {"b_ok", 129, 77, 50, 14},
         {"b_cancelar", 183, 77, 50, 14}});
}

void LayOutRegression(forms::Form& form) {
  Apply(form, 280, 134,
        {{"titulo1", 7, 7, 266, 16},
         {"intervalo", 7, 25, 266, 12},
         {"titulo2", 7, 40, 266, 8},
         {"o_equacao", 7, 55, 266, 10},
         {"o_anova", 7, 67, 266, 10},
         {"o_combinada", 7, 79, 266, 10},
         {"o_cores", 7, 91, 266, 10},
         {"b_ok", 169, 113, 50, 14},
         {"b_cancelar", 223, 113, 50, 14}});
}

void LayOutDecay(forms::Form& form) {
  Apply(form, 280, 151,
        {{"titulo1", 7, 7, 266, 16},
         {"intervalo", 7, 25, 266, 12},
         {"l_iteracao", 7, 45, 110, 8},
         {"c_tol", 120, 43, 60, 14},
         {"o_retorno", 7, 62, 266, 10},
         {"o_log", 19, 74, 254, 10},
         {"o_inversa", 7, 86, 266, 10},
         {"o_media", 7, 98, 266, 10},
         {"o_cores", 7, 110, 266, 10},
         {"b_ok", 169, 130, 50, 14},
         {"b_cancelar", 223, 130, 50, 14}});
}

// The model checks of the best-model search take the place of the radio group, which hides.
void LayOutArch(forms::Form& form) {
  // One control a line, as in the other tables.
  // clang-format off
  Apply(form, 300, 224,
        {{"titulo1", 7, 7, 286, 16},
         {"intervalo", 7, 25, 286, 12},
         {"r_grupo", 7, 41, 180, 48},
         {"r_grupo_2", 7, 41, 180, 48},
         {"o_arch", 15, 52, 80, 10},
         {"o_garch", 15, 63, 80, 10},
         {"o_igarch", 15, 74, 80, 10},
         {"o_egarch", 97, 52, 80, 10},
         {"o_gjr", 97, 63, 80, 10},
         {"l_q", 195, 51, 40, 8},
         {"c_q", 238, 48, 40, 14},
         {"l_p", 195, 69, 40, 8},
         {"c_p", 238, 66, 40, 14},
         {"o_melhor", 7, 95, 286, 10},
         {"r_akaike", 7, 107, 286, 24},
         {"o_retorno", 7, 137, 286, 10},
         {"o_log", 19, 149, 274, 10},
         {"o_inversa", 7, 161, 286, 10},
         {"o_graf", 7, 173, 286, 10},
         {"o_cores", 7, 185, 286, 10},
         {"b_ok", 189, 203, 50, 14},
         {"b_cancelar", 243, 203, 50, 14}});
  // clang-format on
}
