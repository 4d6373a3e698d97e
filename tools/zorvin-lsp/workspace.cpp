#include "workspace.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/stat.h>

#include "asm/dialect/definitions.h"
#include "asm/dialect/dialects.h"
#include "files/source_file.h"
#include "settings/settings.h"
#include "text/unicode_text.h"

namespace zorvin::lsp {

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::shared_ptr<SourceText> make_source(std::string path, std::string uri, std::string text,
                                        const asm48::Convention* convention) {
  auto source = std::make_shared<SourceText>();
  source->path = std::move(path);
  source->uri = std::move(uri);
  source->text = std::move(text);
  source->lines = LineIndex(source->text);
  source->scan = scan_source(source->text, convention);
  return source;
}

std::string normal_path(const std::string& path) { return std::filesystem::path(path).lexically_normal().string(); }

}  // namespace

std::optional<std::string> path_of_uri(const std::string& uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size() || uri.compare(0, kScheme.size(), kScheme) != 0) return std::nullopt;
  std::string_view rest = std::string_view(uri).substr(kScheme.size());
  const std::size_t slash = rest.find('/');  // after an authority such as "localhost"
  if (slash == std::string_view::npos) return std::nullopt;
  rest.remove_prefix(slash);
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && hex_value(rest[i + 1]) >= 0 && hex_value(rest[i + 2]) >= 0) {
      path += static_cast<char>(hex_value(rest[i + 1]) * 16 + hex_value(rest[i + 2]));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  if (path.find('\0') != std::string::npos) return std::nullopt;
  return path;
}

std::string uri_of_path(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    }
  }
  return uri;
}

asm48::RunOptions Workspace::options_for(const std::string& path, std::string& unused) const {
  asm48::RunOptions run = options_;
  struct stat status {};
  if (settings_file_.empty() || ::stat(settings_file_.c_str(), &status) != 0) return run;
  // Read at every check: the window may have changed the file meanwhile.
  settings::Settings settings;
  if (!settings::load_settings(settings, settings_file_).ok) return run;
  if (run.dialect.empty() && !path.empty()) {
    const std::string chosen = settings::chosen_dialect(settings.source_dialects, path);
    if (asm48::dialect_by_option(chosen).known) run.dialect = chosen;
  }
  if (run.definitions.empty()) {
    const asm48::DefinitionsParse parse = asm48::parse_definitions(settings.definitions);
    if (parse.ok)
      run.definitions = parse.definitions;
    else
      unused = "Warnung: Definitionen nicht verwendet (" + parse.error + ")";  // as F5 says it
  }
  return run;
}

OpenDocument& Workspace::set_text(const std::string& uri, std::string text, std::int64_t version) {
  OpenDocument& document = documents_[uri];
  std::string path = path_of_uri(uri).value_or(std::string());
  if (!path.empty()) path = normal_path(path);
  const std::string folder = path.empty() ? std::string() : std::filesystem::path(path).parent_path().string();
  document.version = version;
  std::string unused;
  document.check = check_document(text, folder, options_for(path, unused), analyse_);
  if (!unused.empty()) document.check.result.warnings.insert(document.check.result.warnings.begin(), {asm48::Severity::Warning, 0, {}, unused});
  document.source = make_source(path, uri, std::move(text), document.check.convention);
  return document;
}

void Workspace::close(const std::string& uri) { documents_.erase(uri); }

OpenDocument* Workspace::find(const std::string& uri) {
  const auto found = documents_.find(uri);
  return found == documents_.end() ? nullptr : &found->second;
}

std::vector<std::string> Workspace::uris() const {
  std::vector<std::string> list;
  for (const auto& [uri, document] : documents_) list.push_back(uri);
  return list;
}

std::shared_ptr<const SourceText> Workspace::included(const std::string& path, const asm48::Convention* convention) {
  for (const auto& [uri, document] : documents_)
    if (document.source->path == path) return document.source;
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
  DiskFile& cached = disk_[path];
  if (cached.source && cached.modified == status.st_mtime && cached.size == static_cast<std::uintmax_t>(status.st_size) &&
      cached.convention == convention)
    return cached.source;
  files::LoadedSource loaded = files::read_source_file(path);
  if (!loaded.ok) {
    disk_.erase(path);
    return nullptr;
  }
  // An included file is read in the dialect of the source that includes it.
  cached.source = make_source(path, uri_of_path(path), std::move(loaded.text), convention);
  cached.convention = convention;
  cached.modified = status.st_mtime;
  cached.size = static_cast<std::uintmax_t>(status.st_size);
  return cached.source;
}

void Workspace::add_includes(const SourceText& from, const asm48::Convention* convention, std::size_t depth,
                             std::vector<std::shared_ptr<const SourceText>>& out) {
  if (from.path.empty() || depth >= kMaxIncludeDepth) return;
  const std::filesystem::path folder = std::filesystem::path(from.path).parent_path();
  for (const IncludedName& include : from.scan.includes) {
    if (out.size() >= kMaxFilesPerLookup) return;
    const std::string path = normal_path((folder / include.name).string());
    const bool seen = std::any_of(out.begin(), out.end(), [&](const auto& source) { return source->path == path; });
    if (seen) continue;
    if (auto source = included(path, convention)) {
      out.push_back(source);
      add_includes(*source, convention, depth + 1, out);
    }
  }
}

std::shared_ptr<const SourceText> Workspace::included_file(const SourceText& from, const std::string& name) {
  if (from.path.empty()) return nullptr;
  const std::filesystem::path folder = std::filesystem::path(from.path).parent_path();
  const asm48::Convention* convention = nullptr;
  for (const auto& [uri, document] : documents_)
    if (document.source.get() == &from) convention = document.check.convention;
  return included(normal_path((folder / name).string()), convention);
}

std::vector<std::shared_ptr<const SourceText>> Workspace::with_includes(const OpenDocument& document) {
  std::vector<std::shared_ptr<const SourceText>> sources{document.source};
  add_includes(*document.source, document.check.convention, 0, sources);
  return sources;
}

std::vector<std::shared_ptr<const SourceText>> Workspace::every_source(const OpenDocument& first) {
  std::vector<std::shared_ptr<const SourceText>> sources = with_includes(first);
  for (auto& [uri, document] : documents_) {
    if (&document == &first) continue;
    for (auto& source : with_includes(document)) {
      if (sources.size() >= kMaxFilesPerLookup) return sources;
      const bool seen = std::any_of(sources.begin(), sources.end(), [&](const auto& known) {
        return known == source || (!known->path.empty() && known->path == source->path);
      });
      if (!seen) sources.push_back(source);
    }
  }
  return sources;
}

std::vector<std::pair<NameSite, DefinedName>> Workspace::definitions(const OpenDocument& document,
                                                                     const std::string& folded) {
  std::vector<std::pair<NameSite, DefinedName>> found;
  for (const auto& source : every_source(document))
    for (const DefinedName& name : source->scan.definitions)
      if (name.folded == folded) found.push_back({{source, name.spot}, name});
  return found;
}

std::vector<NameSite> Workspace::references(const OpenDocument& document, const std::string& folded) {
  std::vector<NameSite> sites;
  for (const auto& source : every_source(document)) {
    for (std::size_t line = 0; line < source->lines.line_count(); ++line) {
      const std::string_view text = source->lines.line(line);
      // A line shorter than the name cannot hold it.
      if (text.size() < folded.size()) continue;
      for (const Word& word : words_of_line(text, line))
        if (word.text.size() == folded.size() && fold_case(word.text) == folded) sites.push_back({source, word.spot});
    }
  }
  return sites;
}

std::vector<DefinedName> Workspace::reachable_names(const OpenDocument& document) {
  std::vector<DefinedName> names;
  std::set<std::string> seen;
  for (const auto& source : every_source(document))
    for (const DefinedName& name : source->scan.definitions)
      if (seen.insert(name.folded).second) names.push_back(name);
  return names;
}

}  // namespace zorvin::lsp
