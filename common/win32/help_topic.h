// One page of the help (Knobset.chm beside the running program) in the
// HTML Help viewer: F1 and the ﾍﾙﾌﾟ button of every dialog of both programs.
#pragma once
#include <windows.h>

namespace bw {

// The window property (a global atom of the topic) in which `owner` keeps
// the topic it last asked for; the viewer's page pane shows nothing where
// it has no HTML engine, so a test reads the request here.
constexpr wchar_t kHelpTopicProperty[] = L"BellwickHelpTopic";

// Opens `topic` ("options-dialog.html", or with "#anchor") of the help file
// with HH_DISPLAY_TOPIC, owned by `owner`. Tells the user when the help file
// or the viewer is missing.
void OpenHelpTopic(HWND owner, const char* topic);
// Forgets the topic kept on `owner` (before the window goes).
void ForgetHelpTopic(HWND owner);

}  // namespace bw
