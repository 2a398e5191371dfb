#pragma once
// Writes navigation objects as an object-file document: the XML declaration,
// <NavObjectCollection>, one element per object built from its class table,
// lines ending in CR LF and nested by tabs. The same text is the clipboard
// form of copied objects.

#include <memory>
#include <string>
#include <vector>

#include "navobjects/model/NavObject.h"

namespace tarnwick {

inline constexpr const char* kNobMediaType = "application/vnd.tkns.nob+xml";
// Deepest nesting (tabs) a document may use.
inline constexpr int kNobMaxDepth = 15;

// The whole document for objects, in their order. Tracks with fewer than two
// points are left out.
std::string WriteNobDocument(const std::vector<std::shared_ptr<CNavObject>>& objects);

// Appends one object's element at depth (tabs). Returns false, after logging
// "CSelectable::SaveXml failed!", when it would nest deeper than allowed.
bool AppendNobObject(std::string& out, const CSelectable& object, int depth);

}  // namespace tarnwick
