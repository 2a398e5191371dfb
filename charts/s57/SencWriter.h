#pragma once
// Writes compiled features as a version 4 SENC file (layout in SencFormat.h).

#include <filesystem>
#include <string>
#include <vector>

#include "charts/s57/S57Feature.h"
#include "charts/s57/SencFormat.h"
#include "charts/s57/SencQuadtree.h"

namespace tarnwick {

// The bytes of a version 4 SENC of features (projected, in feature-index
// order, features[i].index == i) and their tree (BuildSencQuadtree over the
// features' boxes). header.version and header.featureCount are ignored: the
// file says 4 and features.size(). Attribute and part counts beyond what the
// flags word holds (255, 4095) are cut; the compiler keeps within them.
std::string SerializeSenc(const SencHeader& header, const std::vector<S57Feature>& features,
                          const std::vector<SencNode>& tree);

// Writes bytes to path + ".new" and puts it in place of path: the old file is
// deleted (renamed to path + ".deleted" when it cannot be deleted), then the
// new one renamed to path. False, with the reason logged, when a step fails;
// the ".new" file is then removed.
bool WriteSencFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace tarnwick
