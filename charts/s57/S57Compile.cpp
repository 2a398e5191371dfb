// Compiling the feature records of a cell: class code, primitive, attributes,
// and geometry (points, soundings with depths, lines and areas chained from
// their edges), projected into Mercator metres with the feature's box.

#include <charconv>

#include "charts/s57/S57Catalogue.h"
#include "charts/s57/S57Cell.h"
#include "charts/s57/SencFormat.h"
#include "core/Log.h"
#include "core/geo/Mercator.h"

namespace tarnwick {
namespace {

struct PointerName {
  int rcnm = 0;
  uint32_t rcid = 0;
};

// A 5-byte NAME: RCNM, then RCID least significant byte first.
std::optional<PointerName> DecodeName(std::optional<std::string_view> raw) {
  if (!raw || raw->size() != 5) return std::nullopt;
  const auto* b = reinterpret_cast<const uint8_t*>(raw->data());
  return PointerName{b[0], uint32_t{b[1]} | uint32_t{b[2]} << 8 | uint32_t{b[3]} << 16 |
                               uint32_t{b[4]} << 24};
}

// One edge as a feature uses it.
struct EdgeUse {
  uint8_t quapos = 0;
  int ornt = 1, mask = 1, usag = 1;
  std::vector<double> xy;  // oriented as the feature uses the edge
};

bool SamePoint(const std::vector<double>& a, size_t i, const std::vector<double>& b, size_t j) {
  return a[2 * i] == b[2 * j] && a[2 * i + 1] == b[2 * j + 1];
}

bool Closed(const std::vector<double>& xy) {
  const size_t n = xy.size() / 2;
  return n > 1 && SamePoint(xy, 0, xy, n - 1);
}

// QUAPOS of a spatial record: its first ATTV value when that is attribute
// 402; another first attribute is reported through what (else 0).
uint8_t Quapos(const CIso8211Record& spatial, int& otherAttribute) {
  otherAttribute = 0;
  const auto attv = spatial.FindField("ATTV");
  if (!attv || attv->RepeatCount() == 0) return 0;
  const auto attl = attv->Int("ATTL", 0);
  if (!attl) return 0;
  if (*attl != kAttrQuapos) {
    otherAttribute = static_cast<int>(*attl);
    return 0;
  }
  return static_cast<uint8_t>(attv->Int("ATVL", 0).value_or(0) & senc::kQuaposBits);
}

// Appends ISO 8859-1 text as UTF-8, up to a NUL (which would end the value
// early in the SENC).
void AppendLatin1AsUtf8(std::string& out, std::string_view text) {
  for (char c : text) {
    const auto b = static_cast<uint8_t>(c);
    if (b == 0) break;
    if (b < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
}

// Points of a node record's coordinate field (SG2D, else SG3D) in degrees.
bool NodePoint(const CIso8211Record& node, uint32_t comf, double& x, double& y) {
  auto field = node.FindField("SG2D");
  if (!field) field = node.FindField("SG3D");
  if (!field || field->RepeatCount() == 0) return false;
  const auto xcoo = field->Int("XCOO", 0);
  const auto ycoo = field->Int("YCOO", 0);
  if (!xcoo || !ycoo) return false;
  x = static_cast<double>(*xcoo) / comf;
  y = static_cast<double>(*ycoo) / comf;
  return true;
}

}  // namespace

void CS57Cell::CompileSoundings(const CIso8211Record& record, S57Feature& feature) {
  const auto name = DecodeName(record.FindField("FSPT") ? record.FindField("FSPT")->Raw("NAME", 0)
                                                        : std::nullopt);
  CIso8211Record* node = nullptr;
  if (name) node = (name->rcnm == kRcnmIsolatedNode ? isolatedNodes_ : connectedNodes_).Find(name->rcid);
  if (!node) {
    LogDebug("SOUNDG is missing spatial record!\n");
    return;
  }
  int other = 0;
  const uint8_t quapos = Quapos(*node, other);
  const auto sg3d = node->FindField("SG3D");
  if (!sg3d) {
    LogDebug("%s: Missing SG3D field!\n", header_.dsnm.c_str());
    return;
  }
  const auto& defn = sg3d->Defn();
  const int yi = defn.SubfieldIndex("YCOO"), xi = defn.SubfieldIndex("XCOO"),
            zi = defn.SubfieldIndex("VE3D");
  S57GeometryPart part;
  part.quapos = quapos;
  part.hasDepths = true;
  const size_t count = xi < 0 || yi < 0 || zi < 0 ? 0 : sg3d->RepeatCount();
  for (size_t i = 0; i < count; ++i) {
    const auto x = sg3d->Int(static_cast<size_t>(xi), i);
    const auto y = sg3d->Int(static_cast<size_t>(yi), i);
    const auto z = sg3d->Int(static_cast<size_t>(zi), i);
    if (!x || !y || !z) break;
    part.xy.push_back(static_cast<double>(*x) / header_.comf);
    part.xy.push_back(static_cast<double>(*y) / header_.comf);
    part.depths.push_back(static_cast<double>(*z) / header_.somf);
  }
  feature.parts.push_back(std::move(part));
}

void CS57Cell::CompilePoint(const CIso8211Record& record, S57Feature& feature) {
  const auto fspt = record.FindField("FSPT");
  const auto name = DecodeName(fspt ? fspt->Raw("NAME", 0) : std::nullopt);
  if (!name) {
    LogDebug("Ignoring point feature without geometry\n");
    return;
  }
  CIso8211Record* node =
      (name->rcnm == kRcnmIsolatedNode ? isolatedNodes_ : connectedNodes_).Find(name->rcid);
  if (!node) {
    LogDebug("Cannot find point\n");
    return;
  }
  S57GeometryPart part;
  int other = 0;
  part.quapos = Quapos(*node, other);
  if (other != 0) LogDebug("Attr %d on point!\n", other);
  double x = 0, y = 0;
  if (!NodePoint(*node, header_.comf, x, y)) {
    LogDebug("Not a point\n");
    return;
  }
  part.xy = {x, y};
  feature.parts.push_back(std::move(part));
}

void CS57Cell::CompileEdges(const CIso8211Record& record, S57Feature& feature) {
  std::vector<EdgeUse> uses;
  for (size_t k = 0;; ++k) {
    const auto fspt = record.FindField("FSPT", k);
    if (!fspt) break;
    const size_t reps = fspt->RepeatCount();
    for (size_t r = 0; r < reps; ++r) {
      const auto name = DecodeName(fspt->Raw("NAME", r));
      if (!name || name->rcnm != kRcnmEdge) {
        LogDebug("Missing edge!\n");
        return;
      }
      CIso8211Record* edge = edges_.Find(name->rcid);
      if (!edge) {
        LogDebug("Missing spatial record!\n");
        return;
      }
      EdgeUse use;
      int other = 0;
      use.quapos = Quapos(*edge, other);
      if (other != 0) LogDebug("Attr %d on edge!\n", other);
      use.ornt = static_cast<int>(fspt->Int("ORNT", r).value_or(1));
      use.mask = static_cast<int>(fspt->Int("MASK", r).value_or(1));
      use.usag = static_cast<int>(fspt->Int("USAG", r).value_or(1));
      const bool reverse = use.ornt == 2;
      const auto vrpt = edge->FindField("VRPT");
      auto addNode = [&](size_t rep) {
        const auto nodeName = DecodeName(vrpt ? vrpt->Raw("NAME", rep) : std::nullopt);
        const CIso8211Record* node = nodeName ? connectedNodes_.Find(nodeName->rcid) : nullptr;
        double x = 0, y = 0;
        if (node && NodePoint(*node, header_.comf, x, y)) {
          use.xy.push_back(x);
          use.xy.push_back(y);
        }
      };
      addNode(reverse ? 1 : 0);
      if (const auto sg2d = edge->FindField("SG2D")) {
        const auto& defn = sg2d->Defn();
        const int yi = defn.SubfieldIndex("YCOO"), xi = defn.SubfieldIndex("XCOO");
        const size_t n = xi < 0 || yi < 0 ? 0 : sg2d->RepeatCount();
        for (size_t v = 0; v < n; ++v) {
          const size_t i = reverse ? n - 1 - v : v;
          const auto x = sg2d->Int(static_cast<size_t>(xi), i);
          const auto y = sg2d->Int(static_cast<size_t>(yi), i);
          if (!x || !y) continue;
          use.xy.push_back(static_cast<double>(*x) / header_.comf);
          use.xy.push_back(static_cast<double>(*y) / header_.comf);
        }
      }
      addNode(reverse ? 0 : 1);
      uses.push_back(std::move(use));
    }
  }

  // Chain the edge uses into parts: each chain grows at its end only, by
  // edges whose first point (forwards) or last point (backwards) meets it.
  std::vector<bool> used(uses.size(), false);
  for (size_t start = 0; start < uses.size(); ++start) {
    if (used[start]) continue;
    used[start] = true;
    if (uses[start].xy.empty()) {
      LogDebug("Empty line\n");
      continue;
    }
    S57GeometryPart part;
    part.quapos = uses[start].quapos;
    part.interior = uses[start].usag == 2;
    part.xy = uses[start].xy;
    bool added = true;
    while (!Closed(part.xy) && added) {
      added = false;
      for (size_t j = start + 1; j < uses.size() && !Closed(part.xy); ++j) {
        if (used[j]) continue;
        const std::vector<double>& xy = uses[j].xy;
        const size_t n = xy.size() / 2;
        if (n == 0) {
          LogDebug("Empty line\n");
          used[j] = true;
          continue;
        }
        const size_t last = part.xy.size() / 2 - 1;
        if (SamePoint(xy, 0, part.xy, last)) {
          part.xy.insert(part.xy.end(), xy.begin() + 2, xy.end());
        } else if (SamePoint(xy, n - 1, part.xy, last)) {
          for (size_t i = n - 1; i-- > 0;) {
            part.xy.push_back(xy[2 * i]);
            part.xy.push_back(xy[2 * i + 1]);
          }
        } else {
          continue;
        }
        used[j] = true;
        added = true;
      }
    }
    feature.parts.push_back(std::move(part));
  }
}

void CS57Cell::ReadAttributes(const CIso8211Record& record, S57Feature& feature) const {
  const auto attf = record.FindField("ATTF");
  if (!attf) return;
  const auto& defn = attf->Defn();
  const int li = defn.SubfieldIndex("ATTL"), vi = defn.SubfieldIndex("ATVL");
  if (li < 0 || vi < 0) return;
  const size_t reps = attf->RepeatCount();
  for (size_t r = 0; r < reps; ++r) {
    const auto attl = attf->Int(static_cast<size_t>(li), r);
    const auto raw = attf->Raw(static_cast<size_t>(vi), r);
    if (!attl || !raw) continue;
    if (feature.attributes.size() >= senc::kMaxAttributes ||
        feature.attributeText.size() > UINT16_MAX) {
      LogDebug("Feature %u: more attributes than a SENC record holds\n", feature.rcid);
      break;
    }
    const size_t start = feature.attributeText.size();
    feature.attributes.push_back({static_cast<uint16_t>(*attl), static_cast<uint16_t>(start)});
    if (header_.aall == 1) {
      AppendLatin1AsUtf8(feature.attributeText, *raw);
    } else {
      feature.attributeText.append(raw->substr(0, raw->find('\0')));
    }
    if (*attl == kAttrScamin)
      std::from_chars(feature.attributeText.data() + start,
                      feature.attributeText.data() + feature.attributeText.size(), feature.scamin);
    feature.attributeText += '\0';
  }
}

std::vector<S57Feature> CS57Cell::Compile() {
  std::vector<S57Feature> out;
  out.reserve(features_.Size());
  for (const auto& [rcid, record] : features_.Entries()) {
    S57Feature feature;
    feature.index = static_cast<uint32_t>(out.size());
    feature.rcid = rcid;
    if (const auto frid = record.FindField("FRID")) {
      feature.objl = static_cast<uint16_t>(frid->Int("OBJL").value_or(0));
      feature.prim = static_cast<uint8_t>(frid->Int("PRIM").value_or(0));
    }
    if (const auto foid = record.FindField("FOID")) {
      feature.agen = static_cast<uint16_t>(foid->Int("AGEN").value_or(0));
      feature.fidn = static_cast<uint32_t>(foid->Int("FIDN").value_or(0));
      feature.fids = static_cast<uint16_t>(foid->Int("FIDS").value_or(0));
    }
    feature.classCode = CompactClassCode(feature.objl);
    if (feature.prim == kPrimPoint && feature.classCode == kClassSoundg) {
      CompileSoundings(record, feature);
    } else if (feature.prim == kPrimPoint) {
      CompilePoint(record, feature);
    } else if (feature.prim == kPrimLine || feature.prim == kPrimArea) {
      CompileEdges(record, feature);
    } else if (DebugLogActive()) {
      LogDebug("Non-spatial object: %s\n", std::string(ObjectClassAcronym(feature.objl)).c_str());
    }
    if (feature.parts.size() > senc::kMaxParts) {
      LogDebug("Feature %u: more parts than a SENC record holds\n", rcid);
      feature.parts.resize(senc::kMaxParts);
    }
    for (S57GeometryPart& part : feature.parts) {
      for (size_t i = 0; i + 1 < part.xy.size(); i += 2) {
        const MercatorPoint p = MercatorForward(part.xy[i + 1], part.xy[i]);
        part.xy[i] = p.x;
        part.xy[i + 1] = p.y;
        feature.box.Add(p.x, p.y);
      }
    }
    ReadAttributes(record, feature);
    out.push_back(std::move(feature));
  }
  return out;
}

}  // namespace tarnwick
