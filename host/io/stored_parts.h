// While a StoredParts lives, the parts libxlsxwriter adds to its zip are stored as they are,
// not deflated: the package step deflates every part itself (xlsx_package.cpp).
#pragma once

namespace kvhost::xlsx {

class StoredParts {
public:
  StoredParts();
  ~StoredParts();
  StoredParts(const StoredParts&) = delete;
  StoredParts& operator=(const StoredParts&) = delete;
};

} // namespace kvhost::xlsx
