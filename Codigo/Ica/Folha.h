// What the independent component tool writes: the sheet "ICA" with the data's summary, the
// eigenvalues of their covariance matrix and, on request, the mixing and demixing matrices and
// the independent components observation by observation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "Ajustes.h"
#include "Funcoes/ComponentesIndependentes.h"
#include "PastaResultado.h"

namespace ica {

// Where the blocks go for p signals, n observations and k components, rows and columns counted
// from 0, whole, so that a layout too large for the sheet is seen before anything is written.
struct Layout {
  SheetSize sheet = kExcel4Sheet; // the sheet the blocks go on
  unsigned long p = 0, n = 0, k = 0;
  bool with_mix = true, with_sources = false, with_convergence = false;
  unsigned long eigen_row = 0, mix_row = 0, sources_row = 0;

  // The last row of the blocks above the convergence report.
  unsigned long LastResultRow() const {
    if (with_sources) return sources_row + n;
    return with_mix ? mix_row + p : eigen_row + 1;
  }
  // The convergence report: one empty row below the other blocks, a heading and k rows.
  unsigned long ConvergenceRow() const { return LastResultRow() + 2; }
  unsigned long LastRow() const {
    return with_convergence ? ConvergenceRow() + k : LastResultRow();
  }
  // The columns the blocks written take: the data and eigenvalues p + 1, the matrices p + k + 3,
  // the sources k + 1 (k <= p); the convergence report's 4 always fit.
  unsigned long Columns() const { return with_mix ? p + k + 3 : p + 1; }
  // The most observations whose sources fit below the other blocks, with the convergence report
  // below them.
  unsigned long MostObservations() const {
    return sheet.rows - 1 - sources_row - (with_convergence ? k + 2 : 0);
  }
};

Layout PlaceBlocks(const Settings& settings, std::size_t signals, std::size_t observations,
                   const SheetSize& sheet = kExcel4Sheet);

// What of a layout Excel's sheet cannot hold, if anything: more columns than it has, or more
// rows of sources than fit below the other blocks.
enum class Excess { Columns, Rows };
std::optional<Excess> ExcessOf(const Layout& layout);

// The workbook of a complete analysis, with the closing steps.
ResultBook Sheet(const Settings& settings, const Layout& layout, const AnaliseIca& analysis);
// The workbook an analysis that failed leaves: the sheet "ICA" opened, without its whole-sheet
// look, and nothing on it.
ResultBook BareSheet();

} // namespace ica
