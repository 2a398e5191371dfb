#include "navobjects/files/ObjectJson.h"

#include "navobjects/model/FileTime.h"
#include "navobjects/model/PropertyText.h"
#include "navobjects/model/Route.h"
#include "navobjects/model/Track.h"
#include "navobjects/model/UnknownElement.h"

namespace tarnwick {
namespace {

nlohmann::json ValueToJson(const PropertyDescriptor& row, const PropertyValue& value) {
  switch (row.Type()) {
    case PropertyType::Text:
    case PropertyType::Icon:
      if (auto* s = std::get_if<std::string>(&value)) return *s;
      break;
    case PropertyType::Integer:
      if (auto* i = std::get_if<int32_t>(&value)) return *i;
      break;
    case PropertyType::Boolean:
      if (auto* b = std::get_if<bool>(&value)) return *b;
      break;
    case PropertyType::Number:
    case PropertyType::Speed:
    case PropertyType::Bearing:
    case PropertyType::Duration:
      if (auto* d = std::get_if<double>(&value)) return *d;
      break;
    case PropertyType::Position:
      if (auto* p = std::get_if<LatLon>(&value)) return {{"lat", p->lat}, {"lon", p->lon}};
      break;
    case PropertyType::Attachments:
    case PropertyType::MarkList:
      if (auto* list = std::get_if<std::vector<std::string>>(&value)) return *list;
      break;
    default:
      break;
  }
  return PersistentText(row, value);
}

}  // namespace

nlohmann::json ObjectToJson(const CSelectable& object) {
  nlohmann::json json = {{"class", object.ClassName()},
                         {"id", object.Id()},
                         {"created", FormatIsoTime(object.Created())}};
  nlohmann::json properties = nlohmann::json::object();
  for (const PropertyDescriptor* row : object.Class().AllProperties()) {
    if (row->Type() == PropertyType::SubObject && row->subObject != nullptr) {
      properties[row->name] = ObjectToJson(*row->subObject(const_cast<CSelectable&>(object)));
      continue;
    }
    if (!row->HasValue() || row->get == nullptr) continue;
    properties[row->name] = ValueToJson(*row, row->get(object));
  }
  json["properties"] = std::move(properties);
  if (const auto* route = dynamic_cast<const CRoute*>(&object)) {
    nlohmann::json legs = nlohmann::json::array();
    for (const auto& leg : route->Legs()) legs.push_back(ObjectToJson(*leg));
    json["legs"] = std::move(legs);
  }
  if (const auto* track = dynamic_cast<const CTrack*>(&object)) {
    nlohmann::json points = nlohmann::json::array();
    for (const TrackPoint& point : track->points) {
      nlohmann::json p = {{"lat", point.position.lat}, {"lon", point.position.lon}};
      if (point.time.IsSet()) p["time"] = FormatIsoTime(point.time);
      if (point.depthMetres != 0) p["depth"] = point.depthMetres;
      points.push_back(std::move(p));
    }
    json["points"] = std::move(points);
  }
  return json;
}

nlohmann::json ObjectsToJson(const std::vector<std::shared_ptr<CNavObject>>& objects) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& object : objects)
    if (dynamic_cast<const CUnknownElement*>(object.get()) == nullptr)  // kept only to be written back
      list.push_back(ObjectToJson(*object));
  return list;
}

}  // namespace tarnwick
