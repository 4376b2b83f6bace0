// The histogram tool's settings dialog.
#pragma once

#include "Dialogo.h"
#include "TabelaDialogo.h"

// The dialog's controls, captions, places and initial state.
extern const DialogTable kHistogramDialog;

class Tf_hist : public ToolDialog {
public:
  Tf_hist();
  forms::Label* titulo1;
  forms::Edit* intervalo;
  forms::Label* titulo2;
  forms::MaskEdit* faixas; // the number of bins
  forms::UpDown* seta;
  forms::RadioGroup* r_grupo; // item 0 sample, item 1 population
  forms::CheckBox* o_retorno;
  forms::CheckBox* o_normal;
  forms::CheckBox* o_indicadores;
  forms::CheckBox* o_cores;

  // The launch's defaults for `numeric_cells` numbers in the selection.
  void SetDefaults(unsigned numeric_cells);

  void setaClick(forms::UpDown& sender, forms::UpDownButton button);
  void faixasChange(forms::Control& sender);
  void b_okClick(forms::Control& sender);
};

// The dialog of the launch in progress (null when none is open).
extern Tf_hist* f_hist;
