#include "server/NavObjectEdits.h"

#include <algorithm>
#include <unordered_set>

#include "core/Notifications.h"
#include "navobjects/model/PropertyAccess.h"
#include "navobjects/model/Route.h"
#include "navobjects/model/Shapes.h"
#include "server/LiveJson.h"
#include "server/NavObjectValues.h"
#include "server/NavObjectsApi.h"

namespace tarnwick {
namespace {

using nlohmann::json;

constexpr const char* kIdPattern = "/api/navobjects/([^/]+)";

HttpResponse Answer(int status, const json& body) {
  return HttpResponse::Json(status, JsonText(body));
}

HttpResponse Error(int status, const std::string& message) {
  return RefusalResponse({status, message, json::object()});
}

// The body as a JSON object ({} when empty); none when it is something else.
std::optional<json> Body(const HttpRequest& request) {
  if (request.body.empty()) return json::object();
  json body = json::parse(request.body, nullptr, false);
  if (!body.is_object()) return std::nullopt;
  return body;
}

std::optional<EditRefusal> ReadOnlyRefusal(const CNavDocuments& documents,
                                           const CNavObject& object) {
  if (documents.LayerOf(object) == &documents.DeletedLayer())
    return EditRefusal{409, "The object is deleted; restore it first.", {{"deleted", true}}};
  std::string why = documents.RefuseEdit(object, false);
  if (why.empty()) return std::nullopt;
  return EditRefusal{409, why, {{"readOnly", true}}};
}

std::optional<EditRefusal> LockedRefusal(const CNavDocuments& documents, const CNavObject& object) {
  if (auto refusal = ReadOnlyRefusal(documents, object)) return refusal;
  std::string why = documents.RefuseEdit(object, true);
  if (why.empty()) return std::nullopt;
  return EditRefusal{409, why, {{"locked", true}, {"id", object.Id()}}};
}

// The layer named by member "layer" of body (the default layer without one).
std::variant<CLayer*, EditRefusal> TargetLayer(CNavDocuments& documents, const json& body) {
  if (!body.contains("layer")) return &documents.DefaultLayer();
  if (!body["layer"].is_string()) return EditRefusal{400, "The layer is not valid.", {}};
  CLayer* layer = documents.FindLayer(body["layer"].get<std::string>());
  if (layer == nullptr) return EditRefusal{404, "There is no such layer.", {}};
  if (layer == &documents.DeletedLayer())
    return EditRefusal{400, "Objects cannot be created among the deleted ones.", {}};
  if (layer->readOnly)
    return EditRefusal{409, ExpandMessage(kReadOnlyLayerMessage, {layer->name}), {{"readOnly", true}}};
  return layer;
}

// The marks named by ids (none deleted); a refusal for an unknown one.
std::variant<std::vector<std::shared_ptr<CMark>>, EditRefusal> MarksById(CNavDocuments& documents,
                                                                         const json& ids) {
  if (!ids.is_array()) return EditRefusal{400, "\"marks\" is a list of mark ids.", {}};
  std::vector<std::shared_ptr<CMark>> marks;
  for (const auto& id : ids) {
    auto mark = id.is_string() ? std::dynamic_pointer_cast<CMark>(documents.FindObject(id))
                               : nullptr;
    if (!mark || documents.LayerOf(*mark) == &documents.DeletedLayer())
      return EditRefusal{404, "A mark of the list does not exist.", {}};
    marks.push_back(std::move(mark));
  }
  return marks;
}

std::shared_ptr<CMark> NewMark(const LatLon& where, bool showName = true) {
  auto mark = std::make_shared<CMark>();
  mark->position = where;
  mark->showName = showName;
  return mark;
}

// A new object of body's "type" with the marks it uses (first the object);
// the objects are in no layer yet.
std::variant<std::vector<std::shared_ptr<CNavObject>>, EditRefusal> Build(CNavDocuments& documents,
                                                                          const json& body) {
  const std::string type = body.value("type", "");
  std::vector<std::shared_ptr<CNavObject>> made;
  const auto where = JsonPosition(body.value("lat", json()), body.value("lon", json()));
  if (type == "Mark" || type == "BoundaryCircle" || type == "Annotation") {
    if (!where) return EditRefusal{400, "A valid \"lat\" and \"lon\" are needed.", {}};
    if (type == "Annotation") {
      auto note = std::make_shared<CAnnotation>();
      note->position = *where;
      if (body.contains("text") && body["text"].is_string()) note->description = body["text"];
      made.push_back(note);
      return made;
    }
    auto mark = NewMark(*where);
    if (type == "BoundaryCircle") {
      mark->existsOutsideCollection = true;
      mark->rangeCircleDisplayCount = 1;
      mark->boundaryCircleOffLimits = kBoundaryCircleAnnounce;
      const json radius = body.value("radius", json("0.25 NM"));
      if (!radius.is_string() ||
          SetPropertyFromText(*mark, "RangeCircleRadius", radius.get<std::string>()) !=
              SetResult::Changed)
        return EditRefusal{400, "The radius is not a valid distance (\"0.5 NM\").", {}};
    }
    made.push_back(mark);
    return made;
  }
  std::shared_ptr<CMarkPath> path;
  size_t fewest = 2;
  if (type == "Route") {
    path = std::make_shared<CRoute>();
  } else if (type == "Boundary") {
    path = std::make_shared<CBoundary>();
  } else if (type == "Channel") {
    path = std::make_shared<CChannel>();
  } else if (type == "RangeBearing") {
    path = std::make_shared<CRangeBearing>();
  } else {
    return EditRefusal{400, "Unknown type: " + type, {}};
  }
  made.push_back(path);
  std::vector<std::shared_ptr<CMark>> marks;
  if (body.contains("marks")) {
    auto found = MarksById(documents, body["marks"]);
    if (auto* refusal = std::get_if<EditRefusal>(&found)) return *refusal;
    marks = std::get<0>(std::move(found));
  } else {
    auto points = JsonPoints(body.value("points", json()));
    if (!points) return EditRefusal{400, "\"points\" is a list of [lat, lon] pairs.", {}};
    for (const LatLon& point : *points) {
      marks.push_back(NewMark(point, type == "Route"));
      made.push_back(marks.back());
    }
  }
  if (marks.size() < fewest || (type == "RangeBearing" && marks.size() != 2))
    return EditRefusal{400, type + " needs more points.", {}};
  std::unordered_set<const CMark*> seen;
  for (const auto& mark : marks)
    if (!seen.insert(mark.get()).second)
      return EditRefusal{409,
                         type == "Route" ? kDuplicateWaypointMessage : kDuplicateBoundaryMarkMessage,
                         {}};
  if (auto* route = dynamic_cast<CRoute*>(path.get()))
    for (const auto& mark : marks) route->InsertMarkAt(route->Marks().size(), mark);
  else
    path->MutableMarks() = marks;
  return made;
}

HttpResponse Create(CNavDocuments& documents, const HttpRequest& request) {
  auto body = Body(request);
  if (!body) return Error(400, "The request is not a JSON object.");
  auto layer = TargetLayer(documents, *body);
  if (auto* refusal = std::get_if<EditRefusal>(&layer)) return RefusalResponse(*refusal);
  auto built = Build(documents, *body);
  if (auto* refusal = std::get_if<EditRefusal>(&built)) return RefusalResponse(*refusal);
  auto made = std::get<0>(std::move(built));
  json settings = body->value("properties", json::object());
  if (body->contains("name")) settings["Name"] = (*body)["name"];
  if (!settings.is_object()) return Error(400, "\"properties\" is a JSON object.");
  // The new object is in no document yet: its properties are set without undo steps.
  for (const auto& [name, value] : settings.items()) {
    const PropertyDescriptor* row = FindProperty(*made[0], name);
    if (row == nullptr || !row->HasValue() || row->IsComputed() || row->set == nullptr ||
        row->Type() == PropertyType::MarkList)
      return RefusalResponse({400, "Unknown property: " + name, {{"property", name}}});
    auto converted = ValueFromJson(*row, value);
    if (auto* refusal = std::get_if<EditRefusal>(&converted)) return RefusalResponse(*refusal);
    if (SetRowValue(*made[0], *row, std::get<PropertyValue>(converted)) != SetResult::Changed)
      return RefusalResponse({400, "The value of " + name + " is not valid.", {{"property", name}}});
  }
  CLayer* target = std::get<CLayer*>(layer);
  documents.RecordEdit("Create " + std::string(made[0]->ClassName()), [&] {
    for (const auto& object : made) documents.AddObject(object, target);
  });
  json ids = json::array();
  for (const auto& object : made) ids.push_back(object->Id());
  return Answer(201, {{"id", made[0]->Id()}, {"ids", std::move(ids)}});
}

// The object of the path's id, or a 404 answer.
std::variant<std::shared_ptr<CNavObject>, HttpResponse> Find(CNavDocuments& documents,
                                                             const HttpRequest& request) {
  const std::string id = request.matches.size() > 1 ? request.matches[1] : "";
  auto object = documents.FindObject(id);
  if (!object) return Error(404, "There is no object with this id.");
  return object;
}

HttpResponse Change(CNavDocuments& documents, const HttpRequest& request) {
  auto found = Find(documents, request);
  if (auto* answer = std::get_if<HttpResponse>(&found)) return *answer;
  auto object = std::get<0>(found);
  auto body = Body(request);
  if (!body) return Error(400, "The request is not a JSON object.");
  if (auto refusal = CNavObjectEdits::SetProperties(documents, object, *body))
    return RefusalResponse(*refusal);
  return Answer(200, CNavObjectsApi::Object(documents, *object));
}

HttpResponse DeleteIds(CNavDocuments& documents, const std::vector<std::string>& ids) {
  std::vector<std::shared_ptr<CNavObject>> objects;
  for (const auto& id : ids) {
    auto object = documents.FindObject(id);
    if (!object) return Error(404, "There is no object with this id.");
    if (documents.LayerOf(*object) == &documents.DeletedLayer())
      return Error(409, "The object is deleted already.");
    if (auto refusal = ReadOnlyRefusal(documents, *object)) return RefusalResponse(*refusal);
    objects.push_back(std::move(object));
  }
  std::unordered_set<const CNavObject*> before;
  for (const auto& object : documents.DeletedLayer().Objects()) before.insert(object.get());
  documents.RecordEdit("Delete Objects", [&] { documents.DeleteObjects(objects); });
  json deleted = json::array();
  for (const auto& object : documents.DeletedLayer().Objects())
    if (before.count(object.get()) == 0) deleted.push_back(object->Id());
  return Answer(200, {{"deleted", std::move(deleted)}});
}

std::vector<std::string> IdList(const json& body) {
  std::vector<std::string> ids;
  if (body.contains("ids") && body["ids"].is_array())
    for (const auto& id : body["ids"])
      if (id.is_string()) ids.push_back(id.get<std::string>());
  return ids;
}

HttpResponse Restore(CNavDocuments& documents, const HttpRequest& request) {
  const std::string id = request.matches[1];
  auto object = documents.DeletedLayer().Find(id);
  if (!object) return Error(404, "The object is not among the deleted ones.");
  documents.RecordEdit("Restore", [&] { documents.Restore(id); });
  const CLayer* layer = documents.LayerOf(*object);
  return Answer(200, {{"id", id}, {"layer", layer ? layer->File().filename().string() : ""}});
}

// Whether any path of layer other than except uses mark.
bool UsedElsewhere(const CLayer& layer, const CMark& mark, const CNavObject& except) {
  for (const auto& object : layer.Objects()) {
    auto* path = dynamic_cast<const CMarkPath*>(object.get());
    if (path != nullptr && path != &except && path->Contains(mark)) return true;
  }
  return false;
}

HttpResponse EditPoints(CNavDocuments& documents, const HttpRequest& request) {
  auto found = Find(documents, request);
  if (auto* answer = std::get_if<HttpResponse>(&found)) return *answer;
  auto path = std::dynamic_pointer_cast<CMarkPath>(std::get<0>(found));
  if (!path) return Error(400, "The object has no points.");
  auto body = Body(request);
  if (!body) return Error(400, "The request is not a JSON object.");
  if (auto refusal = ReadOnlyRefusal(documents, *path)) return RefusalResponse(*refusal);
  const std::string action = body->value("action", "");
  const json indexValue = body->value("index", json());
  if (!indexValue.is_number_unsigned()) return Error(400, "\"index\" is a point's place (from 0).");
  const size_t index = indexValue.get<size_t>();
  const size_t count = path->Marks().size();
  auto* route = dynamic_cast<CRoute*>(path.get());
  CLayer* layer = documents.LayerOf(*path);
  EditResult result{true, ""};
  if (action == "insert") {
    if (index > count) return Error(400, "\"index\" is beyond the last point.");
    std::shared_ptr<CMark> mark;
    bool isNew = false;
    if (body->contains("mark")) {
      auto marks = MarksById(documents, json::array({(*body)["mark"]}));
      if (auto* refusal = std::get_if<EditRefusal>(&marks)) return RefusalResponse(*refusal);
      mark = std::get<0>(marks)[0];
    } else {
      auto where = JsonPosition(body->value("lat", json()), body->value("lon", json()));
      if (!where) return Error(400, "A valid \"lat\" and \"lon\" are needed.");
      mark = NewMark(*where, route != nullptr);
      isNew = true;
    }
    documents.RecordEdit("Insert New Mark", [&] {
      if (route != nullptr)
        result = documents.InsertRouteMark(*route, index, mark);
      else if (auto* boundary = dynamic_cast<CBoundary*>(path.get()))
        result = InsertBoundaryMark(*boundary, index, mark);
      else if (path->Contains(*mark))
        result = {false, kDuplicateBoundaryMarkMessage};
      else
        path->MutableMarks().insert(path->MutableMarks().begin() + index, mark);
      if (result.ok && isNew) documents.AddObject(mark, layer);
      if (result.ok) documents.Touch(*path);
    });
    if (!result.ok) return Error(409, result.message);
  } else if (action == "move") {
    if (index >= count) return Error(400, "\"index\" is beyond the last point.");
    auto mark = path->Marks()[index];
    auto where = JsonPosition(body->value("lat", json()), body->value("lon", json()));
    if (!where) return Error(400, "A valid \"lat\" and \"lon\" are needed.");
    if (path->lockPosition) return RefusalResponse(*LockedRefusal(documents, *path));
    if (auto refusal = LockedRefusal(documents, *mark)) return RefusalResponse(*refusal);
    documents.Undo().SetValue(mark, "Position", PropertyValue(*where));
  } else if (action == "remove") {
    if (index >= count) return Error(400, "\"index\" is beyond the last point.");
    documents.RecordEdit(route ? "Remove From Route" : "Remove Point", [&] {
      auto mark = path->Marks()[index];
      if (route != nullptr)
        documents.RemoveRouteMark(*route, index);
      else
        path->MutableMarks().erase(path->MutableMarks().begin() + index);
      documents.Touch(*path);
      // A point made for this path alone goes with it.
      CLayer* home = documents.LayerOf(*mark);
      if (home != nullptr && home == layer && !mark->existsOutsideCollection &&
          !UsedElsewhere(*home, *mark, *path)) {
        home->Remove(*mark);
        home->SetModified(true);
      }
    });
  } else {
    return Error(400, "\"action\" is insert, move or remove.");
  }
  return Answer(200, CNavObjectsApi::Object(documents, *path));
}

HttpResponse Reverse(CNavDocuments& documents, const HttpRequest& request) {
  auto found = Find(documents, request);
  if (auto* answer = std::get_if<HttpResponse>(&found)) return *answer;
  auto path = std::dynamic_pointer_cast<CMarkPath>(std::get<0>(found));
  if (!path) return Error(400, "The object has no points.");
  if (auto refusal = ReadOnlyRefusal(documents, *path)) return RefusalResponse(*refusal);
  documents.RecordEdit("Reverse", [&] {
    std::reverse(path->MutableMarks().begin(), path->MutableMarks().end());
    if (auto* route = dynamic_cast<CRoute*>(path.get()))
      std::reverse(route->MutableLegs().begin(), route->MutableLegs().end());
    documents.Touch(*path);
  });
  return Answer(200, CNavObjectsApi::Object(documents, *path));
}

HttpResponse UndoRedo(CNavDocuments& documents, bool undo) {
  CUndoStack& stack = documents.Undo();
  if (!(undo ? stack.Undo() : stack.Redo()))
    return Error(409, undo ? "Nothing to undo." : "Nothing to redo.");
  return Answer(200, {{"undo", stack.UndoLabel()}, {"redo", stack.RedoLabel()}});
}

HttpResponse Paste(CNavDocuments& documents, const json& body, const std::string& clipboard) {
  auto layer = TargetLayer(documents, body);
  if (auto* refusal = std::get_if<EditRefusal>(&layer)) return RefusalResponse(*refusal);
  const json text = body.value("text", json(clipboard));
  if (!text.is_string()) return Error(400, "\"text\" is the text of an object file.");
  std::vector<std::shared_ptr<CNavObject>> pasted;
  documents.RecordEdit("Paste Objects", [&] {
    pasted = documents.PasteObjects(text.get<std::string>(), *std::get<CLayer*>(layer));
  });
  if (pasted.empty()) return Error(400, "The text holds no navigation objects.");
  json ids = json::array();
  for (const auto& object : pasted) ids.push_back(object->Id());
  return Answer(201, {{"ids", std::move(ids)}});
}

HttpResponse Move(CNavDocuments& documents, const json& body) {
  auto layer = TargetLayer(documents, body);
  if (auto* refusal = std::get_if<EditRefusal>(&layer)) return RefusalResponse(*refusal);
  CLayer* target = std::get<CLayer*>(layer);
  std::vector<std::shared_ptr<CNavObject>> moving;
  for (const auto& id : IdList(body)) {
    auto object = documents.FindObject(id);
    if (!object || documents.LayerOf(*object) == &documents.DeletedLayer())
      return Error(404, "There is no object with this id.");
    if (auto refusal = ReadOnlyRefusal(documents, *object)) return RefusalResponse(*refusal);
    moving.push_back(std::move(object));
  }
  documents.RecordEdit("Move Objects", [&] {
    for (const auto& object : moving) {
      CLayer* from = documents.LayerOf(*object);
      if (from == nullptr || from == target) continue;
      from->Remove(*object);
      from->SetModified(true);
      documents.AddObject(object, target);
      // The marks only this path used go along with it.
      if (auto* path = dynamic_cast<CMarkPath*>(object.get()))
        for (const auto& mark : path->Marks())
          if (documents.LayerOf(*mark) == from && !mark->existsOutsideCollection &&
              !UsedElsewhere(*from, *mark, *path)) {
            from->Remove(*mark);
            documents.AddObject(mark, target);
          }
    }
  });
  return Answer(200, {{"layer", target->File().filename().string()}});
}

}  // namespace

HttpResponse RefusalResponse(const EditRefusal& refusal) {
  json body = refusal.extra.is_object() ? refusal.extra : json::object();
  body["error"] = refusal.message;
  return HttpResponse::Json(refusal.status, JsonText(body));
}

std::optional<EditRefusal> CNavObjectEdits::SetProperties(
    CNavDocuments& documents, const std::shared_ptr<CSelectable>& object, const json& body) {
  auto* navObject = dynamic_cast<CNavObject*>(object.get());
  if (navObject != nullptr)
    if (auto refusal = ReadOnlyRefusal(documents, *navObject)) return refusal;
  struct Setting {
    std::shared_ptr<CSelectable> target;
    const PropertyDescriptor* row;
    PropertyValue value;
  };
  std::vector<Setting> settings;
  bool unlocks = false;
  bool movesPosition = false;
  auto collect = [&](const std::shared_ptr<CSelectable>& target,
                     const json& values) -> std::optional<EditRefusal> {
    for (const auto& [name, value] : values.items()) {
      if (name == "legs" && target == object) continue;
      const PropertyDescriptor* row = FindProperty(*target, name);
      if (row == nullptr || !row->HasValue() || row->Type() == PropertyType::SubObject ||
          row->Type() == PropertyType::MarkList)
        return EditRefusal{400, "Unknown property: " + name, {{"property", name}}};
      if (row->IsComputed() || row->set == nullptr)
        return EditRefusal{400, name + " cannot be set.", {{"property", name}}};
      auto converted = ValueFromJson(*row, value);
      if (auto* refusal = std::get_if<EditRefusal>(&converted)) return *refusal;
      PropertyValue typed = std::get<PropertyValue>(std::move(converted));
      if (target == object && name == std::string("LockPosition") && typed == PropertyValue(false))
        unlocks = true;
      if (target == object && row->Type() == PropertyType::Position &&
          GetPropertyValue(*target, name) != typed)
        movesPosition = true;
      settings.push_back({target, row, std::move(typed)});
    }
    return std::nullopt;
  };
  if (auto refusal = collect(object, body)) return refusal;
  auto* route = dynamic_cast<CRoute*>(object.get());
  if (body.contains("legs")) {
    if (route == nullptr || !body["legs"].is_array())
      return EditRefusal{400, "\"legs\" is a list of a route's legs.", {}};
    for (const auto& leg : body["legs"]) {
      if (!leg.is_object() || !leg.value("index", json()).is_number_unsigned() ||
          leg["index"].get<size_t>() >= route->Legs().size())
        return EditRefusal{400, "A leg's \"index\" is not valid.", {}};
      json values = leg;
      values.erase("index");
      if (auto refusal = collect(route->Legs()[leg["index"].get<size_t>()], values)) return refusal;
    }
  }
  if (movesPosition && !unlocks && navObject != nullptr)
    if (auto refusal = LockedRefusal(documents, *navObject)) return refusal;
  // Unlocking goes first, so that the position set with it is allowed.
  std::stable_partition(settings.begin(), settings.end(), [](const Setting& setting) {
    return setting.row->name == std::string("LockPosition");
  });
  CUndoStack& undo = documents.Undo();
  undo.BeginGroup(settings.size() == 1 ? ExpandMessage("Change $1", {settings[0].row->name})
                                       : "Change Properties");
  for (const Setting& setting : settings) undo.SetValue(setting.target, setting.row->name, setting.value);
  undo.EndGroup();
  documents.Touch(*object);
  return std::nullopt;
}

void CNavObjectEdits::Mount(CHttpServer& server, NavDocumentsSource source) {
  auto clipboard = std::make_shared<std::string>();
  // Wraps a handler that needs the documents.
  auto with = [source](auto handler) {
    return [source, handler](const HttpRequest& request) {
      CNavDocuments* documents = source ? source() : nullptr;
      if (documents == nullptr) return Error(503, "The navigation objects are not open.");
      return handler(*documents, request);
    };
  };
  auto bodyOf = [](const HttpRequest& request) { return Body(request).value_or(json()); };
  server.Post("/api/navobjects", with(Create));
  server.Post("/api/navobjects/undo",
              with([](CNavDocuments& d, const HttpRequest&) { return UndoRedo(d, true); }));
  server.Post("/api/navobjects/redo",
              with([](CNavDocuments& d, const HttpRequest&) { return UndoRedo(d, false); }));
  server.Post("/api/navobjects/delete", with([bodyOf](CNavDocuments& d, const HttpRequest& r) {
                return DeleteIds(d, IdList(bodyOf(r)));
              }));
  server.Post("/api/navobjects/copy",
              with([bodyOf, clipboard](CNavDocuments& d, const HttpRequest& r) {
                std::vector<std::shared_ptr<CNavObject>> objects;
                for (const auto& id : IdList(bodyOf(r)))
                  if (auto object = d.FindObject(id)) objects.push_back(std::move(object));
                if (objects.empty()) return Error(400, "No objects to copy.");
                *clipboard = d.CopyObjects(objects);
                return Answer(200, {{"text", *clipboard}});
              }));
  server.Post("/api/navobjects/paste",
              with([bodyOf, clipboard](CNavDocuments& d, const HttpRequest& r) {
                const json body = bodyOf(r);
                if (!body.is_object()) return Error(400, "The request is not a JSON object.");
                return Paste(d, body, *clipboard);
              }));
  server.Post("/api/navobjects/move", with([bodyOf](CNavDocuments& d, const HttpRequest& r) {
                const json body = bodyOf(r);
                if (!body.is_object()) return Error(400, "The request is not a JSON object.");
                return Move(d, body);
              }));
  server.Post(std::string(kIdPattern) + "/restore", with(Restore));
  server.Post(std::string(kIdPattern) + "/points", with(EditPoints));
  server.Post(std::string(kIdPattern) + "/reverse", with(Reverse));
  auto deleteOne = with([](CNavDocuments& d, const HttpRequest& r) {
    return DeleteIds(d, {r.matches[1]});
  });
  server.Post(std::string(kIdPattern) + "/delete", deleteOne);
  server.Delete(kIdPattern, deleteOne);
  server.Post(kIdPattern, with(Change));
}

}  // namespace tarnwick
