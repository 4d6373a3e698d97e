#include "server.h"

#include <cstdio>
#include <filesystem>

#include "asm/dialect/definitions.h"
#include "asm/dialect/dialects.h"
#include "language_features.h"
#include "settings/settings.h"
#include "text_positions.h"

namespace zorvin::lsp {

namespace {

using nlohmann::json;

// A parameter that is missing or of the wrong type.
struct BadParams {
  std::string what;
};

const json& member(const json& object, const char* key) {
  static const json kNone;
  if (!object.is_object()) return kNone;
  const auto found = object.find(key);
  return found == object.end() ? kNone : *found;
}

std::string text_member(const json& object, const char* key) {
  const json& value = member(object, key);
  if (!value.is_string()) throw BadParams{std::string(key) + " fehlt oder ist kein Text"};
  return value.get<std::string>();
}

std::size_t count_member(const json& object, const char* key) {
  const json& value = member(object, key);
  if (!value.is_number_unsigned() && !(value.is_number_integer() && value.get<std::int64_t>() >= 0))
    throw BadParams{std::string(key) + " fehlt oder ist keine Zahl"};
  return value.get<std::size_t>();
}

std::string document_uri(const json& params) { return text_member(member(params, "textDocument"), "uri"); }

Position position_of(const json& params) {
  const json& position = member(params, "position");
  return {count_member(position, "line"), count_member(position, "character")};
}

std::string body(const json& message) { return message.dump(-1, ' ', false, json::error_handler_t::replace); }

json error_body(const json& id, int code, const std::string& message) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

// The byte offset of a protocol position in a text.
std::size_t offset_of(const std::string& text, Position at) {
  const LineIndex lines(text);
  if (at.line >= lines.line_count()) return text.size();
  const std::string_view line = lines.line(at.line);
  return static_cast<std::size_t>(line.data() - text.data()) + byte_column(line, at.character);
}

// A request gets the error as its answer; a notification has none, so the
// editor's log (our stderr) says what was dropped.
void refuse(const json* id, const std::string& method, const std::string& why, std::vector<std::string>& out) {
  if (id) {
    out.push_back(body(error_body(*id, kInvalidParams, "ungültige Parameter: " + why)));
  } else {
    std::fprintf(stderr, "zorvin-lsp: %s übergangen, ungültige Parameter: %s\n", method.c_str(), why.c_str());
  }
}

}  // namespace

std::string Server::error_without_id(int code, const std::string& message) { return body(error_body(nullptr, code, message)); }

std::vector<std::string> Server::handle(std::string_view text) {
  std::vector<std::string> out;
  const json message = json::parse(text, nullptr, false);
  if (message.is_discarded()) {
    out.push_back(error_without_id(kParseError, "Nachricht ist kein gültiges JSON"));
    return out;
  }
  const json& method = member(message, "method");
  const bool has_id = message.is_object() && message.contains("id");
  const json& id = member(message, "id");
  if (!message.is_object() || !method.is_string() || (has_id && !id.is_string() && !id.is_number_integer())) {
    // A client's answer to a request of ours carries no method: nothing to do.
    if (message.is_object() && !method.is_string() && (message.contains("result") || message.contains("error"))) return out;
    out.push_back(body(error_body(has_id && (id.is_string() || id.is_number_integer()) ? id : json(nullptr),
                                  kInvalidRequest, "keine gültige Anfrage")));
    return out;
  }
  const json& params = member(message, "params");
  try {
    if (has_id) request(id, method.get<std::string>(), params, out);
    else notification(method.get<std::string>(), params, out);
  } catch (const BadParams& bad) {
    refuse(has_id ? &id : nullptr, method.get<std::string>(), bad.what, out);
  } catch (const json::exception& failure) {
    refuse(has_id ? &id : nullptr, method.get<std::string>(), failure.what(), out);
  }
  return out;
}

void Server::request(const json& id, const std::string& method, const json& params, std::vector<std::string>& out) {
  auto answer = [&](json result) { out.push_back(body({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}})); };
  if (method == "initialize") {
    if (initialized_) return out.push_back(body(error_body(id, kInvalidRequest, "initialize kam schon")));
    initialized_ = true;
    return answer(initialize(params));
  }
  if (!initialized_) return out.push_back(body(error_body(id, kServerNotInitialized, "initialize fehlt noch")));
  if (shutdown_) return out.push_back(body(error_body(id, kInvalidRequest, "nach shutdown")));
  if (method == "shutdown") {
    shutdown_ = true;
    return answer(nullptr);
  }
  const bool known = method == "textDocument/hover" || method == "textDocument/definition" ||
                     method == "textDocument/references" || method == "textDocument/documentSymbol" ||
                     method == "textDocument/completion";
  if (!known) return out.push_back(body(error_body(id, kMethodNotFound, "unbekannte Methode: " + method)));
  const std::string uri = document_uri(params);
  OpenDocument* document = workspace_.find(uri);
  if (!document) throw BadParams{"Dokument ist nicht geöffnet: " + uri};
  if (method == "textDocument/documentSymbol") return answer(document_symbols(*document));
  const Position at = position_of(params);
  if (method == "textDocument/hover") return answer(hover(workspace_, *document, at));
  if (method == "textDocument/definition") return answer(definition(workspace_, *document, at));
  if (method == "textDocument/completion") return answer(completion(workspace_, *document, at));
  const json& declaration = member(member(params, "context"), "includeDeclaration");
  answer(references(workspace_, *document, at, !declaration.is_boolean() || declaration.get<bool>()));
}

void Server::notification(const std::string& method, const json& params, std::vector<std::string>& out) {
  if (method == "exit") {
    exit_requested_ = true;
    return;
  }
  // Before initialize and after shutdown notifications are dropped.
  if (!initialized_ || shutdown_) return;
  if (method == "textDocument/didOpen") {
    const json& item = member(params, "textDocument");
    const json& version = member(item, "version");
    return publish(workspace_.set_text(text_member(item, "uri"), text_member(item, "text"),
                                       version.is_number_integer() ? version.get<std::int64_t>() : 0),
                   out);
  }
  if (method == "textDocument/didChange") return change(params, out);
  if (method == "textDocument/didClose") {
    const std::string uri = document_uri(params);
    if (!workspace_.find(uri)) return;
    workspace_.close(uri);
    // Its messages leave the editor with it.
    out.push_back(body({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"},
                        {"params", {{"uri", uri}, {"diagnostics", json::array()}}}}));
    return;
  }
  if (method == "textDocument/didSave") {
    // An included file may have changed on disk: every open source is checked again.
    for (const std::string& uri : workspace_.uris()) {
      OpenDocument* document = workspace_.find(uri);
      publish(workspace_.set_text(uri, document->source->text, document->version), out);
    }
  }
  // Other notifications ($/cancelRequest, initialized, ...) need nothing.
}

void Server::change(const json& params, std::vector<std::string>& out) {
  const std::string uri = document_uri(params);
  OpenDocument* document = workspace_.find(uri);
  if (!document) return;
  const json& changes = member(params, "contentChanges");
  if (!changes.is_array()) return;
  std::string text = document->source->text;
  for (const json& change : changes) {
    const json& range = member(change, "range");
    const std::string replacement = text_member(change, "text");
    if (!range.is_object()) {
      text = replacement;
      continue;
    }
    std::size_t from = offset_of(text, position_of({{"position", member(range, "start")}}));
    const std::size_t to = offset_of(text, position_of({{"position", member(range, "end")}}));
    from = std::min(from, to);
    text.replace(from, to - from, replacement);
  }
  const json& version = member(member(params, "textDocument"), "version");
  publish(workspace_.set_text(uri, std::move(text), version.is_number_integer() ? version.get<std::int64_t>() : document->version + 1), out);
}

json Server::initialize(const json& params) {
  // The editor's configuration may fix the dialect and define names, as
  // zorvin-asm's --dialect and -D do.
  const json& options = member(params, "initializationOptions");
  const json& dialect = member(options, "dialect");
  if (dialect.is_string() && asm48::dialect_by_option(dialect.get<std::string>()).known)
    workspace_.options().dialect = dialect.get<std::string>();
  const json& analyse = member(options, "analyse");
  if (analyse.is_boolean()) workspace_.set_analyse(analyse.get<bool>());
  const json& definitions = member(options, "definitions");
  if (definitions.is_array()) {
    for (const json& entry : definitions) {
      asm48::Definition definition;
      if (entry.is_string() && asm48::parse_definition(entry.get<std::string>(), definition))
        workspace_.options().definitions.push_back(definition);
    }
  }
  // The window keeps its settings in the folder it runs in: the project's
  // folder when it holds them, else the one the editor started us in.
  std::string settings_file = settings::settings_file_path();
  const json& root = member(params, "rootUri");
  if (root.is_string()) {
    if (const auto folder = path_of_uri(root.get<std::string>())) {
      const std::string in_project = *folder + "/zorvin.ini";
      std::error_code error;
      if (std::filesystem::exists(in_project, error)) settings_file = in_project;
    }
  }
  workspace_.set_settings_file(settings_file);
  return {{"capabilities",
           {{"positionEncoding", "utf-16"},
            {"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", true}}},
            {"hoverProvider", true},
            {"definitionProvider", true},
            {"referencesProvider", true},
            {"documentSymbolProvider", true},
            {"completionProvider", {{"triggerCharacters", json::array({".", "#"})}}}}},
          {"serverInfo", {{"name", "zorvin-lsp"}}}};
}

void Server::publish(const OpenDocument& document, std::vector<std::string>& out) {
  out.push_back(body({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", diagnostics_of(document)}}));
}

}  // namespace zorvin::lsp
