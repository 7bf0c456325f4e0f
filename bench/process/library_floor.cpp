// Loads the libraries that the services link and then only waits, until
// SIGTERM: its resident memory is what any program of these libraries
// starts from, before it does any work of its own.
#include <Poco/AutoPtr.h>
#include <Poco/DOM/Document.h>
#include <Poco/Net/SocketAddress.h>
#include <log4cxx/logger.h>
#include <unistd.h>

int main() {
  // One use of each library, so that the linker keeps every one of them.
  const Poco::Net::SocketAddress address("127.0.0.1", 8084);
  const Poco::AutoPtr<Poco::XML::Document> document = new Poco::XML::Document;
  const log4cxx::LoggerPtr logger = log4cxx::Logger::getRootLogger();
  for (;;) pause();
}
