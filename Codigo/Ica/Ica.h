// The independent component analysis tool's settings dialog.
#pragma once

#include "Dialogo.h"
#include "Funcoes/Matriz.h"
#include "TabelaDialogo.h"

// The dialog's controls, captions, places and initial state.
extern const DialogTable kIcaDialog;

class Tf_ica : public ToolDialog {
public:
  Tf_ica();
  forms::Label* titulo1;
  forms::Edit* intervalo;
  forms::CheckBox* o_cores;
  forms::MaskEdit* limite; // the number of components, with o_limite
  forms::UpDown* seta;
  forms::CheckBox* o_limite;
  forms::CheckBox* o_mix;          // writes the mixing and demixing matrices
  forms::CheckBox* o_ica;          // writes the independent components
  forms::CheckBox* o_convergencia; // writes how each component's iteration ended

  // Observations (rows) by signals (columns), filled by the launch.
  Matriz dados;

  // The launch's defaults for data of `signals` columns.
  void SetDefaults(unsigned signals);

  void limiteChange(forms::Control& sender);
  void o_limiteClick(forms::Control& sender);
  void setaClick(forms::UpDown& sender, forms::UpDownButton button);
  void o_icaClick(forms::Control& sender);
  void b_okClick(forms::Control& sender);
};

// The dialog of the launch in progress (null when none is open).
extern Tf_ica* f_ica;
