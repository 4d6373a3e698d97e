// The small integers by which the program addresses its windows, controls,
// commands, timers, fonts and images.
#pragma once

#include <cstddef>

namespace zorvin::app {

namespace window {
inline constexpr int kMain = 0;
inline constexpr int kEmulatorSettings = 4;
inline constexpr int kInfo = 5;
inline constexpr int kEntryPoints = 6;  // asked for by "Binärdatei öffnen…"
inline constexpr int kDefinitions = 9;
inline constexpr int kSymbols = 10;  // the "Symbole" pane
}  // namespace window

namespace control {
inline constexpr int kEditor = 1;
inline constexpr int kMessages = 2;
inline constexpr int kListing = 3;
inline constexpr int kInnerSplitter = 14;  // editor above, messages below
inline constexpr int kOuterSplitter = 15;  // editor and messages left, listing right
inline constexpr int kSymbolFilter = 190;  // the "Symbole" pane's filter and list
inline constexpr int kSymbolList = 191;
inline constexpr int kDock = 200;          // the tool panes beside the editor
inline constexpr int kDockSplitter = 201;  // the panes above and the dock right
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
inline constexpr int kDefinitions = 12;
inline constexpr int kAnalyse = 13;       // "Ausführen → Analyse"
inline constexpr int kShowSymbols = 14;   // "Fenster → Symbole"
}  // namespace command

// "Ausführen → Dialekt": automatic, then the plain dialect, then each
// convention of the engine in its order.
namespace dialect {
inline constexpr int kAutomatic = 80;
inline constexpr int kFirst = 81;
inline constexpr int kLast = 89;
}  // namespace dialect

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
inline constexpr int kZoomIn = 31;
inline constexpr int kZoomOut = 32;
inline constexpr int kZoomReset = 33;
}  // namespace edit

// A file dropped on the window or picked from the recent files.
namespace request {
inline constexpr int kOpenFile = 50;
}  // namespace request

// Stepping through the error lines of the last assembly (F8, Shift+F8).
namespace errors {
inline constexpr int kNext = 40;
inline constexpr int kPrevious = 41;
}  // namespace errors

// The simulator's debugger (menu "Simulator", its window and keys).
namespace debug {
inline constexpr int kShowWindow = 60;
inline constexpr int kRun = 61;
inline constexpr int kStop = 62;
inline constexpr int kStep = 63;
inline constexpr int kStepOver = 64;
inline constexpr int kRunToCursor = 65;
inline constexpr int kToggleBreakpoint = 66;
inline constexpr int kClearBreakpoints = 67;
inline constexpr int kReset = 68;
inline constexpr int kZeroStopwatch = 69;
inline constexpr int kShowPanel = 70;
inline constexpr int kBackToChange = 71;
inline constexpr int kStepBack = 72;
inline constexpr int kBackToBreakpoint = 73;
inline constexpr int kClearTerminal = 76;
inline constexpr int kSendWithoutCr = 77;
inline constexpr int kSendHexByte = 78;
inline constexpr int kWindow = 7;
inline constexpr int kPanelWindow = 8;
inline constexpr int kMenu = 120;
}  // namespace debug

// The run's figures in the editor's gutter and the signal view ("Signale").
namespace signals {
inline constexpr int kWindow = 17;
inline constexpr int kShow = 240;
inline constexpr int kProfileInGutter = 241;
inline constexpr int kZoomIn = 242;
inline constexpr int kZoomOut = 243;
inline constexpr int kZoomAll = 244;
inline constexpr int kExport = 245;
// The signal window's own fields.
inline constexpr int kView = 250;
inline constexpr int kCursorA = 251;
inline constexpr int kCursorB = 252;
inline constexpr int kCursorDelta = 253;
inline constexpr int kSinglePins = 254;
}  // namespace signals

// The board beside the source: its window ("Platine") with the LCD, the
// keys, the 8243's ports and the UPI host console.
namespace board_window {
inline constexpr int kWindow = 14;
inline constexpr int kShowWindow = 220;
inline constexpr int kHostWriteData = 221;
inline constexpr int kHostWriteCommand = 222;
inline constexpr int kHostRead = 223;
inline constexpr int kHostStatus = 224;
inline constexpr int kClearHostLog = 225;
}  // namespace board_window

namespace menu {
inline constexpr int kProgram = 100;
inline constexpr int kRun = 101;
inline constexpr int kWindow = 102;
inline constexpr int kSettings = 103;
inline constexpr int kUnusedMemory = 104;
inline constexpr int kEdit = 105;
inline constexpr int kDialect = 106;
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
inline constexpr int kCycles = 2;  // the cycles of the editor's selection
}  // namespace status

// F5 shows this many error messages, and marks only their lines: enough to
// work through, while tens of thousands of errors cost no more than that.
inline constexpr std::size_t kShownErrorLines = 1000;

inline constexpr int kCursorTimer = 1;
inline constexpr int kMonoFont = 0;

}  // namespace zorvin::app
