#pragma once
// The data-product registry: where the files of a data product (a tide
// station database, for one) are. An entry set in the store (domain
// "DataProducts", name "PRODUCT.ENTRY", the value a file path) wins; else the
// default its module registered (a file among the shipped files) applies.

#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick {

inline constexpr const char* kDataProductsDomain = "DataProducts";

// Registers the default of product's entry (e.g. "noaa_tides", "database").
void SetDefaultDataProduct(const std::string& product, const std::string& entry,
                           const std::filesystem::path& path);

// The path of product's entry: the store's entry, else the default; empty
// when neither exists. The file itself is not checked.
std::optional<std::filesystem::path> DataProductPath(const std::string& product,
                                                     const std::string& entry);

}  // namespace tarnwick
