// The reference values that tests/reference/generate_*.py write into tests/reference/data, and
// their case lists. A test over a list that came out empty or went missing fails instead of
// passing over nothing.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>

namespace kvtest {

// The file `name` of the reference data, read once per process. A file that is missing or is
// not JSON throws, which fails the test that asked for it.
const nlohmann::json& ReferenceFile(const std::string& name);

// The cases listed under `key` in the reference file `name`. When the list is missing, is not a
// list or holds fewer than `at_least` cases, the calling test fails and gets no cases.
const nlohmann::json& ReferenceCases(const std::string& name, const std::string& key,
                                     std::size_t at_least = 1);

} // namespace kvtest
