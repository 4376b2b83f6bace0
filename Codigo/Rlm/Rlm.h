// The multiple linear regression tool's settings dialog.
#pragma once

#include "Dialogo.h"
#include "Funcoes/Matriz.h"
#include "TabelaDialogo.h"

// The dialog's controls, captions, places and initial state.
extern const DialogTable kRegressionDialog;

class Tf_rlm : public ToolDialog {
public:
  Tf_rlm();
  forms::Label* titulo1;
  forms::Edit* intervalo;
  forms::Label* titulo2;
  forms::CheckBox* o_equacao;
  forms::CheckBox* o_anova;
  forms::CheckBox* o_combinada; // all-subsets combined correlations
  forms::Label* l_erros;
  forms::ComboBox* c_erros; // the covariance behind the SE, t and p columns
  forms::CheckBox* o_diagnosticos;
  forms::CheckBox* o_residuos;
  forms::CheckBox* o_cores;

  // Observations (rows) by variables (columns), the dependent variable first; filled by the
  // launch.
  Matriz dados;

  // The launch's defaults for data of `columns` variables.
  void SetDefaults(unsigned columns);

  void b_okClick(forms::Control& sender);
};

// The dialog of the launch in progress (null when none is open).
extern Tf_rlm* f_rlm;
