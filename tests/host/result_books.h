// A result workbook built by hand as the histogram and comparison tools leave it in kvhost's
// model, for the xlsx writer and the JSON dump.
#pragma once

#include "model/application.h"

namespace kvtest {

// Sheets, in order:
//   "Histograma": whole-sheet fill c15 and font colour c5, gridlines off; A1 a bold title;
//     A3:B11 the summary (B3 the count; B4:B11 "0.000" shaded, B6 empty but framed); A13:J23
//     the frequency table (B:C and E:F "0.000%", I:J "0.000"), its header centred; A24 a note;
//     columns A:J best-fit widths;
//   "Gráfico": columns of D14:D23 by A14:A23, and a line of F14:F23 on the second value axis
//     ("0.0%", titled "DP / Faixa"), colours of the colour mode;
//   "Gráfico Área 1": columns of I14:I23 by H14:H23 and a line of J14:J23 on the second axis;
//   "CS x Exp": three XY series of "Auxiliar" (two lines without markers, one of markers only);
//   "Notas": a hidden worksheet holding a Boolean and an error value;
//   "Auxiliar": the very hidden data of "CS x Exp", its D column sparse.
// The first sheet is active.
kvhost::Workbook HistogramAndComparisonBook();

// The rows of the frequency table (14 to 23) and the grid of "Auxiliar" (rows 4 to 15).
inline constexpr int kBins = 10;
inline constexpr int kGridPoints = 12;

} // namespace kvtest
