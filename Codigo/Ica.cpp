#include "Ica.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "Funcoes/ComponentesIndependentes.h"
#include "Leiautes.h"
#include "Saida.h"

Tf_ica* f_ica = nullptr;

Tf_ica::Tf_ica() : ToolDialog("ICA - Análise de Componentes Independentes") {
  AddOkAndCancel();
  titulo1 = Add<forms::Label>("titulo1");
  titulo1->Caption = "Intervalo de dados para análise de componentes independentes - ICA:";
  intervalo = Add<forms::Edit>("intervalo");
  intervalo->Enabled = false;
  o_cores = Add<forms::CheckBox>("o_cores");
  o_cores->Caption = "Planilhas em preto e branco";
  limite = Add<forms::MaskEdit>("limite", "09;0; ");
  limite->MaxLength = 2;
  limite->Enabled = false;
  limite->ControlColor = forms::clBtnFace;
  seta = Add<forms::UpDown>("seta");
  seta->Min = 1;
  seta->Max = 99;
  seta->SetPosition(1);
  seta->Wrap = false;
  seta->Enabled = false;
  o_limite = Add<forms::CheckBox>("o_limite");
  o_limite->Caption = "Limitar número de componentes a:";
  o_mix = Add<forms::CheckBox>("o_mix");
  o_mix->Caption = "Reproduzir matrizes de \"mixing\" e \"demixing\"";
  o_mix->SetChecked(true);
  o_mix->Enabled = false;
  o_ica = Add<forms::CheckBox>("o_ica");
  o_ica->Caption = "Reproduzir componentes independentes";

  b_ok->OnClick = Handler(&Tf_ica::b_okClick);
  limite->OnChange = Handler(&Tf_ica::limiteChange);
  seta->OnArrowClick = [this](forms::UpDown& sender, forms::UpDownButton button) {
    setaClick(sender, button);
  };
  o_limite->OnClick = Handler(&Tf_ica::o_limiteClick);
  o_ica->OnClick = Handler(&Tf_ica::o_icaClick);
  LayOutIca(*this);
}

void Tf_ica::UseEnglish() {
  Caption = "ICA - Independent Component Analysis";
  titulo1->Caption = "Data range for Independent Component Analysis - ICA";
  o_limite->Caption = "Number of components limited to:";
  o_mix->Caption = "Show \"mixing\" and \"demixing\" matrix";
  o_ica->Caption = "Show independent components";
  o_cores->Caption = "Black and white output";
  b_cancelar->Caption = "Cancel";
}

void Tf_ica::SetDefaults(unsigned signals) {
  o_limite->SetChecked(false);
  limite->Enabled = false;
  limite->ControlColor = forms::clBtnFace;
  seta->Enabled = false;
  seta->SetPosition(1);
  seta->Max = static_cast<int>(std::min(signals, 99u));
  o_cores->SetChecked(false);
  o_mix->SetChecked(true);
  o_mix->Enabled = false;
  o_ica->SetChecked(false);
}

// A limit of 0 components, or of more than the data has signals, holds OK back while the limit
// is in use.
void Tf_ica::limiteChange(forms::Control&) {
  const int v = DigitsValue(limite->Text());
  const bool invalid = v == 0 || v > seta->Max;
  const bool refused = invalid && o_limite->Checked();
  b_ok->Enabled = !refused;
  limite->ControlColor = refused ? forms::clRed : forms::clWhite;
  limite->FontColor = refused ? forms::clWhite : forms::clBlack;
}

// Ticked, the limit starts at the up-down's position. Unticked, the limit no longer applies,
// so a limit that was refused no longer holds OK back.
void Tf_ica::o_limiteClick(forms::Control&) {
  const bool limited = o_limite->Checked();
  limite->Enabled = limited;
  seta->Enabled = limited;
  if (limited) {
    limite->ControlColor = forms::clWhite;
    limite->SetText(std::to_string(seta->Position()));
    limiteChange(*limite);
  } else {
    limite->ControlColor = forms::clBtnFace;
    limite->FontColor = forms::clBlack;
    b_ok->Enabled = true;
  }
}

void Tf_ica::setaClick(forms::UpDown&, forms::UpDownButton button) {
  StepNumber(*seta, *limite, button);
}

// Something must be written: without the components, the matrices are.
void Tf_ica::o_icaClick(forms::Control&) {
  if (o_ica->Checked()) {
    o_mix->Enabled = true;
  } else {
    o_mix->Enabled = false;
    o_mix->SetChecked(true);
  }
}

namespace {
const BilingualText kFailure{
    "Houve erros durante o processo de análise de componentes independentes - ICA.\nDesconsidere "
    "qualquer resultado e tente novamente.\n\nSe o problema persistir, entre em contato com o "
    "suporte da Corvane Lathi.",
    "Some errors occurred during independent component analysis - ICA.\n\nPlease, disregard any "
    "results and try again or contact Corvane Lathi for assistance."};

constexpr const char* kSheet = "ICA";
const BilingualText kTitle{"ICA - Análise de Componentes Independentes",
                           "ICA - Independent Component Analysis"};
const BilingualText kSignals{"Sinais", "Signals"};
const BilingualText kSample{"Amostra", "Sample"};
const BilingualText kMeans{"Médias", "Means"};
const BilingualText kDeviations{"DP", "St. Dev."};
const BilingualText kCovariances{"Covariâncias", "Covariances"};
const BilingualText kEigenvalues{"Autovalores", "Eigenvalues"};
const BilingualText kSources{"Fontes", "Sources"};

constexpr const char* kCountFormat = "0";
constexpr const char* kValueFormat = "#,##0.0000";

// Excel's sheet: rows 0 .. 65535, columns 0 .. 255.
constexpr unsigned long kSheetRows = 65536;
constexpr unsigned long kSheetColumns = 256;

std::string Label(const char* prefix, std::size_t number) {
  return prefix + std::to_string(number);
}

// Where the blocks go for p signals, n observations and k components, rows and columns counted
// from 0, in unsigned long so that a layout too large for the sheet is seen before any row
// number is narrowed to Excel's 16 bits.
struct Layout {
  Layout(std::size_t signals, std::size_t observations, std::uint32_t components, bool mix,
         bool sources)
      : p(signals), n(observations), k(components), with_mix(mix), with_sources(sources),
        eigen_row(p + 11), mix_row(p + 14), sources_row(mix ? 2 * p + 16 : p + 14) {}

  unsigned long p, n, k;
  bool with_mix, with_sources;
  unsigned long eigen_row, mix_row, sources_row;

  unsigned long LastRow() const {
    if (with_sources) return sources_row + n;
    return with_mix ? mix_row + p : eigen_row + 1;
  }
  // The columns the blocks written take: the data and eigenvalues p + 1, the matrices p + k + 3,
  // the sources k + 1 (k <= p).
  unsigned long Columns() const { return with_mix ? p + k + 3 : p + 1; }
  // The most observations whose sources fit below the other blocks.
  unsigned long MostObservations() const { return kSheetRows - 1 - sources_row; }
};

// A layout that Excel's sheet cannot hold is refused before anything is computed or opened,
// with a message that says what does not fit; without one, the run goes on.
bool RefusedForSize(const Layout& layout) {
  if (layout.Columns() > kSheetColumns) {
    const std::string n = std::to_string(layout.Columns());
    const std::string pt = "Os resultados de " + std::to_string(layout.p) + " sinais com " +
                           std::to_string(layout.k) + " componentes ocupam " + n +
                           " colunas, mais do que as 256 colunas da planilha.\n\nLimite o número "
                           "de componentes ou reduza o intervalo de dados.\n\nO programa será "
                           "interrompido!";
    const std::string en = "Results of " + std::to_string(layout.p) + " signals and " +
                           std::to_string(layout.k) + " components take " + n +
                           " columns, more than the 256 columns of a sheet.\n\nPlease, limit the "
                           "number of components or select a smaller data range.\n\nThe analysis "
                           "will be interrupted!";
    ShowToolMessage(BilingualText{pt.c_str(), en.c_str()});
    return true;
  }
  if (layout.LastRow() >= kSheetRows) {
    const std::string most = std::to_string(layout.MostObservations());
    const std::string n = std::to_string(layout.n);
    const std::string pt =
        "A planilha de resultados tem 65536 linhas e comporta os componentes independentes de no "
        "máximo " +
        most + " observações, mas o intervalo de dados tem " + n +
        ".\n\nReduza o intervalo de dados ou desmarque a opção \"Reproduzir componentes "
        "independentes\".\n\nO programa será interrompido!";
    const std::string en = "The result sheet has 65536 rows and holds the independent components "
                           "of at most " +
                           most + " observations, but the data range has " + n +
                           ".\n\nPlease, select a smaller data range or uncheck \"Show independent "
                           "components\".\n\nThe analysis will be interrupted!";
    ShowToolMessage(BilingualText{pt.c_str(), en.c_str()});
    return true;
  }
  return false;
}

SheetRect Rect(unsigned long first_row, unsigned long last_row, unsigned long first_col,
               unsigned long last_col) {
  return SheetRect{static_cast<std::uint16_t>(first_row), static_cast<std::uint16_t>(last_row),
                   static_cast<std::uint8_t>(first_col), static_cast<std::uint8_t>(last_col)};
}

std::uint16_t Row(unsigned long row) {
  return static_cast<std::uint16_t>(row);
}

class IcaOutput {
public:
  IcaOutput(const Tf_ica& dialog, const Layout& layout, const AnaliseIca& r)
      : dialog_(dialog), at_(layout), r_(r) {}

  void Write() {
    StyleWholeSheet(BlackAndWhite());
    WriteData();
    WriteEigenvalues();
    if (at_.with_mix) WriteMixing();
    if (at_.with_sources) WriteSources();
    FinishResultWorkbook(kSheet, Rect(2, at_.LastRow(), 0, std::min(at_.p + at_.k + 2, 255ul)));
  }

private:
  bool BlackAndWhite() const { return dialog_.o_cores->Checked(); }

  // A table's heading cells, label column and values, each framed; headings and values
  // centred, values in `format`; all shaded in colour mode.
  void Heading(const SheetRect& rect) {
    FrameRange(rect);
    CenterRange();
    ShadeRange(BlackAndWhite());
  }
  void Labels(const SheetRect& rect) {
    FrameRange(rect);
    ShadeRange(BlackAndWhite());
  }
  void Values(const SheetRect& rect, const char* format) {
    FrameRange(rect);
    CenterRange();
    FormatRangeNumbers(format);
    ShadeRange(BlackAndWhite());
  }

  void WriteData() {
    const unsigned long p = at_.p;
    CellBlock block(Row(p + 10), static_cast<std::uint16_t>(p + 1));
    block.Text(0, 0, kTitle.Text());
    block.Text(2, 0, kSignals.Text());
    block.Count(2, 1, p);
    block.Text(3, 0, kSample.Text());
    block.Count(3, 1, at_.n);
    block.Text(6, 0, kMeans.Text());
    block.Text(7, 0, kDeviations.Text());
    block.Text(9, 0, kCovariances.Text());
    for (std::uint16_t j = 0; j < p; ++j) {
      const auto column = static_cast<std::uint16_t>(j + 1);
      block.Text(5, column, Label("S", j + 1u));
      block.Number(6, column, r_.medias[j]);
      block.Number(7, column, r_.desvios[j]);
      block.Text(9, column, Label("S", j + 1u));
      block.Text(static_cast<std::uint16_t>(10 + j), 0, Label("S", j + 1u));
      for (std::uint16_t i = 0; i < p; ++i)
        block.Number(static_cast<std::uint16_t>(10 + i), column, r_.covariancia[i][j]);
    }
    WriteCellBlock(0, 0, block);

    // The whole-sheet selection left A1 the active cell.
    BoldActiveCell();
    Labels(Rect(2, 3, 0, 0));
    Values(Rect(2, 3, 1, 1), kCountFormat);
    Heading(Rect(5, 5, 1, p));
    Labels(Rect(6, 7, 0, 0));
    Values(Rect(6, 7, 1, p), kValueFormat);
    Heading(Rect(9, 9, 0, p));
    Labels(Rect(10, 9 + p, 0, 0));
    Values(Rect(10, 9 + p, 1, p), kValueFormat);
  }

  void WriteEigenvalues() {
    const unsigned long p = at_.p, row = at_.eigen_row;
    CellBlock block(2, static_cast<std::uint16_t>(p + 1));
    block.Text(1, 0, kEigenvalues.Text());
    for (std::uint16_t j = 0; j < p; ++j) {
      block.Count(0, static_cast<std::uint16_t>(j + 1), j + 1u);
      block.Number(1, static_cast<std::uint16_t>(j + 1), r_.autovalores[j]);
    }
    WriteCellBlock(Row(row), 0, block);
    Heading(Rect(row, row, 1, p));
    Labels(Rect(row + 1, row + 1, 0, 0));
    Values(Rect(row + 1, row + 1, 1, p), kValueFormat);
  }

  // Mixing A (p x k) on the left; demixing W (k x p) to its right after an empty column, so
  // that with k < p the rows of S(k+1) .. Sp end after the mixing part.
  void WriteMixing() {
    const unsigned long p = at_.p, k = at_.k, row = at_.mix_row;
    const auto demixing = static_cast<std::uint16_t>(k + 2); // its label column
    CellBlock block(static_cast<std::uint16_t>(p + 1), static_cast<std::uint16_t>(p + k + 3));
    block.Text(0, 0, "Mixing");
    block.Text(0, demixing, "Demixing");
    for (std::uint16_t q = 0; q < k; ++q) {
      block.Text(0, static_cast<std::uint16_t>(1 + q), Label("ICA", q + 1u));
      block.Text(static_cast<std::uint16_t>(1 + q), demixing, Label("ICA", q + 1u));
      for (std::uint16_t j = 0; j < p; ++j)
        block.Number(static_cast<std::uint16_t>(1 + q),
                     static_cast<std::uint16_t>(demixing + 1 + j), r_.demixing[q][j]);
    }
    for (std::uint16_t j = 0; j < p; ++j) {
      block.Text(0, static_cast<std::uint16_t>(demixing + 1 + j), Label("S", j + 1u));
      block.Text(static_cast<std::uint16_t>(1 + j), 0, Label("S", j + 1u));
      for (std::uint16_t q = 0; q < k; ++q)
        block.Number(static_cast<std::uint16_t>(1 + j), static_cast<std::uint16_t>(1 + q),
                     r_.mixing[j][q]);
    }
    WriteCellBlock(Row(row), 0, block);
    Heading(Rect(row, row, 0, k));
    Labels(Rect(row + 1, row + p, 0, 0));
    Values(Rect(row + 1, row + p, 1, k), kValueFormat);
    Heading(Rect(row, row, k + 2, p + k + 2));
    Labels(Rect(row + 1, row + k, k + 2, k + 2));
    Values(Rect(row + 1, row + k, k + 3, p + k + 2), kValueFormat);
  }

  void WriteSources() {
    const unsigned long n = at_.n, k = at_.k, row = at_.sources_row;
    CellBlock block(Row(n + 1), static_cast<std::uint16_t>(k + 1));
    block.Text(0, 0, kSources.Text());
    for (std::uint16_t q = 0; q < k; ++q)
      block.Text(0, static_cast<std::uint16_t>(q + 1), Label("ICA", q + 1u));
    for (std::size_t t = 0; t < n; ++t) {
      const auto line = static_cast<std::uint16_t>(t + 1);
      block.Count(line, 0, t + 1);
      for (std::uint16_t q = 0; q < k; ++q)
        block.Number(line, static_cast<std::uint16_t>(q + 1), r_.fontes[q][t]);
    }
    WriteCellBlock(Row(row), 0, block);
    Heading(Rect(row, row, 0, k));
    Labels(Rect(row + 1, row + n, 0, 0));
    Values(Rect(row + 1, row + n, 1, k), kValueFormat);
  }

  const Tf_ica& dialog_;
  const Layout& at_;
  const AnaliseIca& r_;
};
} // namespace

// Computes the independent components of the data and writes them on a new sheet; a layout the
// sheet cannot hold is refused first, and any failure on the way ends the run with the tool's
// message, leaving what was written. The dialog closes either way.
void Tf_ica::b_okClick(forms::Control&) {
  Hide();
  try {
    const std::uint32_t k =
        numero_de_componentes(Columns(dados), o_limite->Checked(), DigitsValue(limite->Text()));
    const Layout layout(Columns(dados), Rows(dados), k, o_mix->Checked(), o_ica->Checked());
    if (!RefusedForSize(layout)) {
      OpenBareResultWorkbook(kSheet);
      const auto r = componentes_independentes(dados, k);
      if (!r) throw std::runtime_error(descricao(r.motivo()));
      IcaOutput(*this, layout, *r).Write();
    }
  } catch (...) {
    ShowToolMessage(kFailure);
  }
  Close();
}
