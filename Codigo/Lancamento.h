// The seven tool commands: each reads Excel's selection, checks its shape, reads the cells its
// tool needs (one by one through Excel 4 records, in blocks through Excel 12 ones), and opens the
// tool's settings dialog with the range, the data and the defaults. The tools compute and write
// when their dialog's OK is pressed.
#pragma once

#include <string>
#include <vector>

#include "Dialogo.h"
#include "xll/ColumnLetters.h"
#include "xll/callconv.h"

// The range as the dialogs show it: "=$A$1:B$10" for rows 0..9 of columns 0..1.
std::string RangeText(const SelectionBounds& bounds);

// The numbers of the selection, column by column, each from top to bottom (one GET.CELL per
// cell through Excel 4 records, blocks of whole columns through Excel 12 ones); integers count
// as numbers, anything else is skipped.
std::vector<double> ReadSeries(const SelectionBounds& bounds);

// Each returns 1 when its dialog was shown, 0 when the launch stopped with a message.
KV_ENTRY(short) kv_chama_hist();
KV_ENTRY(short) kv_chama_cmp();
KV_ENTRY(short) kv_chama_pca();
KV_ENTRY(short) kv_chama_ica();
KV_ENTRY(short) kv_chama_rlm();
KV_ENTRY(short) kv_chama_ewv();
KV_ENTRY(short) kv_chama_arch();
