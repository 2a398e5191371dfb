#include "charts/s57/SencWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>

#include "core/Log.h"

namespace tarnwick {

static_assert(std::endian::native == std::endian::little, "SENC files are little-endian");

namespace {

using namespace senc;

void Put32(std::string& out, size_t at, uint32_t value) { std::memcpy(&out[at], &value, 4); }

void Append32(std::string& out, uint32_t value) { out.append(reinterpret_cast<const char*>(&value), 4); }

void Append16(std::string& out, uint16_t value) { out.append(reinterpret_cast<const char*>(&value), 2); }

void AppendDouble(std::string& out, double value) {
  out.append(reinterpret_cast<const char*>(&value), 8);
}

void AppendBox(std::string& out, const ProjectedBox& box) {
  AppendDouble(out, box.north);
  AppendDouble(out, box.west);
  AppendDouble(out, box.south);
  AppendDouble(out, box.east);
}

void AppendFeature(std::string& out, const S57Feature& f) {
  const uint32_t attributes = std::min<size_t>(f.attributes.size(), kMaxAttributes);
  const uint32_t parts = std::min<size_t>(f.parts.size(), kMaxParts);
  Append32(out, (f.classCode & kClassBits) | (uint32_t{f.prim} & 3u) << kPrimShift |
                    attributes << kAttrCountShift | parts << kPartCountShift);
  Append32(out, f.index);
  AppendBox(out, f.box);
  Append32(out, static_cast<uint32_t>(f.attributeText.size()));
  for (uint32_t i = 0; i < attributes; ++i) {
    Append16(out, f.attributes[i].first);
    Append16(out, f.attributes[i].second);
  }
  out += f.attributeText;
  out.append((4 - f.attributeText.size() % 4) % 4, '\0');
  for (uint32_t p = 0; p < parts; ++p) {
    const S57GeometryPart& part = f.parts[p];
    const uint32_t count = static_cast<uint32_t>(std::min<size_t>(part.Count(), kMaxPartPoints));
    const bool depths = part.hasDepths && part.depths.size() >= count;
    Append32(out, (part.quapos & kQuaposBits) | (depths ? kDepthsBit : 0u) |
                      count << kCountShift | (part.interior ? kInteriorBit : 0u));
    out.append(reinterpret_cast<const char*>(part.xy.data()), size_t{count} * 16);
    if (depths) out.append(reinterpret_cast<const char*>(part.depths.data()), size_t{count} * 8);
  }
}

}  // namespace

std::string SerializeSenc(const SencHeader& header, const std::vector<S57Feature>& features,
                          const std::vector<SencNode>& tree) {
  const uint32_t count = static_cast<uint32_t>(features.size());
  size_t total = kHeaderSize4 + 4 * size_t{count};
  for (const SencNode& node : tree) total += kNodeSize + 4 * node.features.size();
  for (const S57Feature& f : features) {
    total += kFeatureHeadSize + 4 * f.attributes.size() + f.attributeText.size() + 3;
    for (const S57GeometryPart& part : f.parts) total += 4 + part.xy.size() * 8 + part.depths.size() * 8;
  }
  std::string out;
  out.reserve(total);
  out.assign(kHeaderSize4, '\0');
  Put32(out, kOffVersion, kVersion4);
  Put32(out, kOffHeaderSize, kHeaderSize4);
  Put32(out, kOffCscl, header.cscl);
  Put32(out, kOffIntu, header.intu);
  Put32(out, kOffEdtn, header.edtn);
  Put32(out, kOffUpdn, header.updn);
  Put32(out, kOffUadt, header.uadt);
  Put32(out, kOffIsdt, header.isdt);
  std::memcpy(&out[kOffSted], &header.sted, 4);
  Put32(out, kOffPrsp, header.prsp);
  std::memcpy(&out[kOffPred], &header.pred, 4);
  Put32(out, kOffAgen, header.agen);
  Put32(out, kOffHdat, header.hdat);
  Put32(out, kOffVdat, header.vdat);
  Put32(out, kOffSdat, header.sdat);
  std::memcpy(&out[kOffTitle], header.title.data(), std::min<size_t>(header.title.size(), kTitleSize - 1));
  Put32(out, kOffFeatureCount, count);

  const size_t table = out.size();
  out.append(size_t{count} * 4, '\0');
  // Node offsets in pre-order: the tree's size is known before any feature.
  std::vector<uint32_t> nodeOffset(tree.size());
  size_t at = out.size();
  for (size_t i = 0; i < tree.size(); ++i) {
    nodeOffset[i] = static_cast<uint32_t>(at);
    at += kNodeSize + 4 * tree[i].features.size();
  }
  for (const SencNode& node : tree) {
    AppendBox(out, node.box);
    for (int32_t child : node.children) Append32(out, child < 0 ? 0 : nodeOffset[child]);
    Append32(out, static_cast<uint32_t>(node.features.size()));
    for (uint32_t index : node.features) Append32(out, index);
  }
  for (const SencNode& node : tree) {
    for (uint32_t index : node.features) {
      if (index >= count) continue;
      Put32(out, table + 4 * size_t{index}, static_cast<uint32_t>(out.size()));
      AppendFeature(out, features[index]);
    }
  }
  return out;
}

bool WriteSencFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::path fresh = path;
  fresh += ".new";
  const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    Log("%s: Can't create SENC file. (error: %d)\n", path.c_str(), errno);
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  // On disk before it takes the old file's place, so a crash never leaves a
  // half-written SENC under the SENC's name.
  const bool written = done == bytes.size() && ::fsync(fd) == 0;
  const int writeError = errno;
  ::close(fd);
  if (!written) {
    Log("%s: Can't write SENC file. (error: %d)\n", path.c_str(), writeError);
    ::unlink(fresh.c_str());
    return false;
  }
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    std::filesystem::path deleted = path;
    deleted += ".deleted";
    if (std::rename(path.c_str(), deleted.c_str()) != 0)
      Log("%s: Can't move SENC file. (error: %d)\n", path.c_str(), errno);
  }
  if (std::rename(fresh.c_str(), path.c_str()) != 0) {
    Log("%s: Can't create SENC file(2). (error: %d)\n", path.c_str(), errno);
    ::unlink(fresh.c_str());
    return false;
  }
  return true;
}

}  // namespace tarnwick
