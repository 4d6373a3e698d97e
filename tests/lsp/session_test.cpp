// A session as an editor has it: open a source, read its diagnostics, ask
// for hover, definition, references, symbols and completion.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "analysis/analysis.h"
#include "asm/assembler.h"
#include "lsp_client.h"

namespace zorvin::lsp::testing {
namespace {

const std::string kPlainUri = "file:///tmp/z%C3%A4hler.asm";
// Line 0 holds an umlaut (two bytes in UTF-8, one unit in UTF-16).
const std::string kPlain =
    "; Zähler für Port 1\n"
    "zahl    equ 12h\n"
    "start:  mov a,#zahl\n"
    "        add a,r0\n"
    "        movx a,@r0\n"
    "        jmp start\n"
    "        rlc a\n";

class LspSession : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(client.started());
    ASSERT_TRUE(client.initialize().contains("result"));
  }
  json open(const std::string& uri, const std::string& text) {
    client.notify("textDocument/didOpen", {{"textDocument", {{"uri", uri}, {"languageId", "asm48"}, {"version", 1}, {"text", text}}}});
    auto published = client.take_notification("textDocument/publishDiagnostics");
    return published ? (*published)["params"] : json();
  }
  std::string hover_text(const std::string& uri, int line, int character) {
    const json answer = client.request("textDocument/hover", at(uri, line, character));
    if (!answer.contains("result") || answer["result"].is_null()) return {};
    return answer["result"]["contents"]["value"];
  }
  std::vector<std::string> completion_labels(const std::string& uri, int line, int character) {
    const json answer = client.request("textDocument/completion", at(uri, line, character));
    std::vector<std::string> labels;
    for (const json& item : answer["result"]["items"]) labels.push_back(item["label"]);
    return labels;
  }
  LspClient client;
};

// The same lines, in the same order, as zorvin-asm prints for the source.
TEST_F(LspSession, DiagnosticsAreTheAssemblersMessagesOnTheirLines) {
  const std::vector<std::string> sources = {
      kPlain + "        jmp fehlt\n",
      "        mov a,#1\n        mvo a,r0\n        add a,#300\n",
      "        cpu 8048\n        mov a,#unbekannt\n        db 1,2,3\n",
      "#define WERT 5\n        mov a,#WERT\n        .org 2\n        mov a,%0101\n        jmp weg\n",
      kPlain,
  };
  int uri_number = 0;
  for (const std::string& source : sources) {
    SCOPED_TRACE(source);
    asm48::Assembler assembler;
    assembler.keep_listing(true);
    const asm48::AssemblyResult expected = assembler.run(source);
    std::vector<asm48::Diagnostic> lines = expected.warnings;
    lines.insert(lines.end(), expected.errors.begin(), expected.errors.end());
    // A run without errors adds the analysis's hints, as --analyse has them.
    std::vector<asm48::Diagnostic> hints;
    if (expected.ok())
      hints = analysis::finding_diagnostics(analysis::analyse(analysis::program_of_run(assembler)).findings);
    const std::size_t assembler_lines = lines.size();
    lines.insert(lines.end(), hints.begin(), hints.end());
    const std::string uri = "file:///tmp/quelle" + std::to_string(++uri_number) + ".asm";
    const json published = open(uri, source);
    ASSERT_EQ(published["uri"], uri);
    const json& diagnostics = published["diagnostics"];
    ASSERT_EQ(diagnostics.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(diagnostics[i]["message"], asm48::format_diagnostic(lines[i]));
      EXPECT_EQ(diagnostics[i]["range"]["start"]["line"], std::max(lines[i].line - 1, 0));
      const int severity = i >= assembler_lines                               ? 4
                           : lines[i].severity == asm48::Severity::Error   ? 1
                           : lines[i].severity == asm48::Severity::Warning ? 2
                                                                           : 3;
      EXPECT_EQ(diagnostics[i]["severity"], severity);
    }
  }
}

TEST_F(LspSession, ChangeChecksAgainAndCloseClearsTheMessages) {
  EXPECT_EQ(open(kPlainUri, kPlain + "        jmp fehlt\n")["diagnostics"].size(), 1u);
  client.notify("textDocument/didChange", {{"textDocument", {{"uri", kPlainUri}, {"version", 2}}},
                                           {"contentChanges", json::array({{{"text", kPlain}}})}});
  auto published = client.take_notification("textDocument/publishDiagnostics");
  ASSERT_TRUE(published);
  EXPECT_EQ((*published)["params"]["version"], 2);
  for (const json& left : (*published)["params"]["diagnostics"]) EXPECT_EQ(left["severity"], 4) << left;  // hints only
  // An editor that sends ranges anyway: the error comes back on line 7.
  client.notify("textDocument/didChange",
                {{"textDocument", {{"uri", kPlainUri}, {"version", 3}}},
                 {"contentChanges", json::array({{{"range", {{"start", {{"line", 7}, {"character", 0}}}, {"end", {{"line", 7}, {"character", 0}}}}},
                                                   {"text", "        jmp fehlt\n"}}})}});
  published = client.take_notification("textDocument/publishDiagnostics");
  ASSERT_TRUE(published);
  ASSERT_EQ((*published)["params"]["diagnostics"].size(), 1u);
  EXPECT_EQ((*published)["params"]["diagnostics"][0]["range"]["start"]["line"], 7);
  client.notify("textDocument/didClose", {{"textDocument", {{"uri", kPlainUri}}}});
  published = client.take_notification("textDocument/publishDiagnostics");
  ASSERT_TRUE(published);
  EXPECT_TRUE((*published)["params"]["diagnostics"].empty());
}

TEST_F(LspSession, HoverShowsBytesCyclesFlagsAndValues) {
  open(kPlainUri, kPlain);
  struct Case {
    int line, character;
    std::vector<std::string> parts;
  };
  const std::vector<Case> cases = {
      {3, 9, {"**add a,r0**", "Code: 68 (Adresse 0002H)", "Zyklen: 1", "Ändert: C, AC"}},
      {4, 8, {"Code: 80", "Zyklen: 2", "Ändert keine Flags"}},
      {5, 10, {"Code: 04 00", "Zyklen: 2"}},
      {6, 8, {"Zyklen: 1", "Ändert: C"}},
      {5, 13, {"**start** (Marke)", "Wert: 0000H", "Zeile 3"}},
      {2, 17, {"**zahl** (Konstante)", "Wert: 12h", "Zeile 2"}},
      {1, 2, {"**zahl**"}},
  };
  for (const Case& c : cases) {
    const std::string text = hover_text(kPlainUri, c.line, c.character);
    for (const std::string& part : c.parts) EXPECT_NE(text.find(part), std::string::npos) << c.line << ":" << c.character << "\n" << text;
  }
  EXPECT_EQ(hover_text(kPlainUri, 3, 13), "");   // a register
  EXPECT_EQ(hover_text(kPlainUri, 0, 5), "");    // a comment
  EXPECT_EQ(hover_text(kPlainUri, 40, 0), "");   // past the end
}

TEST_F(LspSession, DefinitionAndReferencesReachIntoIncludedFiles) {
  const std::filesystem::path folder = std::filesystem::path(ZORVIN_TEST_TMP) / "include_test";
  std::filesystem::create_directories(folder);
  // The included file is 8-bit text on disk, as sources are.
  std::ofstream(folder / "defs.inc", std::ios::binary) << "; Werte f\xFCr den Z\xE4hler\nwert    equ 34h\nunter:  ret\n";
  const std::string main_text = "        cpu 8048\n        include \"defs.inc\"\nstart:  mov a,#wert\n        call unter\n        jmp start\n";
  const std::string main_uri = "file://" + (folder / "main.asm").string();
  const std::string defs_uri = "file://" + (folder / "defs.inc").string();
  EXPECT_TRUE(open(main_uri, main_text)["diagnostics"].empty());

  // On the include line: the file.
  const json file = client.request("textDocument/definition", at(main_uri, 1, 20))["result"];
  ASSERT_EQ(file.size(), 1u);
  EXPECT_EQ(file[0]["uri"], defs_uri);
  EXPECT_EQ(file[0]["range"]["start"]["line"], 0);

  const json found = client.request("textDocument/definition", at(main_uri, 2, 17));
  ASSERT_EQ(found["result"].size(), 1u);
  EXPECT_EQ(found["result"][0]["uri"], defs_uri);
  EXPECT_EQ(found["result"][0]["range"]["start"]["line"], 1);

  json params = at(main_uri, 3, 14);
  params["context"] = {{"includeDeclaration", true}};
  const json all = client.request("textDocument/references", params)["result"];
  ASSERT_EQ(all.size(), 2u);
  std::set<std::string> uris = {all[0]["uri"], all[1]["uri"]};
  EXPECT_EQ(uris, (std::set<std::string>{main_uri, defs_uri}));
  params["context"]["includeDeclaration"] = false;
  EXPECT_EQ(client.request("textDocument/references", params)["result"].size(), 1u);

  const std::string text = hover_text(main_uri, 2, 17);
  EXPECT_NE(text.find("Wert: 0034H"), std::string::npos) << text;
  EXPECT_NE(text.find("Definiert in defs.inc, Zeile 2"), std::string::npos) << text;
  EXPECT_TRUE(client.request("textDocument/definition", at(main_uri, 2, 9))["result"].is_null());  // mov
}

TEST_F(LspSession, DocumentSymbolsListLabelsEquatesAndMacros) {
  const std::string uri = "file:///tmp/makro.asm";
  open(uri, "        cpu 8048\nwarte   macro n\n        mov r7,#n\n        endm\ntakt    equ 6\nhaupt:  warte takt\n        jmp haupt\n"
            "        db 1,2,3\n");
  // A macro call and a data line show what they placed.
  const std::string call = hover_text(uri, 5, 9);
  EXPECT_NE(call.find("(Makro)"), std::string::npos) << call;
  EXPECT_NE(call.find("Code: BF 06 (Adresse 0000H)"), std::string::npos) << call;
  EXPECT_EQ(hover_text(uri, 7, 9), "**db 1,2,3**\n\nCode: 01 02 03 (Adresse 0004H)");

  const json symbols = client.request("textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}})["result"];
  std::vector<std::pair<std::string, int>> names;
  for (const json& symbol : symbols) names.emplace_back(symbol["name"], symbol["kind"]);
  EXPECT_EQ(names, (std::vector<std::pair<std::string, int>>{{"warte", 6}, {"takt", 14}, {"haupt", 12}}));
}

TEST_F(LspSession, CompletionOffersMnemonicsRegistersDirectivesAndNames) {
  open(kPlainUri, kPlain + "        mo\n        MO\n        jmp st\n        .e\n");
  auto has = [](const std::vector<std::string>& list, const std::string& word) {
    return std::find(list.begin(), list.end(), word) != list.end();
  };
  const auto mnemonics = completion_labels(kPlainUri, 7, 10);
  EXPECT_TRUE(has(mnemonics, "mov") && has(mnemonics, "movx") && has(mnemonics, "movp3"));
  EXPECT_FALSE(has(mnemonics, "add"));
  EXPECT_TRUE(has(completion_labels(kPlainUri, 8, 10), "MOV"));
  EXPECT_TRUE(has(completion_labels(kPlainUri, 9, 14), "start"));
  EXPECT_FALSE(has(completion_labels(kPlainUri, 10, 10), ".equ"));  // not a word of the plain dialect
  // Where the instruction goes: mnemonics and directives; in the operands:
  // registers and names.
  const auto statement = completion_labels(kPlainUri, 3, 8);
  EXPECT_TRUE(has(statement, "add") && has(statement, "org"));
  EXPECT_FALSE(has(statement, "psw") || has(statement, "zahl"));
  const auto after_label = completion_labels(kPlainUri, 2, 8);
  EXPECT_TRUE(has(after_label, "mov") && !has(after_label, "r0"));
  const auto operands = completion_labels(kPlainUri, 3, 12);
  EXPECT_TRUE(has(operands, "zahl") && has(operands, "psw") && has(operands, "@r0"));
  EXPECT_FALSE(has(operands, "add") || has(operands, "org"));

  // The UPI-41/42 have no movx but in a,dbb.
  const std::string upi_uri = "file:///tmp/upi.asm";
  open(upi_uri, "        cpu 8041\n        mo\n        in a,dbb\n");
  const auto upi = completion_labels(upi_uri, 1, 10);
  EXPECT_TRUE(has(upi, "mov") && !has(upi, "movx"));
  EXPECT_NE(hover_text(upi_uri, 2, 9).find("Ändert: IBF"), std::string::npos);

  const std::string tasm_uri = "file:///tmp/tasm.asm";
  open(tasm_uri, "#define WERT 5\n        .e\n");
  const auto tasm = completion_labels(tasm_uri, 1, 10);
  EXPECT_TRUE(has(tasm, ".equ") && has(tasm, ".end"));
}

// The window's choices in its zorvin.ini (the source's dialect, the names F5
// defines) hold for the editor too, unless the editor's options say otherwise.
TEST(LspSettingsFile, DialectAndDefinitionsOfTheWindowApply) {
  const std::filesystem::path folder = std::filesystem::path(ZORVIN_TEST_TMP) / "settings_test";
  std::filesystem::create_directories(folder);
  const std::string source = (folder / "quelle.asm").string();
  // Ends in a loop, so the analysis has nothing to say.
  const std::string text = "        mov a,#WERT\nstop:   jmp stop\n";
  struct Case {
    std::string definitions;
    json options;
    std::size_t messages;
  };
  // In the plain dialect WERT is no value, and -D names are unused there;
  // definitions that do not parse are not used, as F5 warns.
  for (const Case& c : {Case{"WERT=5", nullptr, 0}, Case{"WERT=5", {{"dialect", "plain"}}, 2},
                        Case{"WERT=zehn", nullptr, 2}}) {
    std::ofstream(folder / "zorvin.ini", std::ios::binary)
        << "\xEF\xBB\xBF[Assembler]\nDefinitionen=" << c.definitions << "\n[Dialekte]\nDatei1=as|" << source << "\n";
    LspClient client;
    client.request("initialize", {{"rootUri", "file://" + folder.string()}, {"capabilities", json::object()},
                                  {"initializationOptions", c.options}});
    client.notify("textDocument/didOpen", {{"textDocument", {{"uri", "file://" + source}, {"version", 1}, {"text", text}}}});
    const auto published = client.take_notification("textDocument/publishDiagnostics");
    ASSERT_TRUE(published);
    const json& diagnostics = (*published)["params"]["diagnostics"];
    ASSERT_EQ(diagnostics.size(), c.messages) << (*published).dump();
    if (c.definitions == "WERT=zehn") {
      EXPECT_TRUE(diagnostics[0]["message"].get<std::string>().starts_with("Warnung: Definitionen nicht verwendet ("));
    }
  }
}

// Columns count UTF-16 units: "ä" is one, "𝄞" two; in UTF-8 they are 2 and 4 bytes.
TEST_F(LspSession, PositionsCountUtf16Units) {
  const std::string uri = "file:///tmp/zeichen.asm";
  open(uri, "        cpu 8048\nzahl    equ 3\n        db \"ä𝄞\", zahl\n");
  const json answer = client.request("textDocument/hover", at(uri, 2, 19));
  ASSERT_TRUE(answer["result"].is_object()) << answer.dump();
  EXPECT_EQ(answer["result"]["range"]["start"]["character"], 18);
  EXPECT_EQ(answer["result"]["range"]["end"]["character"], 22);
  const json found = client.request("textDocument/definition", at(uri, 2, 21))["result"];
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0]["range"]["start"]["line"], 1);
}

}  // namespace
}  // namespace zorvin::lsp::testing
