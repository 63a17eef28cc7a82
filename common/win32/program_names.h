// Names by which the programs find each other: the checker's window class
// and title, and both programs' files. Both programs and the
// Windows tests use these.
#pragma once

namespace bw {

// The class of the checker's button window; a second checker and the
// configurator find a running checker by it.
inline constexpr char kCheckerClassName[] = "POP3 Mail Checker Checker";
// The checker's window title, also the caption of its message boxes.
inline constexpr char kCheckerWindowName[] = "Bellwick";
// The checker, which the configurator looks for beside itself.
inline constexpr char kCheckerProgram[] = "Bellwick.exe";
// The configurator, started from the checker's folder.
inline constexpr char kConfiguratorProgram[] = "Knobset.exe";

}  // namespace bw
