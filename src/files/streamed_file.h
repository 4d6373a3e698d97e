// Writing a file that grows while a run goes on (a trace, a waveform, a
// log) without putting the old one at risk: the text goes to a temporary
// file beside it, which takes its place only once all of it is written. A
// full disk or a broken run leaves the old file as it was.
#pragma once

#include <cstdio>
#include <string>

namespace zorvin::files {

// Where writing `path` lands: symbolic links followed (also one that leads
// nowhere yet), the folder absolute. Two names of a file that does not
// exist yet give the same text.
std::string output_target(const std::string& path);

// True when writing `a` and writing `b` would write one file: the same
// existing file (device and inode), or the same target of two names of a
// file that does not exist yet.
bool same_output(const std::string& a, const std::string& b);

class StreamedFile {
 public:
  StreamedFile() = default;
  StreamedFile(const StreamedFile&) = delete;
  StreamedFile& operator=(const StreamedFile&) = delete;
  ~StreamedFile();  // what was not committed is thrown away

  // Starts writing `path`. Refused, with error() saying why, when it names
  // something other than a regular file, an existing file that may not be
  // written, or a folder where no file can be made. Where no temporary file
  // can be made beside the file (a folder that is not writable), it is made
  // in the system's temporary folder and copied over at the end.
  bool open(const std::string& path);
  std::FILE* file() const { return file_; }

  // Puts what was written in the file's place, with the old file's
  // permissions (a new file gets those of any new file). A hard-linked file
  // or one of another owner is rewritten in place instead (as
  // rewrite_file does). False, with error(), when anything failed; the old
  // file is then untouched.
  bool commit();
  // Throws away what was written; the old file stays.
  void discard();

  const std::string& error() const { return error_; }

 private:
  bool fail(int error);

  std::string target_;
  std::string temp_;
  bool beside_ = false;  // the temporary file is in the target's folder
  std::FILE* file_ = nullptr;
  std::string error_;
};

}  // namespace zorvin::files
