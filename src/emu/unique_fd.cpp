#include "emu/unique_fd.h"

#include <unistd.h>

namespace zorvin::emu {

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

}  // namespace zorvin::emu
