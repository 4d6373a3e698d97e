// The fields of the debugger window, by the ids the window knows them by.
#pragma once

namespace zorvin::app::debug_field {

inline constexpr int kPc = 1;
inline constexpr int kA = 2;
inline constexpr int kPsw = 3;
inline constexpr int kSp = 4;
inline constexpr int kCarry = 5;
inline constexpr int kAuxCarry = 6;
inline constexpr int kF0 = 7;
inline constexpr int kF1 = 8;
inline constexpr int kBank = 9;          // BS
inline constexpr int kMemoryBank = 10;   // MBF
inline constexpr int kInstruction = 11;  // the instruction at the PC
inline constexpr int kBank0 = 20;        // R0-R7 of bank 0: 20-27
inline constexpr int kBank1 = 30;        // R0-R7 of bank 1: 30-37
inline constexpr int kTimer = 40;
inline constexpr int kPrescaler = 41;
inline constexpr int kTimerMode = 42;
inline constexpr int kTimerFlag = 43;
inline constexpr int kInterruptEnabled = 44;
inline constexpr int kTimerInterruptEnabled = 45;
inline constexpr int kInInterrupt = 46;
inline constexpr int kP1Latch = 50;
inline constexpr int kP1Pins = 51;
inline constexpr int kP1Input = 52;
inline constexpr int kP2Latch = 53;
inline constexpr int kP2Pins = 54;
inline constexpr int kP2Input = 55;
inline constexpr int kBusLatch = 56;
inline constexpr int kBusPins = 57;
inline constexpr int kBusInput = 58;
inline constexpr int kT0 = 60;
inline constexpr int kT1 = 61;
inline constexpr int kInt = 62;
inline constexpr int kClock = 70;  // MHz
inline constexpr int kCycles = 71;
inline constexpr int kTime = 72;
inline constexpr int kStopwatchCycles = 73;
inline constexpr int kStopwatchTime = 74;
inline constexpr int kRealTime = 75;
inline constexpr int kBackWatch = 76;  // the value "Zurück bis Änderung" watches
inline constexpr int kRam = 80;
inline constexpr int kExternalRam = 81;  // MOVX
inline constexpr int kCode = 82;         // the code around the PC
inline constexpr int kCallStack = 83;
inline constexpr int kWatchNames = 84;  // what the watch list shows, as typed
inline constexpr int kWatch = 85;

}  // namespace zorvin::app::debug_field

// The fields of the peripherals panel.
namespace zorvin::app::panel_field {

inline constexpr int kLedsP1 = 100;
inline constexpr int kLedsP2 = 101;
inline constexpr int kLedsBus = 102;
inline constexpr int kSwitchesP1 = 110;  // bit n: 110 + n
inline constexpr int kSwitchesP2 = 120;
inline constexpr int kTx = 130;
inline constexpr int kRx = 131;
inline constexpr int kBaud = 132;
inline constexpr int kInvert = 133;
inline constexpr int kTerminal = 134;
inline constexpr int kTyped = 135;
inline constexpr int kLineState = 136;
inline constexpr int kDigitPort = 140;
inline constexpr int kDigitOrder = 141;
inline constexpr int kDigitAnode = 142;
inline constexpr int kDigit = 143;          // the first digit
inline constexpr int kDigitSelect = 144;    // the select pins of multiplexed digits
inline constexpr int kDigitSelectLow = 145;
inline constexpr int kMoreDigits = 150;     // digit k (1-3): 149 + k
inline constexpr int kButtonT0 = 160;       // push buttons: low while held
inline constexpr int kButtonT1 = 161;
inline constexpr int kButtonInt = 162;
inline constexpr int kButtonPin = 163;      // on the pin named in kButtonPinName
inline constexpr int kButtonPinName = 164;
inline constexpr int kTypedHex = 165;       // a byte to send, in hexadecimal
inline constexpr int kLedsActiveLow = 166;  // an LED lights at a low pin

// The id of digit k of the 7-segment display.
constexpr int digit_id(int k) { return k == 0 ? kDigit : kMoreDigits - 1 + k; }

}  // namespace zorvin::app::panel_field
