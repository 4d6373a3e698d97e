// The answers to the editor's questions about a document, as the
// protocol's JSON: diagnostics, hover, definition, references, document
// symbols and completion. Positions arrive and leave in UTF-16 units.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>

#include "workspace.h"

namespace zorvin::lsp {

struct Position {
  std::size_t line = 0;
  std::size_t character = 0;  // UTF-16 units
};

// The params of publishDiagnostics for the document.
nlohmann::json diagnostics_of(const OpenDocument& document);

nlohmann::json hover(Workspace& workspace, const OpenDocument& document, Position at);
nlohmann::json definition(Workspace& workspace, const OpenDocument& document, Position at);
nlohmann::json references(Workspace& workspace, const OpenDocument& document, Position at, bool with_declaration);
nlohmann::json document_symbols(const OpenDocument& document);
nlohmann::json completion(Workspace& workspace, const OpenDocument& document, Position at);

}  // namespace zorvin::lsp
