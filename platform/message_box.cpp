// Routes message boxes to an installed handler or to the platform's own.
#include "platform/message_box.h"

namespace bw {
namespace {
MessageBoxHandler g_handler = nullptr;
void* g_context = nullptr;
}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler, void* context) {
  g_handler = handler;
  g_context = context;
}

int ShowMessageBox(const std::string& text, const std::string& caption,
                   unsigned style) {
  if (g_handler) return g_handler(g_context, text, caption, style);
  return PlatformMessageBox(text, caption, style);
}

}  // namespace bw
