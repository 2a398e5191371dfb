// Message expansion and the notification queue with its voice sink.

#include <gtest/gtest.h>

#include "core/Notifications.h"

namespace tarnwick {
namespace {

TEST(ExpandMessage, ReplacesTitleAndNumberedValues) {
  struct Row {
    const char* text;
    std::vector<std::string> args;
    const char* expected;
  };
  const Row rows[] = {
      {"$AppTitle is already running in a different user's account.", {},
       "Tarnwick ECS is already running in a different user's account."},
      {"Warning: possible collision with $1 in $2", {"ATLANTIC", "4 min"},
       "Warning: possible collision with ATLANTIC in 4 min"},
      {"$1 and $1", {"x"}, "x and x"},
      {"$12 of $1", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}, "l of a"},
      {"$3 missing, $ alone, $AppTitl", {"a"}, "$3 missing, $ alone, $AppTitl"},
      {"$1", {"$2"}, "$2"},
  };
  for (const auto& row : rows) EXPECT_EQ(ExpandMessage(row.text, row.args), row.expected) << row.text;
}

class RecordingVoice : public IVoiceSink {
 public:
  void Speak(const std::string& text) override { spoken.push_back(text); }
  std::vector<std::string> spoken;
};

TEST(NotificationQueue, KeepsOrderAndSpeaksThroughTheSink) {
  CNotificationQueue queue;
  auto voice = std::make_shared<RecordingVoice>();
  queue.SetVoiceSink(voice);
  std::vector<std::string> pushed;
  queue.Subscribe([&](const Notification& note) { pushed.push_back(note.text); });
  const uint64_t first = queue.Post(NotificationKind::Warning, "$AppTitle warns");
  queue.Speak("Back on course!");
  EXPECT_EQ(voice->spoken, std::vector<std::string>{"Back on course!"});
  EXPECT_EQ(pushed, (std::vector<std::string>{"Tarnwick ECS warns", "Back on course!"}));
  auto since = queue.Since(first);
  ASSERT_EQ(since.size(), 1u);
  EXPECT_EQ(since[0].kind, NotificationKind::Spoken);
  for (int i = 0; i < 300; ++i) queue.Post(NotificationKind::Message, "n");
  EXPECT_EQ(queue.Since(0).size(), 200u) << "only the newest are kept";
}

}  // namespace
}  // namespace tarnwick
