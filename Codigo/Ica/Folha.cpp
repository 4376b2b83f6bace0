#include "Folha.h"

#include <algorithm>
#include <string>

#include "Analise.h"
#include "Dialogo.h"

namespace ica {
namespace {
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
const BilingualText kConvergence{"Convergência", "Convergence"};
const BilingualText kIterations{"Iterações", "Iterations"};
const BilingualText kConverged{"Convergiu", "Converged"};
const BilingualText kFinalChange{"Variação final", "Final change"};
const BilingualText kYes{"Sim", "Yes"};
const BilingualText kNo{"Não", "No"};

constexpr const char* kCountFormat = "0";
constexpr const char* kValueFormat = "#,##0.0000";
// A final change is a small number, below the tolerance 1e-4 when the component converged.
constexpr const char* kChangeFormat = "0.000E+00";

std::string Label(const char* prefix, std::size_t number) {
  return prefix + std::to_string(number);
}

// A table's heading cells, label column and values, each framed; headings and values centred,
// values in `format`; all shaded in colour mode.
void Heading(Block& block, std::size_t first_row, std::size_t last_row, std::size_t first_col,
             std::size_t last_col) {
  block.Style(first_row, last_row, first_col, last_col).Frame().Centre().Shade();
}
void Labels(Block& block, std::size_t first_row, std::size_t last_row, std::size_t first_col,
            std::size_t last_col) {
  block.Style(first_row, last_row, first_col, last_col).Frame().Shade();
}
void Values(Block& block, std::size_t first_row, std::size_t last_row, std::size_t first_col,
            std::size_t last_col, const char* format) {
  block.Style(first_row, last_row, first_col, last_col).Frame().Centre().Format(format).Shade();
}

class Description {
public:
  Description(const Settings& settings, const Layout& layout, const AnaliseIca& analysis)
      : s_(settings), at_(layout), r_(analysis) {}

  ResultBook Book() {
    ResultBook book;
    book.black_and_white = s_.black_and_white;
    Worksheet& sheet = book.AddWorksheet(kSheet);
    Data(sheet);
    Eigenvalues(sheet);
    if (at_.with_mix) Mixing(sheet);
    if (at_.with_sources) Sources(sheet);
    if (at_.with_convergence) Convergence(sheet);
    book.closing =
        Closing{kSheet, Rect{2, at_.LastRow(), 0,
                             std::min<std::size_t>(at_.p + at_.k + 2, at_.sheet.columns - 1)}};
    return book;
  }

private:
  void Data(Worksheet& sheet) {
    const std::size_t p = at_.p;
    Block& block = sheet.Add(Block(0, 0, p + 10, p + 1));
    block.Text(0, 0, kTitle.Text());
    block.Text(2, 0, kSignals.Text());
    block.Count(2, 1, p);
    block.Text(3, 0, kSample.Text());
    block.Count(3, 1, at_.n);
    block.Text(6, 0, kMeans.Text());
    block.Text(7, 0, kDeviations.Text());
    block.Text(9, 0, kCovariances.Text());
    for (std::size_t j = 0; j < p; ++j) {
      block.Text(5, j + 1, Label("S", j + 1));
      block.Number(6, j + 1, r_.medias[j]);
      block.Number(7, j + 1, r_.desvios[j]);
      block.Text(9, j + 1, Label("S", j + 1));
      block.Text(10 + j, 0, Label("S", j + 1));
      for (std::size_t i = 0; i < p; ++i)
        block.Number(10 + i, j + 1, r_.covariancia[i][j]);
    }
    block.Style(0, 0, 0, 0).Bold();
    Labels(block, 2, 3, 0, 0);
    Values(block, 2, 3, 1, 1, kCountFormat);
    Heading(block, 5, 5, 1, p);
    Labels(block, 6, 7, 0, 0);
    Values(block, 6, 7, 1, p, kValueFormat);
    Heading(block, 9, 9, 0, p);
    Labels(block, 10, 9 + p, 0, 0);
    Values(block, 10, 9 + p, 1, p, kValueFormat);
  }

  void Eigenvalues(Worksheet& sheet) {
    const std::size_t p = at_.p, row = at_.eigen_row;
    Block& block = sheet.Add(Block(row, 0, 2, p + 1));
    block.Text(1, 0, kEigenvalues.Text());
    for (std::size_t j = 0; j < p; ++j) {
      block.Count(0, j + 1, j + 1);
      block.Number(1, j + 1, r_.autovalores[j]);
    }
    Heading(block, row, row, 1, p);
    Labels(block, row + 1, row + 1, 0, 0);
    Values(block, row + 1, row + 1, 1, p, kValueFormat);
  }

  // Mixing A (p x k) on the left; demixing W (k x p) to its right after an empty column, so
  // that with k < p the rows of S(k+1) .. Sp end after the mixing part.
  void Mixing(Worksheet& sheet) {
    const std::size_t p = at_.p, k = at_.k, row = at_.mix_row;
    const std::size_t demixing = k + 2; // its label column
    Block& block = sheet.Add(Block(row, 0, p + 1, p + k + 3));
    block.Text(0, 0, "Mixing");
    block.Text(0, demixing, "Demixing");
    for (std::size_t q = 0; q < k; ++q) {
      block.Text(0, 1 + q, Label("ICA", q + 1));
      block.Text(1 + q, demixing, Label("ICA", q + 1));
      for (std::size_t j = 0; j < p; ++j)
        block.Number(1 + q, demixing + 1 + j, r_.demixing[q][j]);
    }
    for (std::size_t j = 0; j < p; ++j) {
      block.Text(0, demixing + 1 + j, Label("S", j + 1));
      block.Text(1 + j, 0, Label("S", j + 1));
      for (std::size_t q = 0; q < k; ++q)
        block.Number(1 + j, 1 + q, r_.mixing[j][q]);
    }
    Heading(block, row, row, 0, k);
    Labels(block, row + 1, row + p, 0, 0);
    Values(block, row + 1, row + p, 1, k, kValueFormat);
    Heading(block, row, row, k + 2, p + k + 2);
    Labels(block, row + 1, row + k, k + 2, k + 2);
    Values(block, row + 1, row + k, k + 3, p + k + 2, kValueFormat);
  }

  void Sources(Worksheet& sheet) {
    const std::size_t n = at_.n, k = at_.k, row = at_.sources_row;
    Block& block = sheet.Add(Block(row, 0, n + 1, k + 1));
    block.Text(0, 0, kSources.Text());
    for (std::size_t q = 0; q < k; ++q)
      block.Text(0, q + 1, Label("ICA", q + 1));
    for (std::size_t t = 0; t < n; ++t) {
      block.Count(t + 1, 0, t + 1);
      for (std::size_t q = 0; q < k; ++q)
        block.Number(t + 1, q + 1, r_.fontes[q][t]);
    }
    Heading(block, row, row, 0, k);
    Labels(block, row + 1, row + n, 0, 0);
    Values(block, row + 1, row + n, 1, k, kValueFormat);
  }

  // One row per component: the updates its iteration made, whether it was accepted before the
  // iteration limit, and the last min(|w - wOld|, |w + wOld|) it was tested with.
  void Convergence(Worksheet& sheet) {
    const std::size_t k = at_.k, row = at_.ConvergenceRow();
    Block& block = sheet.Add(Block(row, 0, k + 1, 4));
    block.Text(0, 0, kConvergence.Text());
    block.Text(0, 1, kIterations.Text());
    block.Text(0, 2, kConverged.Text());
    block.Text(0, 3, kFinalChange.Text());
    for (std::size_t q = 0; q < k; ++q) {
      const ComponenteFastica& component = r_.componentes[q];
      block.Text(1 + q, 0, Label("IC", q + 1));
      block.Count(1 + q, 1, component.iteracoes);
      block.Text(1 + q, 2, (component.fim == FimComponente::Aceito ? kYes : kNo).Text());
      block.Number(1 + q, 3, component.variacao);
    }
    Heading(block, row, row, 0, 3);
    Labels(block, row + 1, row + k, 0, 0);
    Values(block, row + 1, row + k, 1, 1, kCountFormat);
    block.Style(row + 1, row + k, 2, 2).Frame().Centre().Shade();
    Values(block, row + 1, row + k, 3, 3, kChangeFormat);
  }

  const Settings& s_;
  const Layout& at_;
  const AnaliseIca& r_;
};
} // namespace

Layout PlaceBlocks(const Settings& settings, std::size_t signals, std::size_t observations,
                   const SheetSize& sheet) {
  Layout at;
  at.sheet = sheet;
  at.p = signals;
  at.n = observations;
  at.k = Components(settings, signals);
  at.with_mix = settings.mixing;
  at.with_sources = settings.sources;
  at.with_convergence = settings.convergence;
  at.eigen_row = at.p + 11;
  at.mix_row = at.p + 14;
  at.sources_row = settings.mixing ? 2 * at.p + 16 : at.p + 14;
  return at;
}

std::optional<Excess> ExcessOf(const Layout& layout) {
  if (layout.Columns() > layout.sheet.columns) return Excess::Columns;
  if (layout.LastRow() >= layout.sheet.rows) return Excess::Rows;
  return std::nullopt;
}

ResultBook Sheet(const Settings& settings, const Layout& layout, const AnaliseIca& analysis) {
  return Description(settings, layout, analysis).Book();
}

ResultBook BareSheet() {
  ResultBook book;
  book.AddWorksheet(kSheet).look = SheetLook::Bare;
  return book;
}

} // namespace ica
