#include "server/EventRoutes.h"

#include <httplib.h>

#include "core/Log.h"
#include "server/RequestGuard.h"

namespace tarnwick {
namespace {

// How long one call of the content provider waits for output, ms; bounds how
// long a stream takes to notice that the server stops.
constexpr uint64_t kProviderWaitMs = 500;

// Gives the client's slot back when the stream ends, however it ends.
struct StreamSlot {
  StreamSlot(std::shared_ptr<CEventHub> h, EventCursor c) : hub(std::move(h)), cursor(c) {}
  ~StreamSlot() { hub->Disconnect(cursor); }
  StreamSlot(const StreamSlot&) = delete;
  StreamSlot& operator=(const StreamSlot&) = delete;
  std::shared_ptr<CEventHub> hub;
  EventCursor cursor;
};

}  // namespace

void MountEventStream(CHttpServer& server, std::shared_ptr<CEventHub> hub) {
  server.OnStop([hub] { hub->Close(); });
  server.Raw().Get("/events", [hub, token = server.CsrfToken()](const httplib::Request& request,
                                                                httplib::Response& response) {
    const bool monitor = request.get_param_value("monitor") == "1";
    // The page sends its token in the query (EventSource sends no headers of
    // ours); with it the stream is never refused for want of room.
    const bool page = !token.empty() && ConstantTimeEquals(request.get_param_value("token"), token);
    std::optional<EventCursor> cursor = hub->Connect(monitor, page);
    if (!cursor) {
      Log("/events: refused a client (%zu streams open)\n", hub->ClientCount());
      response.status = 503;
      response.set_content("Too many live connections; close another page of the program.\n",
                           "text/plain; charset=utf-8");
      return;
    }
    auto slot = std::make_shared<StreamSlot>(hub, *cursor);
    response.set_header("Cache-Control", "no-cache");
    response.set_header("X-Accel-Buffering", "no");
    response.set_chunked_content_provider(
        "text/event-stream", [slot](size_t, httplib::DataSink& sink) {
          std::optional<std::string> out = slot->hub->Next(slot->cursor, kProviderWaitMs);
          if (!out) {
            sink.done();
            return true;
          }
          return out->empty() || sink.write(out->data(), out->size());
        });
  });
}

}  // namespace tarnwick
