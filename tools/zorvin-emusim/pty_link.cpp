#include "pty_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "files/regular_file.h"

namespace zorvin::emusim {
namespace {

std::string failure(const std::string& what) { return what + ": " + files::error_text(errno); }

std::string read_link(const std::string& path) {
  std::vector<char> target(4096);
  const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
  return n > 0 ? std::string(target.data(), static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

PtyLink::~PtyLink() { destroy(); }

std::string PtyLink::create(const std::string& link_path) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) return failure("Pseudo-Terminal kann nicht angelegt werden");
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    return failure("Pseudo-Terminal kann nicht freigegeben werden");
  }
  const char* name = ::ptsname(master_);
  if (name == nullptr) return failure("Name des Pseudo-Terminals unbekannt");
  slave_name_ = name;

  // Raw line from the start, so nothing we send is echoed or translated even
  // before the host sets its own modes. Closing the slave again makes the
  // master report a hang-up until the host opens the port.
  const int slave = ::open(slave_name_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) return failure(slave_name_ + " kann nicht geöffnet werden");
  termios tio{};
  if (::tcgetattr(slave, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(slave, TCSANOW, &tio);
  }
  ::close(slave);

  struct stat info {};
  if (::lstat(link_path.c_str(), &info) == 0) {
    if (!S_ISLNK(info.st_mode)) {
      return "--link " + link_path + " gibt es schon, und es ist kein symbolischer Link - wird nicht ersetzt";
    }
    ::unlink(link_path.c_str());
  }
  if (::symlink(slave_name_.c_str(), link_path.c_str()) != 0) {
    return failure("Link " + link_path + " kann nicht angelegt werden");
  }
  link_path_ = link_path;
  return {};
}

void PtyLink::destroy() {
  if (!link_path_.empty() && read_link(link_path_) == slave_name_) ::unlink(link_path_.c_str());
  link_path_.clear();
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

bool PtyLink::host_has_port_open() const {
  pollfd probe{master_, 0, 0};
  return ::poll(&probe, 1, 0) >= 0 && (probe.revents & POLLHUP) == 0;
}

bool PtyLink::hangs_up_on_close() const {
  termios tio{};
  return ::tcgetattr(master_, &tio) == 0 && (tio.c_cflag & HUPCL) != 0;
}

}  // namespace zorvin::emusim
