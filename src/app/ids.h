// The small integers by which the program addresses its windows, controls,
// commands, timers, fonts and images.
#pragma once

namespace zorvin::app {

namespace window {
inline constexpr int kMain = 0;
inline constexpr int kEmulatorSettings = 4;
inline constexpr int kInfo = 5;
inline constexpr int kEntryPoints = 6;  // asked for by "Binärdatei öffnen…"
}  // namespace window

namespace control {
inline constexpr int kEditor = 1;
inline constexpr int kMessages = 2;
inline constexpr int kListing = 3;
inline constexpr int kInnerSplitter = 14;  // editor above, messages below
inline constexpr int kOuterSplitter = 15;  // editor and messages left, listing right
}  // namespace control

namespace command {
inline constexpr int kNewSource = 0;
inline constexpr int kLoadSource = 1;
inline constexpr int kSaveSource = 2;
inline constexpr int kSaveSourceAs = 3;
inline constexpr int kEmulatorSettings = 4;
inline constexpr int kQuit = 5;
inline constexpr int kAssemble = 6;
inline constexpr int kTransfer = 7;
inline constexpr int kFill00 = 8;
inline constexpr int kFillFF = 9;
inline constexpr int kInfo = 10;
inline constexpr int kOpenBinary = 11;
}  // namespace command

// The editor's commands ("Bearbeiten" and F3), kept apart from those above.
namespace edit {
inline constexpr int kUndo = 20;
inline constexpr int kRedo = 21;
inline constexpr int kCut = 22;
inline constexpr int kCopy = 23;
inline constexpr int kPaste = 24;
inline constexpr int kSelectAll = 25;
inline constexpr int kFind = 26;
inline constexpr int kReplace = 27;
inline constexpr int kGoToLine = 28;
inline constexpr int kFindNext = 29;
inline constexpr int kFindPrevious = 30;
}  // namespace edit

// Stepping through the error lines of the last assembly (F8, Shift+F8).
namespace errors {
inline constexpr int kNext = 40;
inline constexpr int kPrevious = 41;
}  // namespace errors

namespace menu {
inline constexpr int kProgram = 100;
inline constexpr int kRun = 101;
inline constexpr int kWindow = 102;
inline constexpr int kSettings = 103;
inline constexpr int kUnusedMemory = 104;
inline constexpr int kEdit = 105;
}  // namespace menu

namespace image {
inline constexpr int kSave = 1;
inline constexpr int kLoad = 2;
inline constexpr int kQuit = 3;
inline constexpr int kChip = 5;
inline constexpr int kNew = 6;
inline constexpr int kAssemble = 7;
inline constexpr int kInfo = 8;
inline constexpr int kSaveAs = 9;
inline constexpr int kSettings = 10;
inline constexpr int kWindowIcon = 14;
inline constexpr int kBulb = 16;
}  // namespace image

namespace status {
inline constexpr int kCursor = 0;
inline constexpr int kFile = 1;
}  // namespace status

inline constexpr int kCursorTimer = 1;
inline constexpr int kMonoFont = 0;

}  // namespace zorvin::app
