// The documents the editor has open and the files they include. An open
// document's text is the editor's; an included file that is not open is
// read from disk (8-bit text, as the assembler reads it) and kept until it
// changes there. Names are looked up across a document and its includes,
// then across every other open document and its includes, so that a file
// opened on its own still finds the labels of the file that includes it.
#pragma once

#include <cstddef>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document_check.h"
#include "source_scan.h"
#include "text_positions.h"

namespace zorvin::lsp {

// The limits that keep a chain of includes from growing without bound.
inline constexpr std::size_t kMaxIncludeDepth = 16;
inline constexpr std::size_t kMaxFilesPerLookup = 256;

struct SourceText {
  std::string path;  // empty for a document without a file
  std::string uri;
  std::string text;  // UTF-8
  LineIndex lines;   // into `text`
  SourceScan scan;
};

struct OpenDocument {
  std::shared_ptr<SourceText> source;
  std::int64_t version = 0;
  DocumentCheck check;
};

// file:///a%20b.asm <-> /a b.asm. Not a file URI: no path.
std::optional<std::string> path_of_uri(const std::string& uri);
std::string uri_of_path(const std::string& path);

struct NameSite {
  std::shared_ptr<const SourceText> source;
  Spot spot;
};

class Workspace {
 public:
  // Opens or replaces a document and checks it.
  OpenDocument& set_text(const std::string& uri, std::string text, std::int64_t version);
  void close(const std::string& uri);
  OpenDocument* find(const std::string& uri);
  std::vector<std::string> uris() const;

  // The editor's choices (initializationOptions); what they leave open
  // comes from the window's settings file, as F5 would run the source.
  asm48::RunOptions& options() { return options_; }
  void set_settings_file(std::string path) { settings_file_ = std::move(path); }
  // Whether the code analysis's hints join the diagnostics (on unless the
  // editor says {"analyse": false}).
  void set_analyse(bool analyse) { analyse_ = analyse; }

  // The document's own text and its included files, the document first.
  std::vector<std::shared_ptr<const SourceText>> with_includes(const OpenDocument& document);

  // Definitions of a folded name: those near `document` first.
  std::vector<std::pair<NameSite, DefinedName>> definitions(const OpenDocument& document, const std::string& folded);

  // Every word spelling the folded name in the sources reachable from the
  // open documents.
  std::vector<NameSite> references(const OpenDocument& document, const std::string& folded);

  // The file an include line of `from` names, or none when it is not there.
  std::shared_ptr<const SourceText> included_file(const SourceText& from, const std::string& name);

  // The names defined in the document and its includes, for completion.
  std::vector<DefinedName> reachable_names(const OpenDocument& document);

 private:
  std::shared_ptr<const SourceText> included(const std::string& path, const asm48::Convention* convention);
  void add_includes(const SourceText& from, const asm48::Convention* convention, std::size_t depth,
                    std::vector<std::shared_ptr<const SourceText>>& out);
  std::vector<std::shared_ptr<const SourceText>> every_source(const OpenDocument& first);
  // The options for the source at `path`; `unused` gets the window's
  // warning when its definitions do not parse.
  asm48::RunOptions options_for(const std::string& path, std::string& unused) const;

  struct DiskFile {
    std::shared_ptr<const SourceText> source;
    std::time_t modified = 0;
    std::uintmax_t size = 0;
    const asm48::Convention* convention = nullptr;  // the scan's dialect
  };
  std::map<std::string, OpenDocument> documents_;  // by URI
  std::map<std::string, DiskFile> disk_;           // by path
  asm48::RunOptions options_;
  std::string settings_file_;  // zorvin.ini, or empty
  bool analyse_ = true;
};

}  // namespace zorvin::lsp
