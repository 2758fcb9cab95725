// A media service that answers each command as the test scripted it (success with no reply
// otherwise) and keeps what was asked. Replies go into the caller's buffer as MCI writes
// them: a failure clears only the first byte, so an older, longer reply's tail stays behind.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "saver/music/media_service.h"

namespace mirokan {

class FakeMediaService final : public MediaService {
 public:
  struct Answer {
    std::int32_t code = 0;
    std::string reply;
  };
  std::map<std::string, Answer, std::less<>> answers;  // by command
  std::map<std::int32_t, std::string> error_texts;

  // The commands sent since the last call.
  std::vector<std::string> TakeAsked() { return std::exchange(asked_, {}); }

  std::int32_t SendCommand(std::string_view command, std::span<char> reply) override {
    asked_.emplace_back(command);
    if (!reply.empty()) reply[0] = '\0';
    const auto found = answers.find(command);
    const Answer answer = found == answers.end() ? Answer{} : found->second;
    if (answer.code == 0 && !reply.empty()) Copy(answer.reply, reply);
    return answer.code;
  }
  bool GetErrorText(std::int32_t code, std::span<char> text) override {
    const auto found = error_texts.find(code);
    if (found == error_texts.end() || text.empty()) return false;
    Copy(found->second, text);
    return true;
  }

 private:
  static void Copy(std::string_view text, std::span<char> buffer) {
    const std::size_t length = std::min(text.size(), buffer.size() - 1);
    std::copy_n(text.data(), length, buffer.data());
    buffer[length] = '\0';
  }

  std::vector<std::string> asked_;
};

}  // namespace mirokan
