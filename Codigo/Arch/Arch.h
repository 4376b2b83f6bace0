// The settings dialog of the conditional-volatility tool (ARCH family).
#pragma once

#include <vector>

#include "Ajustes.h"
#include "Dialogo.h"
#include "TabelaDialogo.h"

// The dialog's controls, captions, places and initial state.
extern const DialogTable kArchDialog;

class Tf_arch : public ToolDialog {
public:
  Tf_arch();
  forms::Label* titulo1;
  forms::Edit* intervalo;
  forms::RadioGroup* r_grupo; // the one model fitted; item index = model code
  forms::GroupBox* r_grupo_2; // best-model mode: the models tried, in its place
  forms::CheckBox* o_arch;
  forms::CheckBox* o_garch;
  forms::CheckBox* o_igarch;
  forms::CheckBox* o_egarch;
  forms::CheckBox* o_gjr;
  forms::Label* l_q;
  forms::ComboBox* c_q; // the order q (item index + 1), or its maximum in best-model mode
  forms::Label* l_p;
  forms::ComboBox* c_p; // the order p likewise
  forms::CheckBox* o_melhor;
  forms::RadioGroup* r_akaike; // the criterion of best-model mode: AIC, AICc, BIC
  forms::CheckBox* o_retorno;
  forms::CheckBox* o_log;
  forms::CheckBox* o_inversa;
  forms::Label* l_dist;
  forms::ComboBox* c_dist; // Normal, Student's t, GED; in best-model mode also all three
  forms::CheckBox* o_erros;
  forms::Label* l_horizonte;
  forms::MaskEdit* horizonte; // days of forecast and VaR, 0 for none
  forms::UpDown* seta;
  forms::CheckBox* o_backtest;
  forms::CheckBox* o_graf;
  forms::CheckBox* o_cores;

  // The numbers of the selection in reading order, filled by the launch.
  std::vector<double> serie;

  // The launch's defaults for a series of `numbers` values.
  void SetDefaults(unsigned numbers);

  void r_grupoClick(forms::Control& sender);
  void o_retornoClick(forms::Control& sender);
  void o_melhorClick(forms::Control& sender);
  void o_archClick(forms::Control& sender);
  void o_garchClick(forms::Control& sender);
  void o_igarchClick(forms::Control& sender);
  void o_egarchClick(forms::Control& sender);
  void o_gjrClick(forms::Control& sender);
  void setaClick(forms::UpDown& sender, forms::UpDownButton button);
  void horizonteChange(forms::Control& sender);
  void b_okClick(forms::Control& sender);

private:
  // Best-model mode can run only with some model to try.
  void OfferOkForModels();
  void OfferAllDistributions(bool best);
};

// The settings the dialog holds, as OK reads them. Without best-model mode "All" is not on offer,
// so the distribution is one of the three.
arch::Settings ReadArchSettings(const Tf_arch& dialog);

// The dialog of the launch in progress (null when none is open).
extern Tf_arch* f_arch;
