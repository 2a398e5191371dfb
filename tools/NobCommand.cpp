// `tarnwick nob`: checks navigation object files and converts them to and
// from GPX and JSON.

#include <cstdio>
#include <map>
#include <string>

#include "app/Subcommand.h"
#include "navobjects/files/AtomicFile.h"
#include "navobjects/files/Gpx.h"
#include "navobjects/files/NobReader.h"
#include "navobjects/files/NobWriter.h"
#include "navobjects/files/ObjectJson.h"

namespace tarnwick {
namespace {

int Usage() {
  fprintf(stderr,
          "usage: tarnwick nob check FILE.nob\n"
          "       tarnwick nob to-gpx FILE.nob OUT.gpx\n"
          "       tarnwick nob from-gpx FILE.gpx OUT.nob\n"
          "       tarnwick nob to-json FILE.nob\n");
  return 2;
}

bool Load(const std::string& file, NobReadResult& result) {
  result = ReadNobFile(file);
  if (!result.ok) fprintf(stderr, "tarnwick nob: %s\n", result.error.c_str());
  return result.ok;
}

bool Save(const std::string& file, const std::string& content) {
  const SaveResult saved = SaveFileAtomically(file, content);
  if (!saved.ok)
    fprintf(stderr, "tarnwick nob: cannot write %s: %s\n", file.c_str(), saved.error.c_str());
  return saved.ok;
}

int Check(const std::string& file) {
  NobReadResult result;
  if (!Load(file, result)) return 1;
  std::map<std::string, int> counts;
  for (const auto& object : result.objects) ++counts[object->ClassName()];
  nlohmann::json report = {{"file", file},
                           {"objects", result.objects.size()},
                           {"classes", counts},
                           {"missing", result.missingIds},
                           {"orphaned", result.orphaned},
                           {"unknownProperties", result.unknownProperties},
                           {"badValues", result.badValues}};
  printf("%s\n", report.dump(2).c_str());
  if (!result.missingIds.empty()) fprintf(stderr, "%s", result.MissingObjectsMessage().c_str());
  return 0;
}

int NobMain(CArguments& args) {
  if (args.Size() < 2) return Usage();
  const std::string& verb = args[0];
  if (verb == "check" && args.Size() == 2) return Check(args[1]);
  if (verb == "to-json" && args.Size() == 2) {
    NobReadResult result;
    if (!Load(args[1], result)) return 1;
    printf("%s\n", ObjectsToJson(result.objects).dump(2).c_str());
    return 0;
  }
  if (verb == "to-gpx" && args.Size() == 3) {
    NobReadResult result;
    if (!Load(args[1], result)) return 1;
    return Save(args[2], WriteGpxDocument(result.objects)) ? 0 : 1;
  }
  if (verb == "from-gpx" && args.Size() == 3) {
    GpxReadResult result = ReadGpxFile(args[1]);
    if (!result.ok) {
      fprintf(stderr, "tarnwick nob: %s\n", result.error.c_str());
      return 1;
    }
    if (result.skippedPoints > 0)
      fprintf(stderr, "tarnwick nob: %d points without a usable position were skipped\n",
              result.skippedPoints);
    return Save(args[2], WriteNobDocument(result.objects)) ? 0 : 1;
  }
  return Usage();
}

const CSubcommand kNob("nob", "check|to-gpx|from-gpx|to-json FILE [OUT]",
                       "check navigation object files and convert them to GPX and JSON", NobMain);

}  // namespace
}  // namespace tarnwick
