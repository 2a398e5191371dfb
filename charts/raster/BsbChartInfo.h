#pragma once
// A BSB chart set: the .BSB file's description of the chart and the KAP
// panels it lists, each opened as a CRasterChart.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "charts/raster/RasterChart.h"

namespace tarnwick {

// One K01.. entry of a BSB file.
struct BsbPanel {
  std::string entry;   // "K01"
  std::string name;    // NA
  std::string number;  // NU
  std::string type;    // TY: BASE, INSET, EXTENSION...
  std::string fileName;             // FN, a plain file name beside the BSB file
  std::filesystem::path path;       // where it was looked for
  std::unique_ptr<CRasterChart> chart;  // null when it did not open
  KapOpenError error;                   // why not
};

class CBSBChartInfo {
 public:
  const std::filesystem::path& Path() const { return path_; }
  // "Name" (CHT/ NA), "Number" (CHT/ NU), "Type" (CHF/), "Base Chart Version"
  // and "Base Chart Date" (CED/ SE, ED), "NTM Edition" and "NTM Date" (NTM/
  // NE, ND), "Agency" (ORG/), "Manufacturer" (MFR/), "Region" (RGN/),
  // "Version" (VER/), "Copyright" (CRR/); only those the file gives.
  const std::map<std::string, std::string>& Properties() const { return properties_; }
  const std::vector<BsbPanel>& Panels() const { return panels_; }
  std::vector<BsbPanel>& Panels() { return panels_; }
  // Notices for the user, such as "Edition information differs for Chart BSB
  // & KAP files.".
  const std::vector<std::string>& Warnings() const { return warnings_; }

 private:
  friend struct BsbLoader;
  std::filesystem::path path_;
  std::map<std::string, std::string> properties_;
  std::vector<BsbPanel> panels_;
  std::vector<std::string> warnings_;
};

// Why a BSB file was not loaded.
struct BsbOpenError {
  std::string error;        // "Cannot open file" or "Invalid BSB file"
  std::string userMessage;  // "Cannot open this file (error code %d)" or "This is not a valid BSB file"
  std::string detail;
};

// Reads the BSB file at path and opens its panels. A line that cannot be read
// (a panel entry without a plain FN file name) logs "Error in BSB %s; line:
// \"%s\"\n" and refuses the file; a file without panel entries logs "ERROR:
// LoadBsbChart(\"%s\"): no chart references found!\n". A panel that does not
// open logs "ERROR: LoadBsbChart(\"%s\"):ReadKapFile(\"%s\") failed!\n" and is
// kept with its error; the set is refused only when no panel opens.
std::unique_ptr<CBSBChartInfo> LoadBsbFile(const std::filesystem::path& path, BsbOpenError& error);

}  // namespace tarnwick
