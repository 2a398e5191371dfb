#include "navobjects/files/NobWriter.h"

#include "core/Log.h"
#include "navobjects/files/TrackPointText.h"
#include "navobjects/files/XmlText.h"
#include "navobjects/model/FileTime.h"
#include "navobjects/model/PropertyText.h"
#include "navobjects/model/Track.h"
#include "navobjects/model/UnknownElement.h"
#include "navobjects/model/ViewSettings.h"

namespace tarnwick {
namespace {

constexpr const char* kLineEnd = "\r\n";

void Indent(std::string& out, int depth) {
  out.append(static_cast<size_t>(depth), '\t');
}

void AppendLine(std::string& out, int depth, std::string_view text) {
  Indent(out, depth);
  out += text;
  out += kLineEnd;
}

void AppendProperty(std::string& out, int depth, const char* name, std::string_view text) {
  Indent(out, depth);
  out += '<';
  out += name;
  out += '>';
  AppendXmlEscaped(out, text);
  out += "</";
  out += name;
  out += '>';
  out += kLineEnd;
}

bool AppendRows(std::string& out, const CSelectable& object, int depth) {
  // Rows only read the object; children and sub-objects are reached through
  // accessors that take it mutable.
  auto& mutableObject = const_cast<CSelectable&>(object);
  for (const PropertyDescriptor* row : object.Class().AllProperties()) {
    switch (row->Type()) {
      case PropertyType::ParentLink:
        if (row->children != nullptr) {
          for (CSelectable* child : row->children(mutableObject))
            if (!AppendNobObject(out, *child, depth)) return false;
        }
        continue;
      case PropertyType::SubObject: {
        const CSelectable* sub = row->subObject(mutableObject);
        const auto* view = dynamic_cast<const CViewSettings*>(sub);
        if (sub != nullptr && (view == nullptr || view->IsSaved()) &&
            !AppendNobObject(out, *sub, depth))
          return false;
        continue;
      }
      case PropertyType::MarkList: {
        const auto value = row->get(object);
        const auto& ids = std::get<std::vector<std::string>>(value);
        if (ids.empty()) continue;
        if (depth + 1 > kNobMaxDepth) return false;
        AppendLine(out, depth, std::string("<") + row->name + ">");
        for (const std::string& id : ids) {
          Indent(out, depth + 1);
          AppendXmlEscaped(out, id);
          out += kLineEnd;
        }
        AppendLine(out, depth, std::string("</") + row->name + ">");
        continue;
      }
      case PropertyType::Attachments: {
        const auto value = row->get(object);
        for (const std::string& file : std::get<std::vector<std::string>>(value))
          AppendProperty(out, depth, row->name, file);
        continue;
      }
      default:
        break;
    }
    if (!row->HasValue() || row->get == nullptr) continue;
    const PropertyValue value = row->get(object);
    if (IsOmittedValue(*row, value)) continue;
    AppendProperty(out, depth, row->name, PersistentText(*row, value));
  }
  return true;
}

}  // namespace

bool AppendNobObject(std::string& out, const CSelectable& object, int depth) {
  if (depth + 1 > kNobMaxDepth) {
    Log("CSelectable::SaveXml failed!\n");
    return false;
  }
  const auto* track = dynamic_cast<const CTrack*>(&object);
  if (track != nullptr && track->points.size() < 2) return true;

  const size_t start = out.size();
  Indent(out, depth);
  out += '<';
  out += object.ClassName();
  out += " created=\"";
  out += FormatCompactTime(object.Created(), true);
  out += '"';
  if (!object.Id().empty()) {
    out += " id=\"";
    AppendXmlEscaped(out, object.Id());
    out += '"';
  }
  out += '>';
  out += kLineEnd;
  if (!AppendRows(out, object, depth + 1)) {
    out.resize(start);
    Log("CSelectable::SaveXml failed!\n");
    return false;
  }
  if (track != nullptr) {
    AppendLine(out, depth + 1, "<TrackMarks>");
    for (const TrackPoint& point : track->points) {
      Indent(out, depth + 2);
      AppendTrackPointText(out, point);
      out += kLineEnd;
    }
    AppendLine(out, depth + 1, "</TrackMarks>");
  }
  AppendLine(out, depth, std::string("</") + object.ClassName() + ">");
  return true;
}

std::string WriteNobDocument(const std::vector<std::shared_ptr<CNavObject>>& objects) {
  std::string out;
  out += "<?xml version=\"1.0\"?>";
  out += kLineEnd;
  out += "<NavObjectCollection>";
  out += kLineEnd;
  for (const auto& object : objects) {
    if (const auto* kept = dynamic_cast<const CUnknownElement*>(object.get())) {
      if (kept->xml.empty()) continue;
      out += '\t';
      out += kept->xml;
      out += kLineEnd;
      continue;
    }
    AppendNobObject(out, *object, 1);
  }
  out += "</NavObjectCollection>";
  out += kLineEnd;
  return out;
}

}  // namespace tarnwick
