#pragma once
// Reads object-file documents (files and pasted text): creates the objects,
// then resolves mark references by id once the whole document is read.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "navobjects/model/NavObject.h"

namespace tarnwick {

struct NobReadResult {
  bool ok = false;                                   // false: the text is not a readable document
  std::string error;                                 // why it is not, for the log and the user
  std::vector<std::shared_ptr<CNavObject>> objects;  // top-level objects in file order
  std::vector<std::string> missingIds;               // referenced ids that did not appear (dropped)
  int orphaned = 0;           // elements that could not be attached to the collection
  int unknownProperties = 0;  // property elements no class defines (ignored)
  int badValues = 0;          // property texts that did not convert (defaults kept)

  // "The following objects were referenced, but did not appear in the file:"
  // a blank line and the ids, one a line; empty when nothing is missing.
  std::string MissingObjectsMessage() const;
};

// Parses a document. Each missing reference is logged as
// "Missing object: \"<id>\"" and each orphan as "Orphaned object!".
NobReadResult ReadNobDocument(std::string_view text);
NobReadResult ReadNobFile(const std::filesystem::path& file);

}  // namespace tarnwick
