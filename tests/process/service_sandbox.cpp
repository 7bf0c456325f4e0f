#include "process/service_sandbox.h"

#include <Poco/File.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace tool {
namespace testing {
namespace {

struct Mount {
  const char* path;
  const char* options;
};

// The directories the services use by fixed path; the communication
// service's socket lives under /mnt.
constexpr Mount kMounts[] = {
    {"/tmp", "mode=1777"},
    {"/media", "mode=0755"},
    {"/usr/local/etc", "mode=0755"},
    {"/mnt", "mode=0755"},
};

bool inPrivateNamespaces = false;

std::string Failure(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

void Check(bool ok, const char* what) {
  if (!ok) {
    std::perror(what);
    std::abort();
  }
}

}  // namespace

bool ServiceSandbox::EnterPrivateNamespaces(std::string* error) {
  if (unshare(CLONE_NEWNS | CLONE_NEWNET) != 0) {
    *error = Failure("unshare(CLONE_NEWNS | CLONE_NEWNET)");
    return false;
  }
  // Mounts made from now on must not propagate back to the machine.
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    *error = Failure("making / private");
    return false;
  }
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) {
    *error = Failure("socket");
    return false;
  }
  struct ifreq request = {};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  if (up) {
    request.ifr_flags |= IFF_UP;
    up = ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  }
  if (!up) *error = Failure("bringing lo up");
  close(fd);
  inPrivateNamespaces = up;
  return up;
}

ServiceSandbox::ServiceSandbox() {
  Check(inPrivateNamespaces, "ServiceSandbox outside private namespaces");
  for (const Mount& m : kMounts) {
    Poco::File(m.path).createDirectories();  // a machine without /media
    Check(mount("tmpfs", m.path, "tmpfs", MS_NOSUID | MS_NODEV, m.options) == 0,
          m.path);
  }
  Poco::File("/media/sdcard").createDirectories();
  Poco::File("/usr/local/etc/lumhaven/SettingsXML").createDirectories();
}

ServiceSandbox::~ServiceSandbox() {
  if (readOnlyMounted_) umount2(readOnlyPath_.c_str(), MNT_DETACH);
  for (int i = static_cast<int>(std::size(kMounts)) - 1; i >= 0; --i) {
    umount2(kMounts[i].path, MNT_DETACH);
  }
}

std::string ServiceSandbox::SettingsFilePath() {
  return "/usr/local/etc/lumhaven/SettingsXML/LoggerSetting.xml";
}

void ServiceSandbox::MountReadOnly(const std::string& path) {
  Poco::File(path).createDirectories();
  Check(mount("tmpfs", path.c_str(), "tmpfs", MS_RDONLY | MS_NOSUID | MS_NODEV,
              "mode=0755") == 0,
        path.c_str());
  readOnlyMounted_ = true;
  readOnlyPath_ = path;
}

}  // namespace testing
}  // namespace tool
