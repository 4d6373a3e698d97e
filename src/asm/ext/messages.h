// Texts of the extended dialect's error lines. Each follows "Zeile: N" like
// the plain dialect's texts; the specific ones name what is wrong.
#pragma once

#include <string>
#include <string_view>

namespace zorvin::asm48::ext {

inline constexpr std::string_view kUndefinedSymbol = " -> Symbol nicht definiert: ";
inline constexpr std::string_view kSymbolTwice = " -> Symbol doppelt definiert: ";
inline constexpr std::string_view kBadExpression = " -> Fehler im Ausdruck: ";
inline constexpr std::string_view kDivisionByZero = " -> Division durch null";
inline constexpr std::string_view kBadNumber = " -> ungültige Zahl: ";
inline constexpr std::string_view kNumberTooWide = " -> Zahl passt nicht in 32 Bit: ";
inline constexpr std::string_view kOverflow = " -> Überlauf: Ergebnis passt nicht in 32 Bit: ";
inline constexpr std::string_view kStringInExpression = " -> Zeichenkette ist hier kein Wert: ";
inline constexpr std::string_view kValueRange = " -> Wert außerhalb des zulässigen Bereiches: ";
inline constexpr std::string_view kMissingName = " -> Name fehlt vor ";
inline constexpr std::string_view kNotARegister = " -> kein Register: ";
inline constexpr std::string_view kFileNotFound = " -> Datei kann nicht gelesen werden: ";
inline constexpr std::string_view kZeroByteInFile = " -> Datei enthält ein 00H-Byte, kein Quelltext: ";
inline constexpr std::string_view kIncludeTooDeep = " -> include zu tief verschachtelt (mehr als 16 Ebenen)";
inline constexpr std::string_view kNestingTooDeep = " -> Makros und Schleifen zu tief verschachtelt (mehr als 64 Ebenen)";
inline constexpr std::string_view kIfTooDeep = " -> if zu tief verschachtelt (mehr als 256 Ebenen)";
inline constexpr std::string_view kTooManyIterations = " -> Schleife nach 65536 Durchläufen abgebrochen";
inline constexpr std::string_view kEndmMissing = " -> endm fehlt";
inline constexpr std::string_view kEndifMissing = " -> endif fehlt";
inline constexpr std::string_view kStray = " -> ohne passenden Anfang: ";
inline constexpr std::string_view kUnknownCpu = " -> unbekannter Prozessor: ";
inline constexpr std::string_view kNotOnUpi = " -> Befehl gibt es beim 8041/8042 nicht";
inline constexpr std::string_view kNotOnPart = " -> Befehl gibt es beim gewählten Prozessor nicht";
inline constexpr std::string_view kOnlyOnUpi = " -> Befehl gibt es nur beim 8041/8042 (cpu 8041)";
inline constexpr std::string_view kAcrossBankEnd =
    " -> Befehl über die Grenze 7FFH/800H: der Befehlszähler springt in der Bank von 7FFH auf 000H, das zweite "
    "Byte käme von 000H";
inline constexpr std::string_view kOtherBank =
    " -> Warnung: Sprungziel in der anderen 2-KiB-Bank (sel mb0/mb1 wählt sie): ";
inline constexpr std::string_view kNotAssumedBank =
    " -> Warnung: Sprungziel nicht in der mit assume mb angenommenen 2-KiB-Bank: ";
inline constexpr std::string_view kOnOrOff = " -> erlaubt sind nur ON oder OFF";
inline constexpr std::string_view kAssumeWhat = " -> assume kennt nur mb:0, mb:1 oder mb:nothing";
inline constexpr std::string_view kUnknownErrorNumber = " -> diese Fehlernummer kennt zorvin nicht: ";
inline constexpr std::string_view kExpectedMissing = " -> erwarteter Fehler ist nicht aufgetreten: ";
inline constexpr std::string_view kEndexpectMissing = " -> endexpect fehlt";
inline constexpr std::string_view kExpectNested = " -> expect in expect: erst endexpect";
inline constexpr std::string_view kNoFloat = " -> Gleitkommazahlen legt zorvin nicht ab, nur ganze Zahlen: ";
inline constexpr std::string_view kTargetFileNamed = " -> Hinweis: Zieldatei laut .TF: ";
inline constexpr std::string_view kOneTargetFile =
    " -> Warnung: zorvin schreibt das Programm in eine Zieldatei; dieses .TF bleibt unbeachtet: ";
inline constexpr std::string_view kTargetFormat =
    " -> Warnung: .TF-Format kann zorvin nicht schreiben (nur BIN und INT), die Zieldatei bleibt die übliche: ";
inline constexpr std::string_view kBareImmediate = " -> Warnung: Wert ohne # als Direktwert gelesen: ";
inline constexpr std::string_view kLowWordTaken = " -> Warnung: Wert passt nicht in 16 Bit, untere 16 Bit genommen: ";
inline constexpr std::string_view kLowByteTaken = " -> Warnung: Wert passt nicht in ein Byte, unteres Byte genommen: ";
inline constexpr std::string_view kUnknownDirective = " -> unbekannte Direktive: ";
inline constexpr std::string_view kNotAnInstruction = " -> kein Befehl, keine Direktive, kein Makro: ";
inline constexpr std::string_view kCommentNeedsSemicolon = " (ein Kommentar ohne Befehl beginnt mit \";\")";
inline constexpr std::string_view kUserError = " -> Fehler: ";
inline constexpr std::string_view kUserWarning = " -> Warnung: ";
inline constexpr std::string_view kUserMessage = " -> Meldung: ";
inline constexpr std::string_view kIncludeOtherCase = " -> Hinweis: Datei in anderer Schreibweise gefunden: ";
inline constexpr std::string_view kNoFixedPoint = " -> Adressen kommen nach 10 Durchläufen nicht zur Ruhe: ";

// "text" + detail, e.g. kUndefinedSymbol + "loop".
inline std::string message(std::string_view text, std::string_view detail = {}) {
  std::string out(text);
  out += detail;
  return out;
}

// kValueRange with the value and the range it must lie in.
inline std::string range_message(long value, long low, long high) {
  return message(kValueRange, std::to_string(value) + " (erlaubt " + std::to_string(low) + " bis " +
                                  std::to_string(high) + ")");
}

}  // namespace zorvin::asm48::ext
