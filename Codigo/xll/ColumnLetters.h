// Column letters as A1 references write them.
#pragma once

#include <string>

// Column `column` (from 0) in letters: A..Z, then AA..IV; two letters reach the 256 columns of
// a sheet. `first` is the letter of column 0: 'A' for the references shown to the user, 'a'
// for the addresses the automation bridge sends.
inline std::string ColumnLetters(unsigned column, char first = 'A') {
  std::string letters;
  if (column >= 26) letters += static_cast<char>(first + column / 26 - 1);
  letters += static_cast<char>(first + column % 26);
  return letters;
}
