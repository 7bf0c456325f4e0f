#ifndef TOOL_TESTS_PROCESS_SERVICE_SANDBOX_H_
#define TOOL_TESTS_PROCESS_SERVICE_SANDBOX_H_

#include <string>

namespace tool {
namespace testing {

// Gives a test the services' fixed directories (/tmp, /media,
// /usr/local/etc, /mnt) as fresh, empty tmpfs mounts, with /media/sdcard and
// the settings directory in place. The mounts live in a private mount
// namespace, so the machine's own directories are never touched.
class ServiceSandbox {
 public:
  // Moves the calling process into private mount and network namespaces
  // and brings their loopback interface up. Must be called while the
  // process has a single thread. Returns false, with the reason in
  // `*error`, when that is not possible (for example without root).
  static bool EnterPrivateNamespaces(std::string* error);

  // Mounts the fresh directories; aborts unless EnterPrivateNamespaces has
  // succeeded. The destructor unmounts them again.
  ServiceSandbox();
  ~ServiceSandbox();

  ServiceSandbox(const ServiceSandbox&) = delete;
  ServiceSandbox& operator=(const ServiceSandbox&) = delete;

  // The settings file that the services read.
  static std::string SettingsFilePath();
  // Mounts a read-only tmpfs at `path`, unmounted with the sandbox.
  void MountReadOnly(const std::string& path);

 private:
  bool readOnlyMounted_ = false;
  std::string readOnlyPath_;
};

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_SERVICE_SANDBOX_H_
