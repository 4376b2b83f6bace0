// The histogram tool's settings dialog.
#pragma once

#include <vector>

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
  forms::Label* l_regra;
  forms::ComboBox* c_regra;   // item 0 the typed number, then a rule that chooses it
  forms::RadioGroup* r_grupo; // item 0 sample, item 1 population
  forms::CheckBox* o_retorno;
  forms::CheckBox* o_normal;
  forms::CheckBox* o_indicadores;
  forms::CheckBox* o_cores;

  // The numbers of the selection, read by the launch.
  std::vector<double> serie;

  // The launch's defaults for `numeric_cells` numbers in the selection.
  void SetDefaults(unsigned numeric_cells);

  void setaClick(forms::UpDown& sender, forms::UpDownButton button);
  void faixasChange(forms::Control& sender);
  void ShowRuleBins(forms::Control& sender);
  void b_okClick(forms::Control& sender);
};

// The dialog of the launch in progress (null when none is open).
extern Tf_hist* f_hist;
