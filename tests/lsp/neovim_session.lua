-- One session of a real editor with zorvin-lsp: Neovim (0.7 and later),
-- headless, through its own LSP client. Opens an 8-bit source with an
-- error, waits for the diagnostic, asks for hover and definition, fixes the
-- line in the buffer and waits for the error to go and the analysis's hint
-- to come. Exits 0 when all
-- of it held, 1 with the reason on stderr otherwise.
local server = os.getenv("ZORVIN_LSP")
local folder = os.getenv("ZORVIN_TEST_TMP")

local function fail(reason)
  io.stderr:write("FAIL: " .. reason .. "\n")
  vim.cmd("cquit 1")
end

local ok, err = pcall(function()
  vim.fn.mkdir(folder, "p")
  local path = folder .. "/neovim.asm"
  -- ISO 8859-1 on disk: "ä" is the one byte E4.
  local file = assert(io.open(path, "wb"))
  file:write("; Z\228hler\nstart:  mov a,#1\n        add a,r0\n        jmp fehlt\n        jmp start\n")
  file:close()
  vim.cmd("edit " .. vim.fn.fnameescape(path))
  local buf = vim.api.nvim_get_current_buf()
  local client = vim.lsp.start_client({ name = "zorvin-lsp", cmd = { server }, root_dir = folder })
  if not client then return fail("the server did not start") end
  vim.lsp.buf_attach_client(buf, client)

  if not vim.wait(10000, function() return #vim.diagnostic.get(buf) > 0 end, 20) then
    return fail("no diagnostics")
  end
  local shown = vim.diagnostic.get(buf)[1]
  if shown.lnum ~= 3 or shown.message ~= "Zeile: 4 -> ungültiges Sprungziel" then
    return fail("diagnostic " .. vim.inspect(shown))
  end

  local uri = vim.uri_from_bufnr(buf)
  local answers = vim.lsp.buf_request_sync(buf, "textDocument/hover",
    { textDocument = { uri = uri }, position = { line = 2, character = 9 } }, 5000)
  local hover = answers and answers[client] and answers[client].result
  if not hover or not hover.contents.value:find("Ändert: C, AC", 1, true) then
    return fail("hover " .. vim.inspect(answers))
  end

  answers = vim.lsp.buf_request_sync(buf, "textDocument/definition",
    { textDocument = { uri = uri }, position = { line = 4, character = 13 } }, 5000)
  local found = answers and answers[client] and answers[client].result
  if not found or #found ~= 1 or found[1].range.start.line ~= 1 then
    return fail("definition " .. vim.inspect(answers))
  end

  vim.api.nvim_buf_set_lines(buf, 3, 4, false, { "        jmp start" })
  local errors = { severity = vim.diagnostic.severity.ERROR }
  if not vim.wait(10000, function() return #vim.diagnostic.get(buf, errors) == 0 end, 20) then
    return fail("the diagnostic stayed after the fix")
  end
  -- The fixed source assembles; the analysis's hint names the second jmp,
  -- which no path reaches.
  local hints = vim.diagnostic.get(buf, { severity = vim.diagnostic.severity.HINT })
  if #hints ~= 1 or hints[1].lnum ~= 4 or not hints[1].message:find("Hinweis: Code wird nie erreicht", 1, true) then
    return fail("hints " .. vim.inspect(vim.diagnostic.get(buf)))
  end

  vim.lsp.stop_client(client)
  vim.wait(5000, function() return vim.lsp.client_is_stopped(client) end, 20)
end)
if not ok then fail(tostring(err)) end
vim.cmd("qall!")
