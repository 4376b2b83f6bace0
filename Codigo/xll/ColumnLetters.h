// Column letters as A1 references write them.
#pragma once

#include <string>

// Column `column` (from 0) in letters: A..Z, AA..ZZ, then AAA..XFD, as Excel spells the 16,384
// columns of a sheet from version 12 on (the 256 of the older sheets end at IV). `first` is the
// letter of column 0: 'A' for the references shown to the user, 'a' for the addresses the
// automation bridge sends.
inline std::string ColumnLetters(unsigned column, char first = 'A') {
  std::string letters;
  for (unsigned long n = column + 1ul; n > 0; n = (n - 1) / 26)
    letters.insert(letters.begin(), static_cast<char>(first + (n - 1) % 26));
  return letters;
}
