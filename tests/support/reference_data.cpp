#include "reference_data.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <stdexcept>

namespace kvtest {

const nlohmann::json& ReferenceFile(const std::string& name) {
  static std::map<std::string, nlohmann::json> files;
  if (const auto read = files.find(name); read != files.end()) return read->second;
  const std::string path = std::string(KV_REFERENCE_DATA) + "/" + name;
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot read the reference values " + path);
  nlohmann::json data = nlohmann::json::parse(file, nullptr, false);
  if (data.is_discarded()) throw std::runtime_error(path + " is not JSON");
  return files.emplace(name, std::move(data)).first->second;
}

const nlohmann::json& ReferenceCases(const std::string& name, const std::string& key,
                                     std::size_t at_least) {
  static const nlohmann::json kNoCases = nlohmann::json::array();
  const nlohmann::json& data = ReferenceFile(name);
  const auto cases = data.find(key);
  if (cases == data.end() || !cases->is_array()) {
    ADD_FAILURE() << name << " has no case list \"" << key << "\"";
    return kNoCases;
  }
  if (cases->size() < at_least) {
    ADD_FAILURE() << name << " lists " << cases->size() << " cases under \"" << key
                  << "\", expected at least " << at_least;
    return kNoCases;
  }
  return *cases;
}

} // namespace kvtest
