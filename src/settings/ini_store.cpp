#include "settings/ini_store.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/unicode_text.h"
#include "files/file_rewrite.h"
#include "files/regular_file.h"
#include "settings/number_text.h"

namespace zorvin::settings {

namespace {

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Reads to the end, but stops one byte past the limit: a file that grows
// while it is read is refused as well.
bool read_whole_file(int fd, std::string& out, int& error) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      return false;
    }
    if (n == 0) return true;
    out.append(buffer, static_cast<std::size_t>(n));
    if (out.size() > kMaxSettingsBytes) return true;
  }
}

}  // namespace

bool IniStore::open(const std::string& path) {
  close();
  problem_.clear();
  refused_ = false;
  const files::OpenedFile file = files::open_regular_file(path, O_RDONLY);
  if (!file.ok()) {
    problem_ = files::error_text(file.error);
    // Only a missing file may be created in its place.
    refused_ = file.error != ENOENT;
    return false;
  }
  std::string bytes;
  int error = 0;
  bool read = static_cast<std::uintmax_t>(file.info.st_size) <= kMaxSettingsBytes &&
              read_whole_file(file.fd, bytes, error);
  ::close(file.fd);
  if (read && bytes.size() > kMaxSettingsBytes) read = false;
  if (!read) {
    problem_ = error != 0 ? files::error_text(error) : std::string(kSettingsTooLarge);
    refused_ = true;
    return false;
  }
  path_ = path;
  open_ = true;
  text_ = parse_ini(bytes);
  return true;
}

// Nothing is written yet: closing creates the file with its whole content.
bool IniStore::create(const std::string& path) {
  close();
  problem_.clear();
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return false;
  path_ = path;
  open_ = true;
  text_ = IniText{};
  write_back_ = true;
  return true;
}

bool IniStore::select_group(std::string_view name) {
  pending_group_.reset();
  current_group_.reset();
  if (name.empty()) return true;
  for (std::size_t i = 0; i < text_.entries.size(); ++i) {
    const IniEntry& entry = text_.entries[i];
    if (entry.kind == IniEntry::Kind::group && same_name(entry.name, name)) {
      current_group_ = i;
      return true;
    }
  }
  pending_group_ = std::string(name);
  return false;
}

std::size_t IniStore::group_begin() const { return current_group_ ? *current_group_ + 1 : 0; }

std::size_t IniStore::group_end() const {
  std::size_t i = group_begin();
  while (i < text_.entries.size() && text_.entries[i].kind != IniEntry::Kind::group) ++i;
  return i;
}

std::optional<std::size_t> IniStore::find_key(std::string_view key) const {
  if (pending_group_) return std::nullopt;
  for (std::size_t i = group_begin(), end = group_end(); i < end; ++i) {
    const IniEntry& entry = text_.entries[i];
    if (entry.kind == IniEntry::Kind::key && same_name(entry.name, key)) return i;
  }
  return std::nullopt;
}

std::int32_t IniStore::read_integer(std::string_view key, std::int32_t fallback) const {
  const auto i = find_key(key);
  return i ? parse_decimal(text_.entries[*i].value) : fallback;
}

std::string IniStore::read_text(std::string_view key, std::string_view fallback) const {
  const auto i = find_key(key);
  if (!i) return std::string(fallback);
  // A file with byte-order mark may still hold bytes that are not UTF-8;
  // the caller gets them as U+FFFD, the file keeps them.
  return encode_utf8(decode_utf8(trim_blanks(text_.entries[*i].value)));
}

void IniStore::write_integer(std::string_view key, std::int32_t value) {
  write_text(key, std::to_string(value));
}

void IniStore::write_text(std::string_view key, std::string_view value) {
  if (!open_) return;
  auto& entries = text_.entries;
  IniEntry entry{IniEntry::Kind::key, std::string(key), std::string(value), {}};
  if (pending_group_) {
    entries.push_back({IniEntry::Kind::group, *pending_group_, {}, {}});
    current_group_ = entries.size() - 1;
    pending_group_.reset();
    entries.push_back(std::move(entry));
  } else if (const auto i = find_key(key)) {
    entries[*i] = std::move(entry);
  } else {
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(group_end()), std::move(entry));
  }
  write_back_ = true;
}

void IniStore::remove_key(std::string_view key) {
  if (!open_) return;
  if (const auto i = find_key(key)) {
    text_.entries.erase(text_.entries.begin() + static_cast<std::ptrdiff_t>(*i));
    write_back_ = true;
  }
}

bool IniStore::close() {
  if (!open_) return true;
  bool written = true;
  if (write_back_) {
    const files::RewriteResult result = files::rewrite_file(path_, compose_ini(text_));
    written = result.ok;
    if (!written) problem_ = result.error;
  }
  open_ = false;
  path_.clear();
  text_ = IniText{};
  current_group_.reset();
  pending_group_.reset();
  write_back_ = false;
  return written;
}

}  // namespace zorvin::settings
