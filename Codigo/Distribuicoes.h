// Distribution functions the add-in asks of Excel for its p-values, as the worksheet's own
// TDIST, FDIST and CHIDIST would give them.
#pragma once

// Two-tailed Student's t p-value of |t| with df degrees of freedom (TDIST, 301); the upper
// tail of F with (df1, df2) (FDIST, 281); the upper tail of chi-square with df degrees of
// freedom (CHIDIST, 274). False when Excel refuses the call or answers anything but a number.
bool ExcelTdist(double t, double df, double& p);
bool ExcelFdist(double f, double df1, double df2, double& p);
bool ExcelChidist(double x, double df, double& p);
