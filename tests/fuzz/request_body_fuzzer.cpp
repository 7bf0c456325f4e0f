// Fuzz target: one HTTP request body through
// ReceiveRequestCommandExecutor::ExecuteRequest, with the service's
// commands behind it (built once with Skylet's profile, once with Wattlet's)
// and no communication service reachable, so that every device command really
// opens a device-setting connection and fails to connect.
//
// Rules checked for every input: ExecuteRequest returns (never throws), and
// its text is a commandResponse document with an id, whose status is
// FAILURE, since no device can have answered, and whose detail, if any, has
// the code 400.
#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <Poco/DOM/Node.h>
#include <Poco/DirectoryIterator.h>
#include <Poco/Exception.h>
#include <Poco/FileStream.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include TOOL_FUZZ_PROFILE_HEADER
#include "fuzz/fuzz_target.h"
#include "main/tool_manager.h"
#include "process/service_sandbox.h"
#include "server/receive_request_command_executor.h"

namespace {

using tool::fuzzing::FuzzCheck;

// Threshold FATAL: the commands' log lines are formatted and dropped, not
// written, which keeps the runs fast.
constexpr char kQuietSettings[] =
    "<LoggerSetting><LogLevel>4</LogLevel></LoggerSetting>\n";

// The threads that the process starts with before any code of its own has
// started one. An emulator (the armhf build runs under qemu-user) adds a
// thread of its own that never runs the program's code.
#if defined(TOOL_TEST_EMULATED)
constexpr int kStartThreads = 2;
#else
constexpr int kStartThreads = 1;
#endif

// The threads of this process.
int ThreadCount() {
  int count = 0;
  for (Poco::DirectoryIterator it(std::string("/proc/self/task")), end;
       it != end; ++it) {
    ++count;
  }
  return count;
}

void Fail(const std::string& why) {
  std::fprintf(stderr, "request_body_fuzzer: %s\n", why.c_str());
  std::exit(1);
}

// The rules every reply must keep.
void CheckReply(const std::string& reply) {
  FuzzCheck(!reply.empty(), "ExecuteRequest returned an empty reply");
  Poco::AutoPtr<Poco::XML::Document> document;
  try {
    Poco::XML::DOMParser parser;
    document = parser.parseString(reply);
  } catch (const Poco::Exception& e) {
    std::fprintf(stderr, "reply: %s\n%s\n", e.displayText().c_str(),
                 reply.c_str());
    FuzzCheck(false, "the reply is not well-formed XML");
  }
  const Poco::XML::Element* root = document->documentElement();
  FuzzCheck(root != nullptr && root->nodeName() == "commandResponse",
            "the reply is not a commandResponse");
  const Poco::XML::Node* status =
      document->getNodeByPath("/commandResponse/status");
  FuzzCheck(status != nullptr, "the reply has no status");
  FuzzCheck(status->innerText() == "FAILURE",
            "a command succeeded with no device reachable");
  FuzzCheck(root->hasAttribute("id"), "the reply has no id");
  const Poco::XML::Node* code =
      document->getNodeByPath("/commandResponse/detail/code");
  FuzzCheck(code == nullptr || code->innerText() == "400",
            "a detail with a code other than 400");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A mount namespace is private to the calling thread when the process has
  // more: the services' fixed directories would then stay the machine's for
  // any thread the program had already started.
  if (ThreadCount() != kStartThreads) {
    Fail("must start with no thread of its own besides the caller");
  }
  std::string error;
  if (!tool::testing::ServiceSandbox::EnterPrivateNamespaces(&error)) {
    Fail("needs root for its private namespaces: " + error);
  }
  // Fresh /tmp, /media, /usr/local/etc and /mnt for the rest of the process;
  // the socket path under /mnt does not exist.
  static const tool::testing::ServiceSandbox sandbox;
  {
    Poco::FileOutputStream settings(
        tool::testing::ServiceSandbox::SettingsFilePath());
    settings << kQuietSettings;
  }
  tool::ToolManager& manager =
      tool::ToolManager::GetInstance(TOOL_FUZZ_PROFILE);
  manager.CreateChannelControllers();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  static const tool::ReceiveRequestCommandExecutor executor(
      TOOL_FUZZ_PROFILE.commands,
      tool::ToolManager::GetInstance(TOOL_FUZZ_PROFILE));
  CheckReply(executor.ExecuteRequest(body));
  return 0;
}
