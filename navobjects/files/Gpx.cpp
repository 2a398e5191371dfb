#include "navobjects/files/Gpx.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unordered_set>

#include "core/units/UnitFormat.h"
#include "navobjects/files/XmlDocument.h"
#include "navobjects/files/XmlText.h"
#include "navobjects/model/FileTime.h"
#include "navobjects/model/PropertyText.h"
#include "navobjects/model/Route.h"
#include "navobjects/model/Track.h"

namespace tarnwick {
namespace {

// ---- writing ----

void Element(std::string& out, int depth, const char* name, std::string_view text) {
  if (text.empty()) return;
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += '<';
  out += name;
  out += '>';
  AppendXmlEscaped(out, text);
  out += "</";
  out += name;
  out += ">\n";
}

void OpenPoint(std::string& out, int depth, const char* name, const LatLon& where) {
  char text[128];
  snprintf(text, sizeof text, "<%s lat=\"%f\" lon=\"%f\">\n", name, where.lat, where.lon);
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += text;
}

void ClosePoint(std::string& out, int depth, const char* name) {
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += "</";
  out += name;
  out += ">\n";
}

void Extensions(std::string& out, int depth,
                const std::vector<std::pair<const char*, std::string>>& values) {
  bool any = false;
  for (const auto& [name, text] : values) any = any || !text.empty();
  if (!any) return;
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += "<extensions>\n";
  for (const auto& [name, text] : values) Element(out, depth + 1, name, text);
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += "</extensions>\n";
}

// name: what other programs show for the point (a route's unnamed waypoint: its place "%03d").
void MarkBody(std::string& out, int depth, const CMark& mark, const std::string& name,
              std::string legSpeed) {
  Element(out, depth, "time", FormatIsoTime(mark.Created()));
  Element(out, depth, "name", name);
  Element(out, depth, "cmt", mark.comments);
  Element(out, depth, "desc", mark.description);
  if (!mark.link.empty()) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
    out += "<link href=\"" + XmlEscaped(mark.link) + "\"/>\n";
  }
  Element(out, depth, "sym", mark.icon);
  Extensions(out, depth,
             {{"tw:arrivalRadius", FormatDistanceText(mark.arrivalCircleRadius)},
              {"tw:plannedSpeed", std::move(legSpeed)},
              {"tw:color", mark.color == kRgbBlue ? "" : FormatColourText(mark.color)}});
}

// ---- reading ----

const xmlNode* Child(const xmlNode* node, const char* name) {
  for (const xmlNode* c = node->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE && strcmp(XmlName(c), name) == 0) return c;
  return nullptr;
}

std::string ChildText(const xmlNode* node, const char* name) {
  const xmlNode* child = Child(node, name);
  return child == nullptr ? std::string() : XmlText(child);
}

// An extension value by local name, in any namespace.
std::string ExtensionText(const xmlNode* node, const char* name) {
  const xmlNode* extensions = Child(node, "extensions");
  if (extensions == nullptr) return {};
  // Our values sit directly below; other programs nest theirs one level deeper.
  if (const xmlNode* direct = Child(extensions, name)) return XmlText(direct);
  for (const xmlNode* c = extensions->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE)
      if (const xmlNode* nested = Child(c, name)) return XmlText(nested);
  return {};
}

std::optional<LatLon> PointPosition(const xmlNode* node) {
  auto lat = XmlAttribute(node, "lat");
  auto lon = XmlAttribute(node, "lon");
  if (!lat || !lon) return std::nullopt;
  char* end = nullptr;
  const double la = strtod(lat->c_str(), &end);
  if (end == lat->c_str()) return std::nullopt;
  const double lo = strtod(lon->c_str(), &end);
  if (end == lon->c_str()) return std::nullopt;
  if (!std::isfinite(la) || !std::isfinite(lo) || la < -90 || la > 90 || lo < -180 || lo > 180)
    return std::nullopt;
  return LatLon{la, lo};
}

std::shared_ptr<CMark> ReadMark(const xmlNode* node, const LatLon& where) {
  auto mark = std::make_shared<CMark>();
  mark->position = where;
  if (auto time = ParseIsoTime(ChildText(node, "time"))) mark->SetCreated(*time);
  mark->name = ChildText(node, "name");
  mark->comments = ChildText(node, "cmt");
  mark->description = ChildText(node, "desc");
  mark->icon = ChildText(node, "sym");
  if (const xmlNode* link = Child(node, "link"))
    mark->link = XmlAttribute(link, "href").value_or("");
  const std::string radius = ExtensionText(node, "arrivalRadius");
  if (!radius.empty()) {
    const Length length = ParseLength(radius);
    if (length.IsValid()) mark->arrivalCircleRadius = length;
  }
  if (auto colour = ParseColourText(ExtensionText(node, "color"))) mark->color = *colour;
  return mark;
}

}  // namespace

std::string WriteGpxDocument(const std::vector<std::shared_ptr<CNavObject>>& objects) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"Tarnwick ECS\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:tw=\"urn:tarnwick-ecs:gpx:1\">\n";
  std::unordered_set<const CMark*> routeMarks;
  for (const auto& object : objects)
    if (const auto* route = dynamic_cast<const CRoute*>(object.get()))
      for (const auto& mark : route->Marks()) routeMarks.insert(mark.get());

  for (const auto& object : objects) {
    const auto* mark = dynamic_cast<const CMark*>(object.get());
    if (mark == nullptr || (routeMarks.count(mark) != 0 && !mark->existsOutsideCollection))
      continue;
    OpenPoint(out, 1, "wpt", mark->position);
    MarkBody(out, 2, *mark, mark->name, {});
    ClosePoint(out, 1, "wpt");
  }
  for (const auto& object : objects) {
    const auto* route = dynamic_cast<const CRoute*>(object.get());
    if (route == nullptr) continue;
    out += "  <rte>\n";
    Element(out, 2, "name", route->name);
    Element(out, 2, "desc", route->description);
    for (size_t i = 0; i < route->Marks().size(); ++i) {
      const double speed = i < route->Legs().size() ? route->Legs()[i]->plannedSpeed : 0;
      OpenPoint(out, 2, "rtept", route->Marks()[i]->position);
      MarkBody(out, 3, *route->Marks()[i], route->WaypointDisplayName(i),
               speed > 0 ? FormatSpeedText(speed) : std::string());
      ClosePoint(out, 2, "rtept");
    }
    out += "  </rte>\n";
  }
  for (const auto& object : objects) {
    const auto* track = dynamic_cast<const CTrack*>(object.get());
    if (track == nullptr || track->points.empty()) continue;
    out += "  <trk>\n";
    Element(out, 2, "name", track->name);
    Element(out, 2, "desc", track->description);
    out += "    <trkseg>\n";
    for (const TrackPoint& point : track->points) {
      OpenPoint(out, 3, "trkpt", point.position);
      if (point.time.IsSet()) Element(out, 4, "time", FormatIsoTime(point.time));
      Extensions(out, 4,
                 {{"tw:depth", point.depthMetres != 0 ? FormatNumber(point.depthMetres, 6) : ""}});
      ClosePoint(out, 3, "trkpt");
    }
    out += "    </trkseg>\n  </trk>\n";
  }
  out += "</gpx>\n";
  return out;
}

GpxReadResult ReadGpxDocument(std::string_view text) {
  GpxReadResult result;
  CXmlDocument document(text);
  if (!document.IsOpen()) {
    result.error = document.Error();
    return result;
  }
  const xmlNode* root = document.Root();
  if (strcmp(XmlName(root), "gpx") != 0) {
    result.error = std::string("the document element is <") + XmlName(root) + ">, not <gpx>";
    return result;
  }
  for (const xmlNode* node = root->children; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    const char* name = XmlName(node);
    if (strcmp(name, "wpt") == 0) {
      auto where = PointPosition(node);
      if (!where) {
        ++result.skippedPoints;
        continue;
      }
      auto mark = ReadMark(node, *where);
      mark->existsOutsideCollection = true;
      result.objects.push_back(mark);
    } else if (strcmp(name, "rte") == 0) {
      auto route = std::make_shared<CRoute>();
      route->name = ChildText(node, "name");
      route->description = ChildText(node, "desc");
      std::vector<std::shared_ptr<CNavObject>> marks;
      std::vector<double> speeds;
      for (const xmlNode* p = node->children; p != nullptr; p = p->next) {
        if (p->type != XML_ELEMENT_NODE || strcmp(XmlName(p), "rtept") != 0) continue;
        auto where = PointPosition(p);
        if (!where) {
          ++result.skippedPoints;
          continue;
        }
        auto mark = ReadMark(p, *where);
        route->InsertMarkAt(route->Marks().size(), mark);
        speeds.push_back(ParseSpeedText(ExtensionText(p, "plannedSpeed")).value_or(0));
        marks.push_back(mark);
      }
      for (size_t i = 0; i < route->Legs().size() && i < speeds.size(); ++i)
        route->MutableLegs()[i]->plannedSpeed = speeds[i];
      result.objects.push_back(route);
      result.objects.insert(result.objects.end(), marks.begin(), marks.end());
    } else if (strcmp(name, "trk") == 0) {
      auto track = std::make_shared<CTrack>();
      track->name = ChildText(node, "name");
      track->description = ChildText(node, "desc");
      for (const xmlNode* seg = node->children; seg != nullptr; seg = seg->next) {
        if (seg->type != XML_ELEMENT_NODE || strcmp(XmlName(seg), "trkseg") != 0) continue;
        for (const xmlNode* p = seg->children; p != nullptr; p = p->next) {
          if (p->type != XML_ELEMENT_NODE || strcmp(XmlName(p), "trkpt") != 0) continue;
          auto where = PointPosition(p);
          if (!where) {
            ++result.skippedPoints;
            continue;
          }
          TrackPoint point;
          point.position = *where;
          point.time = ParseIsoTime(ChildText(p, "time")).value_or(FileTime{});
          char* end = nullptr;
          const std::string depth = ExtensionText(p, "depth");
          const double metres = strtod(depth.c_str(), &end);
          if (end != depth.c_str() && std::isfinite(metres)) point.depthMetres = metres;
          track->points.push_back(point);
        }
      }
      if (!track->points.empty()) track->startTime = track->points.front().time;
      result.objects.push_back(track);
    }
  }
  result.ok = true;
  return result;
}

GpxReadResult ReadGpxFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    GpxReadResult result;
    result.error = "cannot open " + file.string() + ": " + std::strerror(errno);
    return result;
  }
  std::ostringstream content;
  content << in.rdbuf();
  GpxReadResult result = ReadGpxDocument(content.str());
  if (!result.ok) result.error = file.string() + ": " + result.error;
  return result;
}

}  // namespace tarnwick
