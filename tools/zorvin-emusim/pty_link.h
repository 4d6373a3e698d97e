// The simulator's end of the line: a pseudo-terminal whose slave side is
// reachable under a symbolic link, standing in for /dev/ttyUSBn.
#pragma once

#include <string>

namespace zorvin::emusim {

class PtyLink {
 public:
  PtyLink() = default;
  ~PtyLink();
  PtyLink(const PtyLink&) = delete;
  PtyLink& operator=(const PtyLink&) = delete;

  // Creates the pseudo-terminal, sets its line raw and makes `link_path` a
  // symbolic link to the slave (replacing an old symbolic link there, never
  // another kind of file). Returns an error text, empty on success.
  std::string create(const std::string& link_path);

  // Removes the link if it still points to our slave, and closes the pty.
  void destroy();

  int master_fd() const { return master_; }
  const std::string& slave_name() const { return slave_name_; }

  // Whether the host has the slave side open. The master reports a hang-up
  // while no one has the slave open (our own first open and close arms it).
  bool host_has_port_open() const;

  // Whether the host's line settings have HUPCL, so that its close drops
  // DTR. The master reports the slave's settings, also after the close.
  bool hangs_up_on_close() const;

 private:
  int master_ = -1;
  std::string slave_name_;
  std::string link_path_;
};

}  // namespace zorvin::emusim
