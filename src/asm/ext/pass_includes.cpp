// Included files and END.
#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

// The file an include names: "file", (file) as in $INCLUDE(file), or file alone.
std::optional<std::string> Pass::include_name(const Statement& s) {
  if (s.operands.size() == 1 && s.operands[0].kind == TokenKind::String && s.operands[0].text.size() >= 2) {
    const std::string_view quoted = s.operands[0].text;
    return std::string(quoted.substr(1, quoted.size() - 2));
  }
  const std::string_view text = trim_blanks(s.operand_text);
  if (text.size() > 2 && text.front() == '(' && text.back() == ')') return std::string(trim_blanks(text.substr(1, text.size() - 2)));
  // INCLUDE file.inc: a name without quotes, up to the first blank.
  if (!text.empty() && text.find_first_of(" \t\"'") == std::string_view::npos) return std::string(text);
  return std::nullopt;
}

// The path of a file the source names: as written, else the one name in
// its folder that differs only in case (sources from systems that ignore it).
std::string Pass::existing_path(const std::string& path, bool& other_case) {
  other_case = false;
  std::error_code error;
  if (std::filesystem::exists(path, error)) return path;
  const std::filesystem::path wanted(path);
  const std::string folded = fold_case(wanted.filename().string());
  const std::filesystem::path folder = wanted.has_parent_path() ? wanted.parent_path() : std::filesystem::path(".");
  std::filesystem::directory_iterator entries(folder, error);
  int seen = 0;
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    if (++seen > 10000) break;  // a folder that large is searched no further
    if (fold_case(entries->path().filename().string()) != folded) continue;
    other_case = true;
    return (wanted.has_parent_path() ? folder / entries->path().filename() : entries->path().filename()).string();
  }
  return path;
}

void Pass::include(const Statement& s) {
  const std::optional<std::string> named = include_name(s);
  if (!named) return report(kParameterError);
  const std::string& name = *named;
  int depth = 0;
  for (const Frame& frame : frames_) depth += frame.kind == FrameKind::File ? 1 : 0;
  if (depth > kMaxIncludeDepth) return report(kIncludeTooDeep);
  // Relative to the including file's folder.
  const Frame* including = innermost_include();
  const std::filesystem::path base =
      including ? std::filesystem::path(including->block->file_name).parent_path() : std::filesystem::path(context_.base_dir);
  bool other_case = false;
  const std::string path = existing_path((base / name).lexically_normal().string(), other_case);
  if (other_case) warn(message(kIncludeOtherCase, path), Severity::Note);
  auto& cached = context_.included[path];
  if (!cached) {
    const files::LoadedSource loaded = files::read_source_file(path);
    if (!loaded.ok) return report(kFileNotFound, name + " - " + loaded.error);
    // Cut short without a word, the file would lose its end unseen.
    if (loaded.cut_at_zero)
      return report(kZeroByteInFile, name + " (" + std::to_string(loaded.bytes_not_loaded) + " Byte ab dort)");
    auto block = std::make_shared<LineBlock>();
    block->owned.push_back(loaded.text);
    block->set_whole_text(block->owned.front());
    block->file_name = path;
    cached = std::move(block);
  }
  Frame frame(FrameKind::File, cached);
  frame.origin_line = line_no();
  push_frame(std::move(frame));
}

// END in an included file ends that file (sources from assemblers that
// allow it); in the source it ends the run.
void Pass::end(const Statement&) {
  if (frames_.back().kind == FrameKind::File && frames_.back().block != context_.source) pop_frame();
  else stopped_ = true;
}

}  // namespace zorvin::asm48::ext::engine
