// The add-in's eight dialogs built as their launches build them, in either language, for the
// tests that look at them without Excel.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Forms.h"

struct DialogCase {
  std::string name;
  std::function<std::unique_ptr<forms::Form>(bool english)> make;
};

std::vector<DialogCase> AllDialogs();
