// The best-decay tool's settings dialog (exponentially weighted volatility).
#pragma once

#include <vector>

#include "Dialogo.h"
#include "TabelaDialogo.h"

// The dialog's controls, captions, places and initial state.
extern const DialogTable kDecayDialog;

class Tf_decay : public ToolDialog {
public:
  Tf_decay();
  forms::Label* titulo1;
  forms::Edit* intervalo;
  forms::Label* l_iteracao;
  forms::ComboBox* c_tol; // the weight that may fall outside the estimation window
  forms::CheckBox* o_retorno;
  forms::CheckBox* o_log;
  forms::CheckBox* o_inversa;
  forms::CheckBox* o_media;
  forms::CheckBox* o_cores;

  // The numbers of the selection in reading order, filled by the launch.
  std::vector<double> serie;

  // The launch's defaults.
  void SetDefaults();

  void o_retornoClick(forms::Control& sender);
  void b_okClick(forms::Control& sender);
};

// The dialog of the launch in progress (null when none is open).
extern Tf_decay* f_decay;
