// The worksheet functions as Excel calls them, with the argument kinds of their type texts:
// P value records, A Booleans and I integers as shorts, B doubles. Excel 2007 and later call
// the "12" procedures, whose Q records are Excel 12's (32-bit array shapes).
#pragma once

#include "xll/callconv.h"
#include "xll/xlcall.h"

KV_ENTRY(LPXLOPER) skew(LPXLOPER dados, short retornos, short amostragem, short tipo, short faixas);
KV_ENTRY(LPXLOPER) kurt(LPXLOPER dados, short retornos, short amostragem);
KV_ENTRY(LPXLOPER) interpol(short dias, LPXLOPER curva, double anos_flat);
KV_ENTRY(LPXLOPER) cspline(short dias, LPXLOPER curva);
KV_ENTRY(LPXLOPER) ewv(LPXLOPER dados, double decay, short ordem, short retornos, short media_nula);

KV_ENTRY(LPXLOPER12)
skew12(LPXLOPER12 dados, short retornos, short amostragem, short tipo, short faixas);
KV_ENTRY(LPXLOPER12) kurt12(LPXLOPER12 dados, short retornos, short amostragem);
KV_ENTRY(LPXLOPER12) interpol12(short dias, LPXLOPER12 curva, double anos_flat);
KV_ENTRY(LPXLOPER12) cspline12(short dias, LPXLOPER12 curva);
KV_ENTRY(LPXLOPER12)
ewv12(LPXLOPER12 dados, double decay, short ordem, short retornos, short media_nula);
