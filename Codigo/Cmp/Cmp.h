// The settings dialog of the tool comparing cubic spline and exponential interpolation.
#pragma once

#include "Dialogo.h"
#include "Funcoes/CurvaJuros.h"
#include "TabelaDialogo.h"

// The dialog's controls, captions, places and initial state.
extern const DialogTable kComparisonDialog;

class Tf_cmp : public ToolDialog {
public:
  Tf_cmp();
  forms::Label* titulo1;
  forms::Label* titulo2;
  forms::Edit* intervalo;
  forms::CheckBox* o_cores;

  // The selected curve, strictly increasing in workdays; filled by the launch.
  YieldCurve curva;

  void b_okClick(forms::Control& sender);
};

// The dialog of the launch in progress (null when none is open).
extern Tf_cmp* f_cmp;
