// Prints what kvhost's data readers find in a file, as JSON, for the round-trip checks written
// in Python: {"sheets": [{"name", "visible", "cells": {"A1": [type, value]}}]} with types "n"
// (numbers with 17 significant digits), "s", "b", "e" (the error's name). Empty cells are left
// out. Exit 2 with the reader's one-line message when the file cannot be read.
#include <nlohmann/json.hpp>

#include <iostream>

#include "io/data_workbook.h"
#include "model/references.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: workbook_cells FILE\n";
    return 2;
  }
  std::string error;
  const auto sheets = kvhost::ReadDataFile(argv[1], error);
  if (!sheets) {
    std::cerr << error << '\n';
    return 2;
  }
  nlohmann::json out = {{"sheets", nlohmann::json::array()}};
  for (const kvhost::DataSheet& sheet : *sheets) {
    nlohmann::json cells = nlohmann::json::object();
    for (std::uint32_t column = 0; column < sheet.cells.Columns(); ++column)
      for (std::uint32_t row = 0; row < sheet.cells.Rows(); ++row) {
        const kvhost::Value value = sheet.cells.Get(row, column);
        const std::string ref = kvhost::ColumnLetters(column) + std::to_string(row + 1);
        switch (value.type) {
        case kvhost::ValueType::Empty: break;
        case kvhost::ValueType::Number: cells[ref] = {"n", value.number}; break;
        case kvhost::ValueType::Text: cells[ref] = {"s", value.text}; break;
        case kvhost::ValueType::Boolean: cells[ref] = {"b", value.boolean}; break;
        case kvhost::ValueType::Error:
          cells[ref] = {"e", std::string(kvhost::ErrorName(value.error))};
          break;
        }
      }
    out["sheets"].push_back({{"name", sheet.name}, {"visible", sheet.visible}, {"cells", cells}});
  }
  std::cout << out.dump() << '\n';
  return 0;
}
