#pragma once
// A sensor of the navigation data store: one kind of data ("pos", "hdg",
// "dpt", "stw", "xdr", "ais", "pos-ais", "hdg-ais") delivered by one port.
// The store derives its sensor classes from this base.

#include <string>

namespace tarnwick {

class CNavSource;

class CSensor {
 public:
  // kind: the registry key; source: the port's navigation source (outlives the
  // sensor); portName: the port's label.
  CSensor(std::string kind, CNavSource* source, std::string portName)
      : kind_(std::move(kind)), source_(source), portName_(std::move(portName)) {}
  virtual ~CSensor() = default;
  CSensor(const CSensor&) = delete;
  CSensor& operator=(const CSensor&) = delete;

  const std::string& Kind() const { return kind_; }
  CNavSource* Source() const { return source_; }
  const std::string& PortName() const { return portName_; }

 private:
  std::string kind_;
  CNavSource* source_;
  std::string portName_;
};

}  // namespace tarnwick
