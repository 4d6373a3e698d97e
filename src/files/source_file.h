// Reading and writing assembly sources: 8-bit text (ISO 8859-1) on disk,
// UTF-8 inside, line ends untouched. A file that begins with the UTF-8
// byte-order mark is UTF-8 text instead, and is written back so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvin::files {

// A full 2 KiB program with comments on every line stays far below this;
// anything larger is not a source, and would stall the editor for minutes.
inline constexpr std::uintmax_t kMaxSourceBytes = 1024 * 1024;
inline constexpr std::string_view kMaxSourceText = "1 MiB";
// What a load the user agreed to may read: text pasted into the editor can
// make a larger file, and what the program saves it must load again.
inline constexpr std::uintmax_t kMaxLargeSourceBytes = 64 * 1024 * 1024;
inline constexpr std::string_view kMaxLargeSourceText = "64 MiB";

struct LoadedSource {
  bool ok = false;
  std::string text;                     // ends before the first 00H byte of the file
  std::uintmax_t size = 0;              // the whole file, in bytes
  bool cut_at_zero = false;             // a 00H byte ended the text early
  std::uintmax_t bytes_not_loaded = 0;  // from that 00H byte to the end of the file
  bool utf8_with_mark = false;          // the file is UTF-8 after a byte-order mark (not in `text`)
  std::string error;                    // why it could not be read
  bool large = false;                   // over kMaxSourceBytes: ask, then read with `allow_large`
};

// The message line that says a file was read as UTF-8.
inline constexpr std::string_view kReadAsUtf8 = "als UTF-8 gelesen (Datei beginnt mit der UTF-8-Kennung EF BB BF)";

// Reads a regular file of at most kMaxSourceBytes (kMaxLargeSourceBytes with
// `allow_large`); never changes anything when the file cannot be opened or
// read completely.
LoadedSource read_source_file(const std::string& path, bool allow_large = false);

struct SavedSource {
  bool ok = false;
  std::uintmax_t size = 0;   // bytes written
  std::size_t dropped = 0;   // characters above 00FFH, left out
  std::string error;
};

// Replaces the file's content so that a failure (full disk, no permission)
// leaves the previous content intact; reports success only when every byte
// reached the file. With `utf8_with_mark` the text is written as UTF-8
// after the byte-order mark and nothing is dropped; without it, a file that
// begins with the mark now keeps that form, and any other is 8-bit text.
SavedSource write_source_file(const std::string& path, std::string_view text, bool utf8_with_mark = false);

}  // namespace zorvin::files
