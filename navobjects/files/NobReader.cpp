#include "navobjects/files/NobReader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include "core/Log.h"
#include "navobjects/files/TrackPointText.h"
#include "navobjects/files/XmlDocument.h"
#include "navobjects/model/FileTime.h"
#include "navobjects/model/MarkPath.h"
#include "navobjects/model/ObjectFactory.h"
#include "navobjects/model/PropertyAccess.h"
#include "navobjects/model/Track.h"
#include "navobjects/model/UnknownElement.h"

namespace tarnwick {
namespace {

// The deepest element nesting a document may have (objects nest at most a few levels).
constexpr int kMaxElementDepth = 32;

bool IsTrimmable(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimView(std::string_view text) {
  while (!text.empty() && IsTrimmable(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsTrimmable(text.back())) text.remove_suffix(1);
  return text;
}

class CNobParser {
 public:
  explicit CNobParser(NobReadResult& result) : result_(result) {}

  void ReadCollection(xmlNode* root) {
    for (xmlNode* node = root->children; node != nullptr; node = node->next) {
      if (node->type != XML_ELEMENT_NODE) continue;
      const char* name = XmlName(node);
      auto object = CreateNavObject(name);
      if (object == nullptr) {
        Log("Orphaned object!\n");
        LogDebug("CNobReader: element <%s> is no navigation object; kept as read\n", name);
        ++result_.orphaned;
        result_.objects.push_back(KeepUnknown(node));
        continue;
      }
      ReadObject(node, *object, 1);
      result_.objects.push_back(object);
      if (auto mark = std::dynamic_pointer_cast<CMark>(object)) {
        if (!marks_.emplace(mark->Id(), mark).second)
          LogDebug("CNobReader: id %s appears twice\n", mark->Id().c_str());
      }
    }
    ResolveReferences();
  }

 private:
  static std::shared_ptr<CUnknownElement> KeepUnknown(xmlNode* node) {
    auto kept = std::make_shared<CUnknownElement>();
    kept->elementName = XmlName(node);
    if (auto id = XmlAttribute(node, "id")) kept->SetId(*id);
    xmlBuffer* buffer = xmlBufferCreate();
    if (buffer != nullptr) {
      if (xmlNodeDump(buffer, node->doc, node, 0, 0) >= 0)
        kept->xml.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                         static_cast<size_t>(xmlBufferLength(buffer)));
      xmlBufferFree(buffer);
    }
    return kept;
  }

  void ReadObject(xmlNode* element, CSelectable& object, int depth) {
    if (auto created = XmlAttribute(element, "created")) {
      if (auto time = ParseCompactTime(*created)) object.SetCreated(*time);
    }
    if (auto id = XmlAttribute(element, "id")) object.SetId(std::string(TrimView(*id)));
    for (xmlNode* node = element->children; node != nullptr; node = node->next) {
      if (node->type != XML_ELEMENT_NODE) continue;
      ReadChild(node, object, depth);
    }
  }

  void ReadChild(xmlNode* node, CSelectable& object, int depth) {
    const char* name = XmlName(node);
    if (auto* track = dynamic_cast<CTrack*>(&object);
        track != nullptr && strcmp(name, "TrackMarks") == 0) {
      ReadTrackMarks(XmlText(node), *track);
      return;
    }
    const PropertyDescriptor* row = object.Class().Find(name);
    if (row == nullptr || row->IsCommand()) {
      LogDebug("CNobReader: %s has no property %s\n", object.ClassName(), name);
      ++result_.unknownProperties;
      return;
    }
    switch (row->Type()) {
      case PropertyType::ParentLink:
        if (row->appendChild != nullptr && depth < kMaxElementDepth)
          ReadObject(node, *row->appendChild(object), depth + 1);
        return;
      case PropertyType::SubObject:
        if (depth < kMaxElementDepth) ReadObject(node, *row->subObject(object), depth + 1);
        return;
      case PropertyType::MarkList: {
        std::vector<std::string> ids = std::get<std::vector<std::string>>(row->get(object));
        std::istringstream lines(XmlText(node));
        std::string id;
        while (lines >> id) ids.push_back(id);
        SetRowValue(object, *row, PropertyValue(std::move(ids)));
        return;
      }
      case PropertyType::Attachments: {
        std::vector<std::string> files = std::get<std::vector<std::string>>(row->get(object));
        const std::string file = XmlText(node);
        if (!file.empty()) files.push_back(file);
        SetRowValue(object, *row, PropertyValue(std::move(files)));
        return;
      }
      default:
        break;
    }
    if (row->IsComputed()) return;  // written for readers of the file, derived again here
    const SetResult set = SetRowFromText(object, *row, XmlText(node));
    if (set != SetResult::Changed) {
      LogDebug("CNobReader: %s.%s: cannot convert \"%s\"\n", object.ClassName(), name,
               XmlText(node).c_str());
      ++result_.badValues;
    }
  }

  static void ReadTrackMarks(const std::string& text, CTrack& track) {
    std::string_view rest = text;
    while (!rest.empty()) {
      const size_t end = rest.find(';');
      std::string_view item = rest.substr(0, end);
      while (!item.empty() &&
             (item.front() == '\r' || item.front() == '\n' || item.front() == '\t'))
        item.remove_prefix(1);
      if (!TrimView(item).empty()) {
        if (auto point = ParseTrackPointText(item)) track.points.push_back(*point);
      }
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }

  void ResolveReferences() {
    auto lookup = [this](const std::string& id) -> std::shared_ptr<CMark> {
      auto it = marks_.find(id);
      return it == marks_.end() ? nullptr : it->second;
    };
    for (const auto& object : result_.objects) {
      auto* path = dynamic_cast<CMarkPath*>(object.get());
      if (path == nullptr || !path->HasPendingIds()) continue;
      for (std::string& id : path->ResolvePending(lookup)) {
        Log("Missing object: \"%s\"\n", id.c_str());
        result_.missingIds.push_back(std::move(id));
      }
    }
  }

  NobReadResult& result_;
  std::unordered_map<std::string, std::shared_ptr<CMark>> marks_;
};

}  // namespace

std::string NobReadResult::MissingObjectsMessage() const {
  if (missingIds.empty()) return {};
  std::string text = "The following objects were referenced, but did not appear in the file:\n\n";
  for (const std::string& id : missingIds) text += id + "\n";
  return text;
}

NobReadResult ReadNobDocument(std::string_view text) {
  NobReadResult result;
  CXmlDocument document(text);
  if (!document.IsOpen()) {
    result.error = document.Error();
    return result;
  }
  xmlNode* root = document.Root();
  if (strcmp(XmlName(root), "NavObjectCollection") != 0) {
    result.error =
        std::string("the document element is <") + XmlName(root) + ">, not <NavObjectCollection>";
    return result;
  }
  CNobParser(result).ReadCollection(root);
  result.ok = true;
  return result;
}

NobReadResult ReadNobFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    NobReadResult result;
    result.error = "cannot open " + file.string() + ": " + std::strerror(errno);
    return result;
  }
  std::ostringstream content;
  content << in.rdbuf();
  NobReadResult result = ReadNobDocument(content.str());
  if (!result.ok) result.error = file.string() + ": " + result.error;
  return result;
}

}  // namespace tarnwick
