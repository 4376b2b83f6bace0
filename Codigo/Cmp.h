// The settings dialog of the tool comparing cubic spline and exponential interpolation.
#pragma once

#include "Dialogo.h"
#include "Funcoes/CurvaJuros.h"

class Tf_cmp : public ToolDialog {
public:
  Tf_cmp();
  forms::Label* titulo1;
  forms::Label* titulo2;
  forms::Edit* intervalo;
  forms::CheckBox* o_cores;

  // The selected curve, strictly increasing in workdays; filled by the launch.
  YieldCurve curva;

  // English texts, set by the launch when English is in use.
  void UseEnglish();

  void b_okClick(forms::Control& sender);
};

// The dialog of the launch in progress (null when none is open).
extern Tf_cmp* f_cmp;
