// Marks a message handler of this program as running. Everything runs on the one UI
// thread, so one count serves every form and control: a timer tick that finds it non-zero
// came from a modal loop (a message box, a file chooser) opened inside a handler, and is
// dropped instead of re-entering.
#pragma once

namespace mirokan::win32 {

class HandlerScope {
 public:
  HandlerScope() { ++Depth(); }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;
  // Touches no object of the handler's, so a handler may destroy its own window.
  ~HandlerScope() { --Depth(); }

  static bool Running() { return Depth() > 0; }

 private:
  static int& Depth() {
    static int depth = 0;
    return depth;
  }
};

}  // namespace mirokan::win32
