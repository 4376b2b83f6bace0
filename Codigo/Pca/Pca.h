// The principal component analysis tool's settings dialog.
#pragma once

#include "Dialogo.h"
#include "Funcoes/Matriz.h"
#include "TabelaDialogo.h"

// The dialog's controls, captions, places and initial state.
extern const DialogTable kPcaDialog;

class Tf_pca : public ToolDialog {
public:
  Tf_pca();
  forms::Label* titulo1;
  forms::Edit* intervalo;
  forms::CheckBox* o_cores;
  forms::CheckBox* o_correl;  // the range is itself a correlation matrix
  forms::RadioGroup* r_grupo; // item 0 Kaiser's criterion, item 1 the proportion's
  forms::UpDown* seta;
  forms::MaskEdit* perc; // percentage of explained variance, proportion criterion
  forms::CheckBox* o_scree;
  forms::CheckBox* o_varimax;
  forms::Label* l_precisao;
  forms::Label* l_iteracao;
  forms::MaskEdit* precisao;    // varimax tolerance: the digits after "0,"
  forms::MaskEdit* iteracao;    // maximum number of varimax sweeps
  forms::CheckBox* o_escores;   // the sheet of component scores
  forms::CheckBox* o_adequacao; // KMO, MSA and Bartlett's sphericity
  forms::CheckBox* o_paralela;  // Horn's parallel analysis

  // Observations (rows) by variables (columns), filled by the launch.
  Matriz dados;

  // The launch's defaults; the correlation-matrix box is offered only when the data can be one.
  void SetDefaults(bool may_be_correlation_matrix);

  void r_grupoClick(forms::Control& sender);
  void setaClick(forms::UpDown& sender, forms::UpDownButton button);
  void o_varimaxClick(forms::Control& sender);
  void o_correlClick(forms::Control& sender);
  void precisaoChange(forms::Control& sender);
  void iteracaoChange(forms::Control& sender);
  void b_okClick(forms::Control& sender);
};

// The dialog of the launch in progress (null when none is open).
extern Tf_pca* f_pca;
